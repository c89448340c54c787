#pragma once
// Opening and closing the sound input device for capture into the ring.
#include "analyser_state.h"

namespace vellarin {

// 16-bit mono PCM at `samplesPerSec`.
wavein::WaveFormat captureFormat(uint32_t samplesPerSec);

// Stops, resets (every queued buffer comes back), unprepares every header
// and closes. Only the stop's result is of interest: the rest cannot be
// helped if it fails, and the device is given up either way.
wavein::MmResult shutDevice(AnalyserState& s, wavein::WaveInApi& device);

}  // namespace vellarin
