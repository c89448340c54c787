#include <wavein/file_wavein.h>

#include <QFileInfo>

namespace wavein {

namespace {
// The player is joined before the gate shuts, so nothing is ever inside it then.
constexpr std::chrono::milliseconds gateTime{1000};
}  // namespace

FileWaveIn::FileWaveIn(std::unique_ptr<SoundFile> file, FilePace pace)
    : SingleStreamWaveIn(Backend::file), m_player(std::move(file)), m_pace(pace)
{
}

FileWaveIn::~FileWaveIn() { m_player.stop(); }

size_t FileWaveIn::pump(size_t samples)
{
    if (m_pace != FilePace::manual || !m_open || !m_open->started)
        return 0;
    return m_player.step(*m_open->capture, samples);
}

std::optional<std::vector<FileDevice>> FileWaveIn::readDevices()
{
    return std::vector<FileDevice>{{QFileInfo(info().name).fileName()}};
}

WaveInCaps FileWaveIn::capsOf(const FileDevice& device) const
{
    WaveInCaps caps;
    caps.productName = device.name;
    caps.channels = 1;
    return caps;
}

MmResult FileWaveIn::openStream(uint32_t, uint32_t rate, FileStream&)
{
    if (rate != info().rate)
        return result::badFormat;  // a file plays at its own rate only
    return result::ok;
}

MmResult FileWaveIn::start(Handle handle)
{
    FileStream* s = find(handle);
    if (!s)
        return result::invalidHandle;
    if (s->started)
        return result::ok;
    s->capture->openGate();
    if (m_pace == FilePace::realTime)
        m_player.run(*s->capture);
    s->started = true;
    return result::ok;
}

MmResult FileWaveIn::halt(FileStream& s)
{
    m_player.stop();  // joined: the player has left the stream
    if (!s.capture->shutGate(gateTime))
        return result::error;
    s.started = false;
    return result::ok;
}

MmResult FileWaveIn::reset(Handle handle)
{
    FileStream* s = find(handle);
    if (!s)
        return result::invalidHandle;
    if (MmResult r = halt(*s); r != result::ok)
        return r;
    s->capture->returnAll();
    return result::ok;
}

MmResult FileWaveIn::close(Handle handle)
{
    FileStream* s = find(handle);
    if (!s)
        return result::invalidHandle;
    if (MmResult r = mayClose(*s, gateTime); r != result::ok)
        return r;
    m_player.stop();
    m_open.reset();
    return result::ok;
}

StreamState FileWaveIn::streamState(Handle handle)
{
    FileStream* s = find(handle);
    if (!s)
        return StreamState::closed;
    return s->started && !m_player.ended() ? StreamState::running : StreamState::stopped;
}

}  // namespace wavein
