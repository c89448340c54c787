#pragma once
// The power of each bin of a frame's transform, in sample units squared, and
// the window's equivalent noise bandwidth that turns sums of bins into the
// power of a tone or of noise.
#include <cstdint>
#include <span>

namespace vellarin {

// Bins 0..N/2 of an unscaled N-point transform (interleaved re/im, at least
// N + 2 values) of a frame weighed by a window divided by its coherent gain:
// power(k) = (2 |X(k)| / N)^2 / 2, the mean square of a sine that peaks on
// bin k. `power` holds N/2 + 1 values.
void binPowers(std::span<const double> spectrum, int32_t fftSize, std::span<double> power);
// The same, each bin's power times its `gain` (at least as many values as
// bins written), in the one pass.
void binPowers(std::span<const double> spectrum, int32_t fftSize, std::span<const double> gain,
               std::span<double> power);

// N sum(w^2) / (sum w)^2, in bins: 1 for the rectangular window, 1.5 for
// Hann. A tone's power spreads over this many bins, and so does a bin's
// share of noise; 1 for an empty or all-zero window.
double equivalentNoiseBandwidth(std::span<const double> window);

}  // namespace vellarin
