#include "capture_device.h"

namespace vellarin {

wavein::WaveFormat captureFormat(uint32_t samplesPerSec)
{
    wavein::WaveFormat format;
    format.formatTag = 1;
    format.channels = 1;
    format.samplesPerSec = samplesPerSec;
    format.blockAlign = 16 / 8 * format.channels;
    format.avgBytesPerSec = format.blockAlign * samplesPerSec;
    format.bitsPerSample = 16;
    format.extraSize = 0;
    return format;
}

wavein::MmResult shutDevice(AnalyserState& s, wavein::WaveInApi& device)
{
    const wavein::MmResult stopped = device.stop(s.WaveInHandle);
    device.reset(s.WaveInHandle);
    for (int i = 0; i <= s.LastBuffer; ++i)
        device.unprepareHeader(s.WaveInHandle, s.BufferHeaders[i]);
    device.close(s.WaveInHandle);
    return stopped;
}

}  // namespace vellarin
