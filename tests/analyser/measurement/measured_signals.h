#pragma once
// Sound made to order for the measurement tests, and its spectrum as the
// analyser takes it: weighed by a window divided by its coherent gain,
// transformed, and turned into bin powers.
#include "spectrum_power.h"

#include <fftw3.h>

#include <array>
#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

namespace testsignals {

using Cosines = std::array<double, 5>;
inline constexpr Cosines rectangular = {1, 0, 0, 0, 0};
inline constexpr Cosines hann = {0.5, 0.5, 0, 0, 0};
inline constexpr Cosines blackmanHarris = {0.35875, 0.48829, 0.14128, 0.01168, 0};
inline constexpr Cosines flatTop = {0.21557895, 0.41663158, 0.277263158, 0.083578947, 0.006947368};

// Periodic cosine-sum window divided by its coherent gain (a0).
inline std::vector<double> window(const Cosines& a, int n)
{
    std::vector<double> w(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        double v = 0;
        for (size_t k = 0; k < a.size(); ++k)
            v += (k % 2 ? -a[k] : a[k]) * std::cos(double(k) * 2 * std::numbers::pi * i / n);
        w[size_t(i)] = v / a[0];
    }
    return w;
}

inline std::vector<double> sine(size_t count, double hz, double amplitude, double rate, double phase = 0.3)
{
    std::vector<double> x(count);
    for (size_t i = 0; i < count; ++i)
        x[i] = amplitude * std::sin(2 * std::numbers::pi * hz * double(i) / rate + phase);
    return x;
}

// Pink noise: Gaussian white noise through a sum of first-order low-passes
// whose slopes make -10 dB per decade within 0.05 dB above 10 Hz at 44.1 kHz.
inline std::vector<double> pinkNoise(size_t count, double rms, uint32_t seed)
{
    std::mt19937 random(seed);
    std::normal_distribution<double> white(0.0, 1.0);
    std::vector<double> x(count);
    double b0 = 0, b1 = 0, b2 = 0, b3 = 0, b4 = 0, b5 = 0, b6 = 0;
    double sum = 0;
    for (size_t i = 0; i < count; ++i) {
        const double w = white(random);
        b0 = 0.99886 * b0 + w * 0.0555179;
        b1 = 0.99332 * b1 + w * 0.0750759;
        b2 = 0.96900 * b2 + w * 0.1538520;
        b3 = 0.86650 * b3 + w * 0.3104856;
        b4 = 0.55000 * b4 + w * 0.5329522;
        b5 = -0.7616 * b5 - w * 0.0168980;
        x[i] = b0 + b1 + b2 + b3 + b4 + b5 + b6 + w * 0.5362;
        b6 = w * 0.115926;
        sum += x[i] * x[i];
    }
    const double scale = rms / std::sqrt(sum / double(count));
    for (double& v : x)
        v *= scale;
    return x;
}

// Bin powers 0..N/2 of `samples[from .. from + N)` through `w`.
class Spectrum {
public:
    explicit Spectrum(int n) : m_n(n), m_in(size_t(n)), m_out(size_t(n) / 2 + 1)
    {
        m_plan = fftw_plan_dft_r2c_1d(n, m_in.data(), reinterpret_cast<fftw_complex*>(m_out.data()), FFTW_ESTIMATE);
    }
    ~Spectrum() { fftw_destroy_plan(m_plan); }
    Spectrum(const Spectrum&) = delete;
    Spectrum& operator=(const Spectrum&) = delete;

    std::vector<double> powers(const std::vector<double>& samples, size_t from, const std::vector<double>& w)
    {
        for (int i = 0; i < m_n; ++i)
            m_in[size_t(i)] = samples[from + size_t(i)] * w[size_t(i)];
        fftw_execute(m_plan);
        std::vector<double> interleaved(size_t(m_n) + 2);
        for (size_t k = 0; k < m_out.size(); ++k) {
            interleaved[2 * k] = m_out[k].real();
            interleaved[2 * k + 1] = m_out[k].imag();
        }
        std::vector<double> power(m_out.size());
        vellarin::binPowers(interleaved, m_n, power);
        return power;
    }

private:
    int m_n;
    std::vector<double> m_in;
    std::vector<std::complex<double>> m_out;
    fftw_plan m_plan;
};

}  // namespace testsignals
