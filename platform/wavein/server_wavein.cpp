// Recording straight from the desktop's sound server.
//
// Device 0 is the server's default source, followed wherever the desktop
// moves it; the others are the server's sources by their server names, as
// last listed, each kept to its source until the source goes away. The
// server resamples to whatever rate the program asks for.
// Stop, reset and close never wait on the server, so a frozen one cannot hold
// the window up; a dead one is reported by streamState at once.
#include <wavein/pulse_session.h>
#include <wavein/server_wavein.h>
#include <wavein/single_stream_wavein.h>
#include <wavein/wait_scale.h>

#include <algorithm>
#include <mutex>

namespace wavein {

namespace {

constexpr std::chrono::milliseconds answerTime{2000 * waitScale};
// A listing answers in milliseconds; the list drops down at most this late
// on a frozen server.
constexpr std::chrono::milliseconds listTime{1000 * waitScale};
// Only a callback copying one delivery can be inside the gate.
constexpr std::chrono::milliseconds gateTime{50 * waitScale};

// One connection per process, shared by every device object while any lives.
std::shared_ptr<PulseSession> sharedSession()
{
    // Never destroyed: a device object may outlive static destruction at exit.
    static auto& mutex = *new std::mutex;
    static auto& current = *new std::weak_ptr<PulseSession>;
    std::lock_guard lock(mutex);
    auto session = current.lock();
    if (!session) {
        session = std::make_shared<PulseSession>();
        current = session;
    }
    return session;
}

struct OpenStream {
    Handle handle = 0;
    ServerStream server;
    bool started = false;
};

class ServerWaveIn final : public SingleStreamWaveIn<OpenStream, ServerSource> {
public:
    explicit ServerWaveIn(std::shared_ptr<PulseSession> session)
        : SingleStreamWaveIn(Backend::server), m_session(std::move(session))
    {
    }
    ~ServerWaveIn() override;

    MmResult start(Handle handle) override;
    MmResult reset(Handle handle) override;
    MmResult close(Handle handle) override;
    StreamState streamState(Handle handle) override;
    uint32_t streamMoves(Handle handle) override;
    MmResult streamSource(Handle handle, WaveInCaps& caps) override;

private:
    std::optional<std::vector<ServerSource>> readDevices() override { return m_session->sources(listTime); }
    WaveInCaps capsOf(const ServerSource& source) const override;
    MmResult openStream(uint32_t device, uint32_t rate, OpenStream& opening) override;
    CaptureStream& captureOf(OpenStream& s) override { return *s.server.capture; }
    MmResult halt(OpenStream& s) override;

    std::shared_ptr<PulseSession> m_session;
};

ServerWaveIn::~ServerWaveIn()
{
    if (m_open) {
        m_open->server.capture->shutGate(answerTime);
        m_session->close(m_open->server);
    }
}

WaveInCaps ServerWaveIn::capsOf(const ServerSource& source) const
{
    WaveInCaps caps;
    caps.productName = source.description;
    caps.serverName = source.name;
    caps.channels = uint16_t(std::clamp(source.channels, 0, 0xFFFF));
    return caps;
}

MmResult ServerWaveIn::openStream(uint32_t device, uint32_t rate, OpenStream& opening)
{
    return m_session->open(listing()[device].name, rate, opening.server, answerTime);
}

MmResult ServerWaveIn::start(Handle handle)
{
    OpenStream* s = find(handle);
    if (!s)
        return result::invalidHandle;
    if (s->started)
        return result::ok;
    s->server.capture->openGate();
    if (MmResult r = m_session->start(s->server); r != result::ok) {
        s->server.capture->shutGate(answerTime);
        return r;
    }
    s->started = true;
    return result::ok;
}

MmResult ServerWaveIn::halt(OpenStream& s)
{
    if (!s.server.capture->shutGate(gateTime))
        return result::error;
    if (s.started)
        m_session->stop(s.server);
    s.started = false;
    return result::ok;
}

MmResult ServerWaveIn::reset(Handle handle)
{
    OpenStream* s = find(handle);
    if (!s)
        return result::invalidHandle;
    if (MmResult r = halt(*s); r != result::ok)
        return r;
    s->server.capture->returnAll();
    return result::ok;
}

MmResult ServerWaveIn::close(Handle handle)
{
    OpenStream* s = find(handle);
    if (!s)
        return result::invalidHandle;
    if (MmResult r = mayClose(*s, gateTime); r != result::ok)
        return r;
    m_session->close(s->server);
    m_open.reset();
    return result::ok;
}

StreamState ServerWaveIn::streamState(Handle handle)
{
    OpenStream* s = find(handle);
    if (!s)
        return StreamState::closed;
    if (m_session->gone(s->server))
        return StreamState::gone;
    if (m_session->failed(s->server))
        return StreamState::failed;
    return s->started ? StreamState::running : StreamState::stopped;
}

uint32_t ServerWaveIn::streamMoves(Handle handle)
{
    OpenStream* s = find(handle);
    return s ? s->server.events->moves.load(std::memory_order_acquire) : 0;
}

MmResult ServerWaveIn::streamSource(Handle handle, WaveInCaps& caps)
{
    OpenStream* s = find(handle);
    if (!s)
        return result::invalidHandle;
    ServerSource source;
    if (!m_session->sourceOf(s->server, source, listTime))
        return result::badDeviceId;
    caps = printableCaps(source);
    return result::ok;
}

}  // namespace

std::unique_ptr<WaveInApi> createServerWaveIn(std::chrono::milliseconds connectTime)
{
    auto session = sharedSession();
    if (connectTime.count() > 0 && !session->connect(connectTime))
        return nullptr;
    return std::make_unique<ServerWaveIn>(std::move(session));
}

}  // namespace wavein
