#pragma once
// The level meter of a sound level meter (IEC 61672-1:2013): the weighted
// signal's exponentially time-weighted level, Fast or Slow, its peak, its
// maximum and its equivalent continuous level since a reset, read from the
// samples themselves. All levels in dBFS (level_units.h).
#include "frequency_weighting.h"
#include "weighting_filter.h"

#include <QString>

#include <cstdint>
#include <span>

namespace vellarin {

enum class TimeWeighting { fast, slow };

// Time constants of IEC 61672-1:2013, 5.7.1: Fast 0.125 s, Slow 1 s.
double timeConstant(TimeWeighting timeWeighting);

struct MeterReading {
    double rmsDb;   // time-weighted level, Fast or Slow
    double peakDb;  // highest weighted sample since the last reading
    double maxDb;   // highest time-weighted level since the reset
    double leqDb;   // equivalent continuous level since the reset
    // A sample of the input itself reached -1 dBFS since the last reading.
    bool over;
    // A sample reached the end of the 16-bit scale since the last reading.
    bool clipped;
    double seconds;  // of sound since the reset
};

class LevelMeter {
public:
    // Where the "over" flag starts, on the input's own samples.
    static constexpr double OverDbfs = -1.0;

    // Sets rate, weighting and time weighting, and resets.
    void configure(double sampleRate, Weighting weighting, TimeWeighting timeWeighting);
    double sampleRate() const { return m_sampleRate; }
    Weighting weighting() const { return m_filter.weighting(); }
    TimeWeighting timeWeighting() const { return m_timeWeighting; }

    // Starts Leq and maximum afresh; the time-weighted level starts from silence.
    void reset();
    // Takes in new samples in time order.
    void add(std::span<const int16_t> samples);
    // The levels now; starts the next peak and over/clip watch.
    MeterReading read();

private:
    double m_sampleRate = 0.0;
    TimeWeighting m_timeWeighting = TimeWeighting::fast;
    WeightingFilter m_filter;
    double m_decay = 0.0;  // exp(-1 / (rate tau)): what the running mean square keeps per sample
    double m_meanSquare = 0.0;
    double m_maxMeanSquare = 0.0;
    double m_sum = 0.0;  // of the squared weighted samples since the reset
    uint64_t m_count = 0;
    double m_peak = 0.0;
    bool m_over = false;
    bool m_clipped = false;
};

}  // namespace vellarin
