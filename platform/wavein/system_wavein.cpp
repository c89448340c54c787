// The system's recording devices over PortAudio, for a system with no sound server.
//
// Every PortAudio call runs on the control thread and is waited for at most
// answerTime. Stop and close wait far less: once the gate is shut the
// program's buffers are safe, so a stream whose device stopped answering is
// abandoned at once and the control thread releases it whenever the library
// lets go. A window that stops or closes never waits on a frozen sound server.
//
// The library is restarted whenever the process has no stream open and the
// program lists the devices or opens one, so a sound server that went away
// and came back is found again without restarting the program.
#include <wavein/capture_stream.h>
#include <wavein/control_thread.h>
#include <wavein/portaudio_session.h>
#include <wavein/quiet_backends.h>
#include <wavein/server_wavein.h>
#include <wavein/single_stream_wavein.h>
#include <wavein/wait_scale.h>

#include <algorithm>
#include <mutex>

namespace wavein {

namespace {

constexpr std::chrono::milliseconds answerTime{2000 * waitScale};
// A healthy server stops or closes a stream in a few milliseconds.
constexpr std::chrono::milliseconds letGoTime{50 * waitScale};

// PortAudio is one library per process: every device object shares it.
struct Backend {
    ControlThread control;
    std::shared_ptr<PortAudioSession> session = std::make_shared<PortAudioSession>();
    int openStreams = 0;

    ~Backend()
    {
        control.post([session = session] { session->terminate(); });
    }

    // The library may restart only while no stream is open and no earlier call hangs in it.
    bool mayRestart() const { return openStreams == 0 && !control.busy(); }

    static std::shared_ptr<Backend> shared()
    {
        // Never destroyed: a control thread hung in the library may still be running at exit.
        static auto& mutex = *new std::mutex;
        static auto& current = *new std::weak_ptr<Backend>;
        std::lock_guard lock(mutex);
        auto backend = current.lock();
        if (!backend) {
            quietSoundBackends();
            backend = std::make_shared<Backend>();
            current = backend;
        }
        return backend;
    }
};

struct OpenStream {
    Handle handle = 0;
    std::shared_ptr<CaptureStream> capture = std::make_shared<CaptureStream>();
    PaStream* stream = nullptr;
    bool started = false;
    bool abandoned = false;  // the library stopped answering for it
};

class SystemWaveIn final : public SingleStreamWaveIn<OpenStream, InputDevice> {
public:
    SystemWaveIn() : SingleStreamWaveIn(wavein::Backend::alsa), m_backend(Backend::shared()) {}
    ~SystemWaveIn() override;

    MmResult start(Handle handle) override;
    MmResult reset(Handle handle) override;
    MmResult close(Handle handle) override;
    StreamState streamState(Handle handle) override;

private:
    std::optional<std::vector<InputDevice>> readDevices() override;
    WaveInCaps capsOf(const InputDevice& device) const override;
    MmResult readyToOpen() override;
    MmResult openStream(uint32_t device, uint32_t rate, OpenStream& opening) override;
    CaptureStream& captureOf(OpenStream& s) override { return *s.capture; }
    MmResult halt(OpenStream& s) override;
    void release();

