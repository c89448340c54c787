#pragma once
// Notices a capture that has died: a device that went away, a stream that
// failed, or a sound server that ended, after which no buffer ever completes
// again. Buffers complete every 512 samples (12 ms at 44100 Hz, 64 ms at
// 8000 Hz), but some sources deliver in bursts of most of a second, so a
// quiet stream is first asked how it is; only a silence far longer than any
// burst gives it up unasked (a frozen sound server leaves its stream looking
// alive).
#include <cstdint>
#include <functional>

namespace vellarin {

// Milliseconds on a clock that never jumps.
using MonotonicClock = std::function<int64_t()>;
int64_t steadyMilliseconds();

class CaptureWatchdog {
public:
    enum class Verdict {
        healthy,
        suspect,  // quiet for longer than usual: ask the device how its stream is
        dead,     // quiet for far longer than any device or burst takes
    };

    // A device may take this long to deliver its first buffer after Start.
    static constexpr int64_t firstBufferMs = 5000;
    // Quiet limits in buffer periods, and their least length in time.
    static constexpr int suspectBuffers = 3;
    static constexpr int64_t suspectLeastMs = 100;
    static constexpr int deadBuffers = 20;
    static constexpr int64_t deadLeastMs = 2000;

    void arm(int64_t nowMs, uint32_t samplesPerSec);
    void buffersCompleted(int64_t nowMs);
    Verdict verdict(int64_t nowMs) const;

private:
    int64_t m_lastMs = 0;
    bool m_delivered = false;
    int64_t m_suspectMs = suspectLeastMs;
    int64_t m_deadMs = deadLeastMs;
};

}  // namespace vellarin
