#pragma once
// Hearing the file being analysed through the sound server's default
// output, in step with the picture: the strip's Listen button. Where no
// sound server answers the button is disabled and says why; an output that
// cannot be opened, or goes away, is told in the strip, and the file plays
// on unheard, the analysis never stopping for it. The choice stays with the
// strip from one file to the next.
#include <wavein/file_player.h>

#include <QObject>

#include <functional>
#include <memory>

namespace vellarin {

class TransportStrip;

class FileListening final : public QObject {
public:
    // Opens an output at the rate, or says why not.
    using OpenOutput = std::function<std::unique_ptr<wavein::PlaybackSink>(uint32_t rate, QString& why)>;
    // Whether a sound server answers at all.
    using ServerAnswers = std::function<bool()>;

    // The sound server's by default.
    explicit FileListening(TransportStrip& strip, OpenOutput open = {}, ServerAnswers answers = {});
    ~FileListening() override;

    // The player to be heard, or null for none; any player followed before
    // is heard no more. Asks whether a sound server answers.
    void follow(wavein::FilePlayer* player);
    // Notices an output that went away.
    void refresh();
    bool listening() const { return m_output != nullptr; }

private:
    void listen(bool on);
    void tell(const QString& note);

    TransportStrip& m_strip;
    OpenOutput m_open;
    ServerAnswers m_answers;
    wavein::FilePlayer* m_player = nullptr;
    std::unique_ptr<wavein::PlaybackSink> m_output;
};

}  // namespace vellarin
