#include <wavein/portaudio_session.h>

#include <wavein/portaudio_library.h>

#include <algorithm>
#include <mutex>

namespace wavein {

namespace {

int captureCallback(const void* input, void*, unsigned long frames, const PaStreamCallbackTimeInfo*,
                    PaStreamCallbackFlags, void* capture)
{
    static_cast<CaptureStream*>(capture)->deliver(static_cast<const int16_t*>(input), frames);
    return paContinue;
}

MmResult toResult(PaError error)
{
    switch (error) {
    case paNoError: return result::ok;
    case paInvalidDevice: return result::badDeviceId;
    case paDeviceUnavailable: return result::allocated;
    case paInsufficientMemory: return result::noMemory;
    case paInvalidSampleRate:
    case paInvalidChannelCount:
    case paSampleFormatNotSupported: return result::badFormat;
    case paNotInitialized: return result::noDriver;
    case paBadStreamPtr: return result::invalidHandle;
    default: return result::error;
    }
}

// PortAudio is one library per process and not safe to enter from two
// threads. A control thread left hanging inside it by a frozen sound server
// may still be there when a later session starts; the later one waits here
// until the library is free. Never destroyed, for the same reason: that
// thread may still hold it while the process exits.
std::mutex& libraryLock()
{
    static auto& lock = *new std::mutex;
    return lock;
}

}  // namespace

void PortAudioSession::terminate()
{
    std::lock_guard lock(libraryLock());
    if (m_initialised)
        portAudioLibrary()->terminate();
    m_initialised = false;
    m_inputs.clear();
}

void PortAudioSession::restart()
{
    terminate();
    std::lock_guard lock(libraryLock());
    // Without the library there are no devices, and opening one says there is no driver.
    const PortAudioLibrary* pa = portAudioLibrary();
    if (!pa)
        return;
    if (pa->initialize() != paNoError) {
        pa->terminate();  // a failed start still counts as one
        return;
    }
    m_initialised = true;
    const int count = pa->deviceCount();
    for (int index = 0; index < count; ++index) {
        const PaDeviceInfo* info = pa->deviceInfo(index);
        if (info && info->maxInputChannels > 0)
            m_inputs.push_back({index, QString::fromUtf8(info->name), info->maxInputChannels, info->defaultHighInputLatency});
    }
    // Device 0 is what a program opens when the user chose nothing: the
    // system's default input rather than whichever card was found first.
    const PaDeviceIndex preferred = pa->defaultInputDevice();
    std::stable_partition(m_inputs.begin(), m_inputs.end(), [preferred](const InputDevice& d) { return d.index == preferred; });
}

MmResult PortAudioSession::open(const DeviceChoice& choice, uint32_t rate, CaptureStream& capture, PaStream*& stream)
{
    std::lock_guard lock(libraryLock());
    if (!m_initialised)
        return result::noDriver;
    const InputDevice* device = nullptr;
    int seen = 0;
    for (const auto& input : m_inputs) {
        if (input.name == choice.name && seen++ == choice.occurrence) {
            device = &input;
            break;
        }
    }
    if (!device)
        return result::badDeviceId;

    PaStreamParameters parameters{};
    parameters.device = device->index;
    parameters.channelCount = 1;
    parameters.sampleFormat = paInt16;
    parameters.suggestedLatency = device->latency;
    const PortAudioLibrary* pa = portAudioLibrary();
    if (PaError refused = pa->isFormatSupported(&parameters, nullptr, rate); refused != paFormatIsSupported)
        return refused == paInvalidDevice || refused == paDeviceUnavailable ? toResult(refused) : result::badFormat;
    return toResult(pa->openStream(&stream, &parameters, nullptr, rate, paFramesPerBufferUnspecified, paNoFlag,
                                    &captureCallback, &capture));
}

MmResult PortAudioSession::start(PaStream* stream)
{
    std::lock_guard lock(libraryLock());
    return toResult(portAudioLibrary()->startStream(stream));
}

MmResult PortAudioSession::abort(PaStream* stream)
{
    std::lock_guard lock(libraryLock());
    return abortStream(stream);
}

MmResult PortAudioSession::abortStream(PaStream* stream)
{
    // A stream the server dropped is neither active nor stopped; aborting it
    // still brings it to rest.
    if (portAudioLibrary()->isStreamStopped(stream) == 1)
        return result::ok;
    return toResult(portAudioLibrary()->abortStream(stream));
}

MmResult PortAudioSession::close(PaStream* stream)
{
    std::lock_guard lock(libraryLock());
    abortStream(stream);
    return toResult(portAudioLibrary()->closeStream(stream));
}

bool PortAudioSession::isActive(PaStream* stream)
{
    std::lock_guard lock(libraryLock());
    return portAudioLibrary()->isStreamActive(stream) == 1;
}

}  // namespace wavein
