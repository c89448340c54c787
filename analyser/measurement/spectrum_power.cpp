#include "spectrum_power.h"

#include <algorithm>

namespace vellarin {

namespace {

// Each bin's power times gain(k): a constant or a table, inlined either way.
template <typename Gain>
void powersOf(std::span<const double> spectrum, int32_t fftSize, std::span<double> power, Gain gain)
{
    if (fftSize <= 0)
        return;
    const size_t bins = std::min({size_t(fftSize / 2) + 1, power.size(), spectrum.size() / 2});
    const double scale = 2.0 / (double(fftSize) * double(fftSize));
    const double* x = spectrum.data();
    double* out = power.data();
    for (size_t k = 0; k < bins; ++k)
        out[k] = (x[2 * k] * x[2 * k] + x[2 * k + 1] * x[2 * k + 1]) * scale * gain(k);
}

}  // namespace

void binPowers(std::span<const double> spectrum, int32_t fftSize, std::span<double> power)
{
    powersOf(spectrum, fftSize, power, [](size_t) { return 1.0; });
}

void binPowers(std::span<const double> spectrum, int32_t fftSize, std::span<const double> gain,
               std::span<double> power)
{
    powersOf(spectrum, fftSize, power.first(std::min(power.size(), gain.size())),
             [g = gain.data()](size_t k) { return g[k]; });
}

double equivalentNoiseBandwidth(std::span<const double> window)
{
    double sum = 0.0, squares = 0.0;
    for (double w : window) {
        sum += w;
        squares += w * w;
    }
    if (!(sum * sum > 0.0))
        return 1.0;
    return double(window.size()) * squares / (sum * sum);
}

}  // namespace vellarin
