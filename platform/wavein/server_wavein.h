#pragma once
// The two ways to the sound: the desktop's sound server through its own
// client library, and PortAudio over ALSA for a system without one.
#include <wavein/wavein.h>

#include <chrono>

namespace wavein {

// Null when connectTime is positive and no server answers within it; with a
// connectTime of 0 always a device object, which lists nothing and opens
// nothing while no server answers.
std::unique_ptr<WaveInApi> createServerWaveIn(std::chrono::milliseconds connectTime);
std::unique_ptr<WaveInApi> createPortAudioWaveIn();

}  // namespace wavein
