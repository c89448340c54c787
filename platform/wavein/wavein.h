#pragma once
// Wave input: open a recording device for PCM, queue buffers, and learn that
// a buffer is full only from the done flag in its header. The device side
// publishes a full buffer by setting the flag with release ordering; the
// program reads it with acquire ordering, and owns the buffer from then on
// until it queues it again.
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>

namespace wavein {

// Results: 0 is success, anything else a failure.
using MmResult = uint32_t;
namespace result {
inline constexpr MmResult ok = 0;
inline constexpr MmResult error = 1;
inline constexpr MmResult badDeviceId = 2;
inline constexpr MmResult allocated = 4;
inline constexpr MmResult invalidHandle = 5;
inline constexpr MmResult noDriver = 6;
inline constexpr MmResult noMemory = 7;
inline constexpr MmResult invalidParameter = 11;
inline constexpr MmResult badFormat = 32;
inline constexpr MmResult stillPlaying = 33;
inline constexpr MmResult unprepared = 34;
}  // namespace result

// Header flags.
inline constexpr uint32_t headerDone = 0x01;
inline constexpr uint32_t headerPrepared = 0x02;
inline constexpr uint32_t headerInQueue = 0x10;

struct WaveFormat {
    uint16_t formatTag = 1;  // PCM
    uint16_t channels = 1;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 2;
    uint16_t bitsPerSample = 16;
    uint16_t extraSize = 0;
};

// One capture buffer's header. The program writes data, bufferLength and
// flags (0) each time it queues the buffer.
struct WaveHeader {
    char* data = nullptr;
    uint32_t bufferLength = 0;
    uint32_t bytesRecorded = 0;
    uintptr_t user = 0;
    std::atomic<uint32_t> flags{0};
    uint32_t loops = 0;
    WaveHeader* next = nullptr;
    uintptr_t reserved = 0;
};

struct WaveInCaps {
    QString productName;  // as the device reports it, whole
    QString serverName;   // the sound server's name for a source, stable across restarts; empty otherwise
    uint16_t channels = 0;
};

using Handle = uint32_t;  // 0 is no device

// What the device says of an open stream. A watchdog that sees no buffer
// complete for a while asks this to tell a dead stream from a slow one.
enum class StreamState : uint8_t {
    closed,   // no such open stream
    stopped,  // open, not recording (never started, or stopped)
    running,  // recording
    failed,   // started, but the device reports it inactive or in error, or no longer answers
    gone,     // the source it recorded from went away (unplugged, or taken off the sound server)
};

// Where the sound comes from: the desktop's sound server (PulseAudio, or
// PipeWire through its PulseAudio service), or PortAudio over ALSA.
// A file records from a sound file at its own pace, never chosen by the user as a backend.
enum class Backend : uint8_t { automatic, server, alsa, file };

// The sample rates a backend can be asked for; a device may still refuse
// some within them. Automatic is the widest, for a device that does not say.
struct RateRange {
    uint32_t lowest = 0;
    uint32_t highest = 0;
};
constexpr RateRange rateRange(Backend backend)
{
    switch (backend) {
    case Backend::server: return {1000, 384000};  // the sound server's sample spec limit, PA_RATE_MAX
    case Backend::alsa: return {1000, 768000};    // the highest rate ALSA's drivers name
    case Backend::file: return {1000, 768000};    // the rates a file may come in
    case Backend::automatic: break;
    }
    return {1000, 768000};
}

// The operations the capture engine calls. Every call is made on the
// program's one user-interface thread.
class WaveInApi {
public:
    virtual ~WaveInApi() = default;
    virtual uint32_t getNumDevs() = 0;
    virtual MmResult getDevCaps(uint32_t device, WaveInCaps& caps) = 0;
    virtual MmResult open(Handle& handle, uint32_t device, const WaveFormat& format) = 0;
    virtual MmResult prepareHeader(Handle handle, WaveHeader& header) = 0;
    virtual MmResult unprepareHeader(Handle handle, WaveHeader& header) = 0;
    virtual MmResult addBuffer(Handle handle, WaveHeader& header) = 0;
    virtual MmResult start(Handle handle) = 0;
    virtual MmResult stop(Handle handle) = 0;
    virtual MmResult reset(Handle handle) = 0;  // returns every queued buffer, marked done
    virtual MmResult close(Handle handle) = 0;  // stillPlaying while buffers are queued: reset first

    // A device that cannot tell reports every open stream as running.
    virtual StreamState streamState(Handle handle) { return handle ? StreamState::running : StreamState::closed; }

    // Which way this device object records; its rates are rateRange(backend()).
    virtual Backend backend() const { return Backend::automatic; }

    // A stream opened on the default source follows the desktop's default
    // wherever it moves. How often it moved since it opened: cheap enough for
    // every tick, no wait and no lock.
    virtual uint32_t streamMoves(Handle) { return 0; }
    // The source an open stream records from now, by its name and the
    // server's name for it; badDeviceId when the device cannot tell.
    virtual MmResult streamSource(Handle, WaveInCaps&) { return result::badDeviceId; }
};

// The system's recording devices. Automatic takes the sound server where one
// answers and PortAudio otherwise.
//
// From the sound server: device 0 "Default", the desktop's default source,
// then every source by its description, monitors of outputs included. The
// list is read afresh by getNumDevs; a device index keeps meaning the source
// of that server name in the list the program last read. A stream on a named
// source stays on it: when the source goes away the stream ends as gone,
// rather than move on to another input under the chosen name.
//
// Over PortAudio: every input-capable device,
// the system's default input first. While no stream is open, listing or
// opening restarts the sound library, so a sound server that went away and
// came back is found again; a device index keeps meaning the device of that
// name in the list the program last read. Stop, reset and close return at
// once even when the sound server no longer answers: the program's side is
// done (no buffer is touched again) and the library's side finishes in the
// background whenever the server answers again.
std::unique_ptr<WaveInApi> createSystemWaveIn(Backend backend = Backend::automatic);

}  // namespace wavein
