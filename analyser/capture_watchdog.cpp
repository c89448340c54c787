#include "capture_watchdog.h"

#include <algorithm>
#include <chrono>

namespace vellarin {

int64_t steadyMilliseconds()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void CaptureWatchdog::arm(int64_t nowMs, uint32_t samplesPerSec)
{
    const double bufferMs = 512.0 * 1000.0 / std::max<uint32_t>(samplesPerSec, 1);
    m_suspectMs = std::max(suspectLeastMs, static_cast<int64_t>(suspectBuffers * bufferMs));
    m_deadMs = std::max(deadLeastMs, static_cast<int64_t>(deadBuffers * bufferMs));
    m_lastMs = nowMs;
    m_delivered = false;
}

void CaptureWatchdog::buffersCompleted(int64_t nowMs)
{
    m_lastMs = nowMs;
    m_delivered = true;
}

CaptureWatchdog::Verdict CaptureWatchdog::verdict(int64_t nowMs) const
{
    const int64_t quiet = nowMs - m_lastMs;
    if (quiet > (m_delivered ? m_deadMs : std::max(m_deadMs, firstBufferMs)))
        return Verdict::dead;
    return quiet > m_suspectMs ? Verdict::suspect : Verdict::healthy;
}

}  // namespace vellarin
