#include "spectrum_lines.h"

#include "number_text.h"

#include <algorithm>

namespace vellarin {

namespace {

int32_t lastIndex(std::span<const int16_t> values) { return static_cast<int32_t>(values.size()) - 1; }

template <class ValueOf>
void buildMappedLine(std::span<const int16_t> binLevel, int32_t half, const BinMap& map, std::span<int16_t> line,
                     ValueOf valueOf)
{
    if (line.empty() || binLevel.empty())
        return;
    const int32_t lastColumn = static_cast<int32_t>(line.size()) - 1;
    half = std::clamp(half, 0, std::min(MaxHalf, lastIndex(binLevel)));

    // Every column that a bin reaches starts below every level.
    int32_t previous = 0;
    for (int32_t k = 1; k <= half; ++k) {
        const int32_t column = map[k][0];
        if (column == previous)
            continue;
        if (column >= 0 && column <= lastColumn)
            line[column] = NoData;
        previous = column;
    }

    const int16_t first = valueOf(binLevel[0]);
    line[0] = first;
    int32_t previousColumn = 0;
    int32_t previousValue = first;
    for (int32_t k = 1; k <= half; ++k) {
        const int32_t column = map[k][0];
        // Columns never decrease: once a bin lands past the line, so do the rest.
        if (column < 0 || column > lastColumn)
            break;
        const int16_t value = valueOf(binLevel[k]);
        if (value > line[column])
            line[column] = value;
        if (map[k][1] <= 0)
            continue;
        // The first bin on a new column: fill the columns no bin fell on.
        const double rise = line[column] - previousValue;
        const double run = column - previousColumn;
        for (int32_t j = previousColumn + 1; j < column; ++j)
            line[j] = static_cast<int16_t>(roundHalfEven((j - previousColumn) / run * rise + previousValue));
        previousColumn = column;
        previousValue = line[column];
    }
}

}  // namespace

void blankPastSpectrum(std::span<int16_t> binLevel, int32_t half, int32_t lastShown)
{
    const int32_t last = std::min(lastShown, lastIndex(binLevel));
    for (int32_t k = std::max(half + 1, 0); k <= last; ++k)
        binLevel[k] = NoData;
}

void buildMappedChartLine(std::span<const int16_t> binLevel, int32_t half, const BinMap& map,
                          std::span<int16_t> line)
{
    buildMappedLine(binLevel, half, map, line, [](int16_t level) { return level; });
}

void buildMappedWaterfallLine(std::span<const int16_t> binLevel, int32_t half, const BinMap& map,
                              const LevelWindow& window, std::span<int16_t> line)
{
    buildMappedLine(binLevel, half, map, line, [&window](int16_t level) { return waterfallValue(level, window); });
}

void buildStandardWaterfallLine(std::span<const int16_t> binLevel, int32_t half, int32_t firstBin, int32_t columns,
                                bool levelZoomed, const LevelWindow& window, std::span<int16_t> line)
{
    const int32_t shown = std::min(columns, static_cast<int32_t>(line.size()));
    const int32_t lastBin = std::min(half, lastIndex(binLevel));
    for (int32_t c = 0; c < shown; ++c) {
        const int32_t k = firstBin + c;
        const bool inSpectrum = k >= 0 && k <= lastBin;
        if (levelZoomed)
            line[c] = inSpectrum ? waterfallValue(binLevel[k], window) : 0;
        else
            line[c] = inSpectrum ? binLevel[k] : NoData;
    }
    // The line is one longer than the chart is wide; that last element shows
    // no bin, and a level there would draw a line of its own across the picture.
    if (shown >= 0 && shown < static_cast<int32_t>(line.size()))
        line[shown] = NoData;
}

}  // namespace vellarin
