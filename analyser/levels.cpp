#include "levels.h"

#include <automation/rounding.h>

#include <algorithm>
#include <cmath>

namespace vellarin {

using automation::roundHalfEven;

int16_t amplitudeLevel(double amplitude, double levelScale)
{
    // NaN (a broken transform) falls to the floor rather than through the clamp.
    const double m = amplitude > LevelFloor ? std::min(amplitude, LevelCeiling) : LevelFloor;
    const double level = std::clamp(roundHalfEven(std::log(m) * levelScale), -32768.0, 32767.0);
    return static_cast<int16_t>(level);
}

void computeBinLevels(std::span<const double> spectrum, int32_t fftSize, double levelScale,
                      std::span<int16_t> binLevel)
{
    if (fftSize <= 0)
        return;
    const auto half = static_cast<size_t>(fftSize / 2);
    const size_t bins = std::min({half + 1, binLevel.size(), spectrum.size() / 2});
    const double toAmplitude = 2.0 / fftSize;
    for (size_t k = 0; k < bins; ++k) {
        const double a = spectrum[2 * k];
        const double b = spectrum[2 * k + 1];
        binLevel[k] = amplitudeLevel(std::sqrt(a * a + b * b) * toAmplitude, levelScale);
    }
}

int16_t waterfallValue(int32_t level, const LevelWindow& window)
{
    if (level <= window.min)
        return 0;
    if (level >= window.max || window.span <= 0)
        return 32767;
    const double v = roundHalfEven((double(level) - window.min) / window.span * 32767.0);
    return static_cast<int16_t>(std::clamp(v, 0.0, 32767.0));
}

}  // namespace vellarin
