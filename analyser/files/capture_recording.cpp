#include "capture_recording.h"

#include "wave_recorder.h"
#include "form1.h"
#include "message_sink.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QShortcut>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace vellarin {

CaptureRecording::CaptureRecording(Form1& window, MessageSink& messages, QMenu& menu, PathQuestion askPath)
    : QObject(&window), m_window(window), m_messages(messages), m_askPath(std::move(askPath))
{
    if (!m_askPath)
        m_askPath = [&window](const QString& title, const QString& suggested, const QString& filter) {
            return QFileDialog::getSaveFileName(&window, title, suggested, filter);
        };
    m_item = menu.addAction(QStringLiteral("Record...\tCtrl+R"));
    m_item->setCheckable(true);
    connect(m_item, &QAction::triggered, this, &CaptureRecording::recordOrStop);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), &window), &QShortcut::activated, this,
            &CaptureRecording::recordOrStop);
    // The history keeps two seconds: looked at well within them.
    m_timer = new QTimer(this);
    m_timer->setInterval(100);
    connect(m_timer, &QTimer::timeout, this, &CaptureRecording::collect);
}

// The recorder's own end writes what it holds and fixes the header.
CaptureRecording::~CaptureRecording() = default;

void CaptureRecording::recordOrStop()
{
    if (recording()) {
        stop();
        return;
    }
    QString folder = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    const QString name = QStringLiteral("vellarin-%1.wav")
                             .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
    const QString path = m_askPath(QStringLiteral("Record"), QDir(folder).filePath(name),
                                   QStringLiteral("WAV sound (*.wav)"));
    if (path.isEmpty()) {
        showState();
        return;
    }
    recordTo(path);
}

void CaptureRecording::recordTo(const QString& path)
{
    stop();
    m_path = path;
    m_capturing = false;
    // Begun during a capture, the recording starts from now, not from what the history still holds.
    m_startAt = m_window.state().Capturing == True ? m_window.sampleHistory().appended() : 0;
    m_timer->start();
    showState();
    collect();
}

void CaptureRecording::stop()
{
    collect();
    if (m_recorder && !m_recorder->flush())
        m_messages.show(QStringLiteral("Recording stopped!"), m_recorder->error());
    m_recorder.reset();
    m_path.clear();
    m_timer->stop();
    showState();
}

void CaptureRecording::collect()
{
    if (m_path.isEmpty())
        return;
    const SampleHistory& history = m_window.sampleHistory();
    const bool capturing = m_window.state().Capturing == True;
    if (capturing && !m_capturing) {
        // A capture began since the last look: its samples from the first on.
        if (m_recorder && m_recorder->rate() != history.sampleRate()) {
            fail(QStringLiteral("%1: the capture rate changed from %2 to %3 Hz; a WAV file holds one rate")
                     .arg(m_path)
                     .arg(m_recorder->rate())
                     .arg(history.sampleRate()));
            return;
        }
        if (!m_recorder) {
            QString error;
            m_recorder = WaveRecorder::create(m_path, history.sampleRate(), error);
            if (!m_recorder) {
                fail(error);
                return;
            }
        }
        m_seen = std::exchange(m_startAt, 0);
    }
    if (m_recorder && (capturing || m_capturing)) {
        const uint64_t fresh = history.appended() - std::min(m_seen, history.appended());
        // More than the history keeps means the window was held up longer than it
        // keeps sound; what it still keeps is written.
        m_new.resize(size_t(std::min<uint64_t>(fresh, history.size())));
        history.latest(m_new);
        m_seen = history.appended();
        if (!m_recorder->append(m_new)) {
            fail(m_recorder->error());
            return;
        }
    }
    if (m_recorder && m_capturing && !capturing && !m_recorder->flush()) {
        fail(m_recorder->error());
        return;
    }
    m_capturing = capturing;
}

void CaptureRecording::fail(const QString& reason)
{
    m_recorder.reset();
    m_path.clear();
    m_timer->stop();
    showState();
    m_messages.show(QStringLiteral("Recording stopped!"), reason);
}

void CaptureRecording::showState()
{
    m_item->setChecked(recording());
}

}  // namespace vellarin
