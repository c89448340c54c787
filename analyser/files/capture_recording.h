#pragma once
// Records what the window captures to a 16-bit mono WAV file at the capture
// rate: "Record..." in the frequency labels' menu or Ctrl+R asks where and
// starts (or, while recording, stops), and --record FILE starts as capture
// starts. The samples are taken from the window's sample history after the
// capture has handed them over, so the capture itself never waits on the
// disk; a write that fails ends the recording with a message, never the
// capture. A Start at the same rate goes on in the same file.
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QMenu;
class QTimer;

namespace vellarin {

class Form1;
class MessageSink;
class WaveRecorder;

class CaptureRecording final : public QObject {
public:
    using PathQuestion = std::function<QString(const QString& title, const QString& suggested, const QString& filter)>;

    CaptureRecording(Form1& window, MessageSink& messages, QMenu& menu, PathQuestion askPath = {});
    ~CaptureRecording() override;

    // Records to `path` from now on, or from the next Start when stopped.
    void recordTo(const QString& path);
    // Ends the recording, its file complete.
    void stop();
    // The menu's item: asks where and records, or stops.
    void recordOrStop();
    bool recording() const { return !m_path.isEmpty(); }
    // Takes the samples captured since the last look; runs every tenth of a second.
    void collect();
    const WaveRecorder* recorder() const { return m_recorder.get(); }

private:
    void fail(const QString& reason);
    void showState();

    Form1& m_window;
    MessageSink& m_messages;
    PathQuestion m_askPath;
    QAction* m_item = nullptr;
    QTimer* m_timer = nullptr;
    QString m_path;
    std::unique_ptr<WaveRecorder> m_recorder;
    uint64_t m_seen = 0;  // of the history's samples, those already taken
    uint64_t m_startAt = 0;
    bool m_capturing = false;  // as of the last look
    std::vector<int16_t> m_new;
};

}  // namespace vellarin
