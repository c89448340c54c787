#pragma once
// A sound file as the window's input: opened from the frequency labels'
// menu or Ctrl+O, by dropping it on the window, or from the command line.
// The file plays at its own pace through the window's usual capture, so
// every view, readout and export works on it unchanged. While it is the
// input the rate drop-down shows its rate and cannot be changed, and a strip
// under the chart names it and carries its transport, and the file may be
// heard as it plays. Choosing a device in the Input Source list goes back to
// the live input.
#include "switching_wavein.h"

#include <QObject>
#include <QString>

#include <functional>

class QAction;
class QMenu;
class QTimer;

namespace vellarin {

class FileListening;
class Form1;
class MessageSink;
class TransportStrip;

class FileInput final : public QObject {
public:
    // Asks which file to open: a title, a folder to start in and a filter; empty when cancelled.
    using OpenQuestion = std::function<QString(const QString& title, const QString& folder, const QString& filter)>;

    FileInput(Form1& window, SwitchingWaveIn& input, MessageSink& messages, QMenu& menu, OpenQuestion askOpen = {},
              wavein::FilePace pace = wavein::FilePace::realTime);
    ~FileInput() override;

    // Makes `path` the input and starts playing it. A file that cannot be
    // played is refused with a message naming it and the reason, and the
    // window stays as it was.
    bool open(const QString& path);
    // Asks for a file and opens it.
    void askAndOpen();
    // Back to the system's devices, stopped; the window's rate as it was.
    void backToLive();

    wavein::FileWaveIn* file() const { return m_input.file(); }
    TransportStrip* strip() const { return m_strip; }
    FileListening* listening() const { return m_listening; }
    // Reads the transport's position into the strip.
    void refresh();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void stopIfCapturing();
    void holdRateShown();

    Form1& m_window;
    SwitchingWaveIn& m_input;
    MessageSink& m_messages;
    OpenQuestion m_askOpen;
    const wavein::FilePace m_pace;
    TransportStrip* m_strip = nullptr;
    FileListening* m_listening = nullptr;
    QTimer* m_follow = nullptr;
    QString m_liveRate;  // the rate the window had before the first file, restored after the last
    QString m_lastFolder;
};

}  // namespace vellarin