    std::shared_ptr<Backend> m_backend;
};

SystemWaveIn::~SystemWaveIn()
{
    if (m_open) {
        m_open->capture->shutGate(answerTime);
        release();
    }
}

std::optional<std::vector<InputDevice>> SystemWaveIn::readDevices()
{
    auto& backend = *m_backend;
    if (!backend.control.waitIdle(answerTime))
        return std::nullopt;  // keep the last listing rather than wait on a hung library
    const bool restart = backend.mayRestart();
    auto devices = backend.control.call(
        [session = backend.session, restart] {
            if (restart)
                session->restart();
            return session->inputs();
        },
        answerTime);
    return devices ? std::move(*devices) : std::vector<InputDevice>{};
}

WaveInCaps SystemWaveIn::capsOf(const InputDevice& device) const
{
    WaveInCaps caps;
    caps.productName = device.name;
    caps.channels = uint16_t(std::min(device.channels, 0xFFFF));
    return caps;
}

MmResult SystemWaveIn::readyToOpen()
{
    // An earlier stream is still being released.
    return m_backend->control.waitIdle(answerTime) ? result::ok : result::allocated;
}

MmResult SystemWaveIn::openStream(uint32_t device, uint32_t rate, OpenStream& opening)
{
    auto& backend = *m_backend;
    DeviceChoice choice{listing()[device].name, 0};
    for (uint32_t i = 0; i < device; ++i)
        choice.occurrence += listing()[i].name == choice.name;

    struct Outcome {
        MmResult result = result::error;
        PaStream* stream = nullptr;
    };
    auto outcome = std::make_shared<Outcome>();
    const bool restart = backend.mayRestart();
    const bool answered = backend.control.run(
        [session = backend.session, capture = opening.capture, outcome, choice, restart, rate] {
            if (restart)
                session->restart();
            outcome->result = session->open(choice, rate, *capture, outcome->stream);
        },
        answerTime);
    if (!answered) {
        // The open may still succeed after we stopped waiting; close it then.
        backend.control.post([session = backend.session, capture = opening.capture, outcome] {
            if (outcome->result == result::ok)
                session->close(outcome->stream);
        });
        return result::error;
    }
    if (outcome->result != result::ok)
        return outcome->result;
    opening.stream = outcome->stream;
    ++backend.openStreams;
    return result::ok;
}

MmResult SystemWaveIn::start(Handle handle)
{
    OpenStream* s = find(handle);
    if (!s)
        return result::invalidHandle;
    if (s->abandoned)
        return result::error;
    if (s->started)
        return result::ok;
    s->capture->openGate();
    const auto started = m_backend->control.call(
        [session = m_backend->session, capture = s->capture, stream = s->stream] { return session->start(stream); },
        answerTime);
    if (started == result::ok) {
        s->started = true;
        return result::ok;
    }
    s->capture->shutGate(answerTime);
    s->abandoned = !started.has_value();
    return started.value_or(result::error);
}

MmResult SystemWaveIn::halt(OpenStream& s)
{
    if (!s.capture->shutGate(answerTime))
        return result::error;
    if (!s.started)
        return result::ok;
    s.started = false;
    if (s.abandoned || m_backend->control.overran()) {
        s.abandoned = true;  // the library hangs: nothing could stop it now
        return result::ok;
    }
    const auto stopped = m_backend->control.call(
        [session = m_backend->session, capture = s.capture, stream = s.stream] { return session->abort(stream); },
        letGoTime);
    // Recording has stopped for the program either way: the gate is shut.
    s.abandoned = !stopped.has_value();
    return stopped.value_or(result::ok);
}

MmResult SystemWaveIn::reset(Handle handle)
{
    OpenStream* s = find(handle);
    if (!s)
        return result::invalidHandle;
    halt(*s);
    if (!s->capture->shutGate(answerTime))
        return result::error;
    s->capture->returnAll();
    return result::ok;
}

MmResult SystemWaveIn::close(Handle handle)
{
    OpenStream* s = find(handle);
    if (!s)
        return result::invalidHandle;
    if (MmResult r = mayClose(*s, answerTime); r != result::ok)
        return r;
    if (s->abandoned || m_backend->control.overran()) {
        release();
        return result::ok;  // the program has let go; the library's part follows when it answers
    }
    // A close that overruns its time finishes on the control thread, which owns the stream then.
    const auto closed = m_backend->control.call(
        [session = m_backend->session, capture = s->capture, stream = s->stream] { return session->close(stream); },
        letGoTime);
    m_open.reset();
    --m_backend->openStreams;
    return closed.value_or(result::ok);
}

// Hands the stream to the control thread, which closes it once the library
// answers again. The capture state lives until then.
void SystemWaveIn::release()
{
    m_backend->control.post([session = m_backend->session, capture = m_open->capture, stream = m_open->stream] {
        session->close(stream);
    });
    m_open.reset();
    --m_backend->openStreams;
}

StreamState SystemWaveIn::streamState(Handle handle)
{
    OpenStream* s = find(handle);
    if (!s)
        return StreamState::closed;
    if (s->abandoned)
        return StreamState::failed;
    if (!s->started)
        return StreamState::stopped;
    if (m_backend->control.busy())
        return StreamState::failed;  // the library hangs in an earlier call
    const auto active = m_backend->control.call(
        [session = m_backend->session, capture = s->capture, stream = s->stream] { return session->isActive(stream); },
        answerTime);
    return active.value_or(false) ? StreamState::running : StreamState::failed;
}

}  // namespace

std::unique_ptr<WaveInApi> createPortAudioWaveIn()
{
    return std::make_unique<SystemWaveIn>();
}

}  // namespace wavein
