#pragma once
// The lines handed to the chart and the waterfall, built from the bin levels
// by the frequency scaling. Every builder writes only inside the line it is
// given, whatever the map or the scroll position says.
#include "analyser_state.h"
#include "levels.h"

#include <span>

namespace vellarin {

// Standard scaling shows bins first.. one per column; bins past the highest
// one (`half`) up to `lastShown` become NoData, so no column shows a level
// left over from an earlier, larger frame.
void blankPastSpectrum(std::span<int16_t> binLevel, int32_t half, int32_t lastShown);

// Logarithmic and full-fit scaling: each column shows the highest of the bins
// that fall on it; columns no bin falls on are interpolated between their
// neighbours. `binLevel` holds bins 0..half.
void buildMappedChartLine(std::span<const int16_t> binLevel, int32_t half, const BinMap& map,
                          std::span<int16_t> line);
void buildMappedWaterfallLine(std::span<const int16_t> binLevel, int32_t half, const BinMap& map,
                              const LevelWindow& window, std::span<int16_t> line);

// Standard scaling, one pixel per bin from `firstBin` on, for `columns`
// pixels. Without a zoomed level window the raw levels go through (NoData
// past the spectrum); with one, waterfall values (0 past the spectrum).
// The element after the last column, past the chart, is NoData.
void buildStandardWaterfallLine(std::span<const int16_t> binLevel, int32_t half, int32_t firstBin, int32_t columns,
                                bool levelZoomed, const LevelWindow& window, std::span<int16_t> line);

}  // namespace vellarin
