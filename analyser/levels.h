#pragma once
// Display levels: the magnitude of an FFT bin on the logarithmic 16-bit
// scale of the chart, and a level seen through the waterfall's level window.
#include <cstdint>
#include <span>

namespace vellarin {

// Amplitudes below this are taken as this: silence reads -31211, not minus infinity.
inline constexpr double LevelFloor = 5e-5;
inline constexpr double LevelCeiling = 32767.0;

// The level scale: levels per neper of amplitude, 32767 / ln 32767, so a
// full-scale amplitude of 32767 reads 32767.
double levelScale();
// Decibels of a level, and levels per decibel, on that scale.
double levelDecibels(int32_t level);
double levelsPerDecibel();

// round(ln(m) x 32767 / ln 32767), m limited to LevelFloor..LevelCeiling,
// ties to even; the same for every m as that formula worked out in long double.
int16_t amplitudeLevel(double amplitude);

// Builds the tables amplitudeLevel reads (a few milliseconds, once), so the
// first frame does not pay for them.
void prepareLevels();

// The levels of bins 0..N/2 from an unscaled N-point transform, interleaved
// re/im in `spectrum` (at least N + 2 values): m = 2|X(k)| / N.
void computeBinLevels(std::span<const double> spectrum, int32_t fftSize, std::span<int16_t> binLevel);

struct LevelWindow {
    int32_t min = 0;
    int32_t max = 32767;
    int32_t span = 32767;
};

// 0..32767: 0 at or below the window, 32767 at or above it, linear between.
int16_t waterfallValue(int32_t level, const LevelWindow& window);

}  // namespace vellarin
