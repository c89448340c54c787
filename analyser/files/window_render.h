#pragma once
// "Render..." in the frequency labels' menu: a whole sound file's
// spectrogram written as a PNG picture, from the window. The render runs on
// a thread of its own while a progress bar with Cancel shows how far it is;
// the window goes on capturing meanwhile.
#include "file_render.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <thread>

class QProgressDialog;
class QTimer;
class QMenu;

namespace vellarin {

class Form1;
class MessageSink;

class WindowRender final : public QObject {
public:
    // Asks for a file: open (true) or save, a title, a suggested path and a filter; empty when cancelled.
    using PathQuestion =
        std::function<QString(bool open, const QString& title, const QString& suggested, const QString& filter)>;

    // Without `showProgress` no progress bar is shown (tests).
    WindowRender(Form1& window, MessageSink& messages, QMenu& menu, PathQuestion askPath = {},
                 bool showProgress = true);
    ~WindowRender() override;

    // Asks for the sound file and the picture, and renders.
    void askAndRender();
    // Renders `sound` into the picture `picture` at the window's FFT size and
    // scaling (log unless full-fit is chosen); false when one is already running.
    bool render(const QString& sound, const QString& picture);
    bool busy() const { return m_worker.joinable(); }
    void cancel() { m_cancel = true; }
    // The part done, 0..1, as the render last said.
    double done() const { return m_done.load(std::memory_order_relaxed); }
    // Waits for the render to end and writes its picture (tests).
    void finish();

private:
    void poll();

    Form1& m_window;
    MessageSink& m_messages;
    PathQuestion m_askPath;
    const bool m_showProgress;
    QProgressDialog* m_progress = nullptr;
    QTimer* m_poll = nullptr;
    std::thread m_worker;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_finished{false};
    std::atomic<double> m_done{0.0};
    RenderedFile m_result;  // the worker's until m_finished
    QString m_picture;
    QString m_lastFolder;
};

}  // namespace vellarin
