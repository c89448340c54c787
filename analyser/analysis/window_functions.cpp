#include "window_functions.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vellarin {

namespace {

// w(n) = a0 - a1 cos(2 pi n / N) + a2 cos(4 pi n / N) - ...; the coherent gain is a0.
constexpr WindowShape shapes[] = {
    {WindowFunction::rectangular, "Rectangular", "rectangular", {1, 0, 0, 0, 0}},
    {WindowFunction::hann, "Hann", "hann", {0.5, 0.5, 0, 0, 0}},
    // Harris's minimum 4-term form: sidelobes 92 dB down.
    {WindowFunction::blackmanHarris, "Blackman-Harris", "blackman-harris", {0.35875, 0.48829, 0.14128, 0.01168, 0}},
    // The 5-term flat top: a tone reads its level wherever it falls between bins.
    {WindowFunction::flatTop, "Flat-Top", "flat-top", {0.21557895, 0.41663158, 0.277263158, 0.083578947, 0.006947368}},
};

}  // namespace

std::span<const WindowShape> windowShapes() { return shapes; }

const WindowShape& windowShape(WindowFunction function)
{
    return *std::find_if(std::begin(shapes), std::end(shapes),
                         [function](const WindowShape& s) { return s.function == function; });
}

WindowFunction windowFromKey(const QString& key)
{
    for (const WindowShape& s : shapes)
        if (key == QLatin1String(s.key))
            return s.function;
    return WindowFunction::rectangular;
}

std::span<const double> WindowWeights::weights(int32_t n)
{
    n = std::max(n, 0);
    if (m_builtFor == m_function && m_weights.size() == size_t(n))
        return m_weights;
    const auto& a = windowShape(m_function).coefficients;
    m_weights.resize(size_t(n));
    for (int32_t i = 0; i < n; ++i) {
        const double phase = 2.0 * std::numbers::pi * i / n;
        double w = 0.0;
        for (size_t k = 0; k < a.size(); ++k)
            w += (k % 2 ? -a[k] : a[k]) * std::cos(double(k) * phase);
        m_weights[size_t(i)] = w / a[0];
    }
    m_builtFor = m_function;
    return m_weights;
}

void WindowWeights::weigh(std::span<const int16_t> samples, std::span<double> fftData)
{
    const auto w = weights(int32_t(samples.size()));
    const size_t n = std::min(samples.size(), fftData.size() / 2);
    for (size_t i = 0; i < n; ++i) {
        fftData[2 * i] = samples[i] * w[i];
        fftData[2 * i + 1] = 0.0;
    }
}

}  // namespace vellarin
