#include "file_listening.h"

#include "transport_strip.h"

#include <wavein/server_playback.h>

#include <QLabel>
#include <QSignalBlocker>
#include <QToolButton>

namespace vellarin {

namespace {

// A server that is there answers in milliseconds; one that is frozen holds
// a file's opening up this long at most.
constexpr std::chrono::milliseconds answerTime{1000};
constexpr std::chrono::milliseconds openTime{2000};

const char* const listenTip = "Hear the file through the sound server's default output, in step with the picture";

}  // namespace

FileListening::FileListening(TransportStrip& strip, OpenOutput open, ServerAnswers answers)
    : QObject(&strip), m_strip(strip), m_open(std::move(open)), m_answers(std::move(answers))
{
    if (!m_open)
        m_open = [](uint32_t rate, QString& why) -> std::unique_ptr<wavein::PlaybackSink> {
            return wavein::ServerPlayback::open(rate, openTime, why);
        };
    if (!m_answers)
        m_answers = [] { return wavein::ServerPlayback::serverAnswers(answerTime); };
    m_strip.listen()->setToolTip(QString::fromLatin1(listenTip));
    connect(m_strip.listen(), &QToolButton::toggled, this, &FileListening::listen);
}

FileListening::~FileListening()
{
    if (m_player)
        m_player->listenThrough(nullptr);
}

void FileListening::follow(wavein::FilePlayer* player)
{
    if (m_player)
        m_player->listenThrough(nullptr);
    m_output.reset();
    m_player = player;
    tell({});
    if (!player)
        return;
    const bool answers = m_answers();
    m_strip.listen()->setEnabled(answers);
    m_strip.listen()->setToolTip(answers ? QString::fromLatin1(listenTip)
                                         : QStringLiteral("No sound server answers: the file is analysed without being heard"));
    if (answers && m_strip.listen()->isChecked())
        listen(true);
}

void FileListening::listen(bool on)
{
    if (!m_player)
        return;
    if (!on) {
        m_player->listenThrough(nullptr);
        m_output.reset();
        tell({});
        return;
    }
    if (m_output)
        return;
    QString why;
    m_output = m_open(m_player->info().rate, why);
    if (!m_output) {
        tell(QStringLiteral("Not heard: %1").arg(why));
        const QSignalBlocker quiet(m_strip.listen());
        m_strip.listen()->setChecked(false);
        return;
    }
    tell({});
    m_player->listenThrough(m_output.get());
}

void FileListening::refresh()
{
    if (!m_output || !m_output->lost())
        return;
    m_player->listenThrough(nullptr);
    m_output.reset();
    const QSignalBlocker quiet(m_strip.listen());
    m_strip.listen()->setChecked(false);
    tell(QStringLiteral("Not heard: the sound output went away"));
}

void FileListening::tell(const QString& note)
{
    m_strip.note()->setText(note);
    m_strip.note()->setToolTip(note);
    m_strip.note()->setVisible(!note.isEmpty());
}

}  // namespace vellarin
