#pragma once
// Sounds made to measure for the estimators' tests and tables: tones whose
// frequency, level and phase are known exactly, a plucked string, noise,
// and the spectrum of a weighted frame as the analyser's transform gives it.
#include <cstdint>
#include <span>
#include <vector>

namespace synthetic {

// A cosine of `cycles` periods over the frame's N samples, on 16-bit samples.
std::vector<int16_t> tone(int32_t n, double cycles, double amplitude, double phase, double offset = 0.0);

// Partials `first`..`last` of `hertz` (each below the Nyquist frequency), of
// amplitude `amplitude`, the fundamental `fundamentalDecibels` from the others.
std::vector<int16_t> harmonics(double sampleRate, double hertz, int first, int last, double amplitude,
                               double fundamentalDecibels, double seconds);

// Karplus-Strong: a delay line of `delay` samples filled with noise, fed back
// through the mean of two neighbours; its period is delay + 1/2 samples.
std::vector<int16_t> pluckedString(int32_t delay, double amplitude, int32_t samples, uint32_t seed = 1);

// Uniform white noise of the given peak amplitude around `offset`.
std::vector<int16_t> noise(int32_t samples, double amplitude, double offset = 0.0, uint32_t seed = 1);

// The unscaled transform of the weighted frame, bins 0..N/2 interleaved re/im.
std::vector<double> spectrum(std::span<const int16_t> samples, std::span<const double> weights);

}  // namespace synthetic
