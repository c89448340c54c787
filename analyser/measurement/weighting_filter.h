#pragma once
// A and C weighting of the samples themselves, for the level meter: the
// analogue networks of IEC 61672-1 Annex E carried over by the bilinear
// transform into second-order sections.
#include "frequency_weighting.h"

#include <array>
#include <cstddef>

namespace vellarin {

class WeightingFilter {
public:
    // Designs the filter for `sampleRate` and clears its memory.
    void design(Weighting weighting, double sampleRate);
    Weighting weighting() const { return m_weighting; }
    // Forgets the past samples.
    void clear();
    double process(double x)
    {
        for (size_t i = 0; i < m_count; ++i)
            x = m_sections[i].process(x);
        return x * m_gain;
    }
    // The filter's response at `hz` in dB, from its coefficients.
    double responseDb(double hz) const;

private:
    struct Section {
        double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
        double s1 = 0, s2 = 0;
        // Transposed direct form II.
        double process(double x)
        {
            const double y = b0 * x + s1;
            s1 = b1 * x - a1 * y + s2;
            s2 = b2 * x - a2 * y;
            return y;
        }
    };
    double rawResponse(double hz) const;

    Weighting m_weighting = Weighting::z;
    double m_sampleRate = 0.0;
    std::array<Section, 3> m_sections{};
    size_t m_count = 0;
    double m_gain = 1.0;
};

}  // namespace vellarin
