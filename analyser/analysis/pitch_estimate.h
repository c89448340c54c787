#pragma once
// The pitch of the sound: the period at which the recent samples repeat,
// from their normalised square difference (McLeod and Wyvill, "A smarter way
// to find pitch", 2005). The first period whose repetition is nearly as
// clear as the clearest wins, so a note reads as its fundamental even when
// that is weak or missing, and not as an octave below. The period is found
// coarsely on a decimated copy for low notes and at the full rate for high
// ones, then refined at the full rate on a multiple of itself.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vellarin {

inline constexpr double LowestPitchHertz = 27.5;    // A0
inline constexpr double HighestPitchHertz = 4200.0;  // above C8
// How alike the sound must be to itself one period on (1 for a pure tone).
inline constexpr double PitchClarityThreshold = 0.8;

struct Pitch {
    double hertz;
    double clarity;  // the normalised square difference at the period, 0..1
};

class PitchEstimator {
public:
    // The pitch of the newest samples of `history` (the last 100 ms are
    // used); none in silence, noise, a steady offset or with too few samples.
    std::optional<Pitch> estimate(std::span<const int16_t> history, double sampleRate);
    // How many of the newest samples an estimate looks at.
    static int32_t span(double sampleRate);

private:
    struct Candidate {
        double lag;  // in samples of the signal searched
        double clarity;
    };
    // The first key maximum of the normalised square difference of `signal`
    // over lags up to `maxLag` that is nearly as high as the highest.
    std::optional<Candidate> searchPeriod(std::span<const float> signal, int32_t maxLag);
    // The period near `period` refined on lag `multiple` x period at the full rate.
    std::optional<Candidate> refine(double period, int32_t multiple, int32_t radius) const;
    double difference(int32_t lag, int32_t length) const;
    void decimate(int32_t factor);

    std::vector<float> m_signal;     // the newest samples less their mean
    std::vector<double> m_squares;   // running sum of their squares, from 0
    std::vector<float> m_decimated;  // the same at a low rate, for low notes
    std::vector<float> m_lowTaps;
    std::vector<float> m_nsdf;
};

}  // namespace vellarin
