#include "axis_ticks.h"

#include <cmath>

namespace trazel {

std::optional<int> tickColumn(AxisMode mode, const AxisSpan& axis, double value, int width)
{
    const double bins = axis.points / 2;
    const double bin = (value - axis.min) * bins / (axis.max - axis.min);
    double column = NAN;
    if (mode == AxisMode::Logarithmic)
        column = width * std::log(bin) / std::log(bins);
    else if (mode == AxisMode::Linear)
        column = bin * width / bins;
    column = std::trunc(column);
    // NaN and infinities come from empty spans and bins at or below 0; they
    // and columns off the chart have no line.
    if (!std::isfinite(column) || column < 0 || column >= width)
        return std::nullopt;
    return int(column);
}

}  // namespace trazel
