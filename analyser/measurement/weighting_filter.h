#pragma once
// A and C weighting of the samples themselves, for the level meter: the
// analogue networks of IEC 61672-1 Annex E carried over by the bilinear
// transform into second-order sections.
#include "frequency_weighting.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

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
    // Filters a block, handing `visit(sample, filtered)` each one in turn;
    // the same as process() per sample. The sections' memory stays in
    // registers for the block, and the sections of successive samples
    // overlap: three times faster than a call a sample.
    template <typename Visit>
    void filter(std::span<const int16_t> samples, Visit visit)
    {
        switch (m_count) {
        case 0: return runSections<0>(samples, visit);
        case 1: return runSections<1>(samples, visit);
        case 2: return runSections<2>(samples, visit);
        default: return runSections<3>(samples, visit);
        }
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

    // Each section a local of its own (not an array), so that the compiler
    // keeps its memory in registers rather than in storage it must reload.
    template <size_t Count, typename Visit>
    void runSections(std::span<const int16_t> samples, Visit& visit)
    {
        Section first = m_sections[0], second = m_sections[1], third = m_sections[2];
        const double gain = m_gain;
        for (const int16_t sample : samples) {
            double y = double(sample);
            if constexpr (Count > 0)
                y = first.process(y);
            if constexpr (Count > 1)
                y = second.process(y);
            if constexpr (Count > 2)
                y = third.process(y);
            visit(sample, y * gain);
        }
        m_sections = {first, second, third};
    }

    Weighting m_weighting = Weighting::z;
    double m_sampleRate = 0.0;
    std::array<Section, 3> m_sections{};
    size_t m_count = 0;
    double m_gain = 1.0;
};

}  // namespace vellarin
