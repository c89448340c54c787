#pragma once
// Spectrum lines for looking at and timing the waterfall: a chirp sweeping
// up, two steady tones and a noise floor falling with frequency, as display
// levels on the analyser's scale (amplitude 1 is 0, full scale 32767).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

class SyntheticSpectrum {
public:
    explicit SyntheticSpectrum(int bins, int sweepLines = 240) : m_bins(bins), m_sweepLines(sweepLines) {}

    std::vector<int16_t> line(int t)
    {
        std::vector<int16_t> levels(static_cast<size_t>(m_bins));
        const double chirp = m_bins * (0.04 + 0.85 * (t % m_sweepLines) / m_sweepLines);
        for (int i = 0; i < m_bins; ++i) {
            const double x = static_cast<double>(i) / m_bins;
            double m = 6.0 * std::exp(-2.5 * x) * m_noise(m_random) + 0.3;
            m += peak(i, chirp, 9000.0, 2.0);
            m += peak(i, 0.18 * m_bins, 3000.0, 1.0);
            m += peak(i, 0.47 * m_bins, 700.0, 1.0);
            levels[static_cast<size_t>(i)] = level(m);
        }
        return levels;
    }

private:
    static double peak(int i, double centre, double amplitude, double width)
    {
        const double d = (i - centre) / width;
        return amplitude / (1.0 + d * d);
    }
    static int16_t level(double m)
    {
        m = std::clamp(m, 5e-5, 32767.0);
        return static_cast<int16_t>(std::lround(std::log(m) * 32767.0 / std::log(32767.0)));
    }

    int m_bins;
    int m_sweepLines;
    std::mt19937 m_random{20240607};
    std::exponential_distribution<double> m_noise{1.0};
};
