#include "spectrum_power.h"

#include <algorithm>

namespace vellarin {

void binPowers(std::span<const double> spectrum, int32_t fftSize, std::span<double> power)
{
    if (fftSize <= 0)
        return;
    const size_t bins = std::min({size_t(fftSize / 2) + 1, power.size(), spectrum.size() / 2});
    const double scale = 2.0 / (double(fftSize) * double(fftSize));
    for (size_t k = 0; k < bins; ++k)
        power[k] = (spectrum[2 * k] * spectrum[2 * k] + spectrum[2 * k + 1] * spectrum[2 * k + 1]) * scale;
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
