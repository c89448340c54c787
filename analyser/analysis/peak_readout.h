#pragma once
// A quick peak: a parabola through the dB levels of the strongest bin and
// its neighbours, biased between bins for every window, and the nearest note
// to it: "990.6 Hz 78.3 dB B5 +5 ct". The window reads peaks with
// PeakEstimator (frame_readouts.h); the estimate tables and benchmarks
// measure that against this.
#include <QString>

#include <cstdint>
#include <optional>
#include <span>

namespace vellarin {

struct Peak {
    double hertz;
    double decibels;
};

// The strongest of bins 1..N/2 (the DC bin is no tone), its frequency and
// level from a parabola through it and its neighbours' levels; none when
// every bin lies at the floor of silence.
std::optional<Peak> strongestPeak(std::span<const int16_t> binLevel, int32_t fftSize, double sampleRate);

// "B5 +5 ct": the nearest equal-tempered note and the cents from it; empty
// for frequencies with no note.
QString noteText(double hertz);

// The readout's caption; "No peak" for silence.
QString peakCaption(const std::optional<Peak>& peak);

}  // namespace vellarin
