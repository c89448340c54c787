#pragma once
// Where the chart draws the tick lines of its frequency axis: a host that
// labels the axis puts each label over the same column.
#include <cmath>
#include <optional>

namespace trazel {

enum class AxisMode { None = 0, Logarithmic = 1, Linear = 2 };

struct AxisSpan {
    double min = 0;     // axis value at the left edge
    double max = 0;     // axis value at the right edge
    double points = 0;  // points across the axis; half of them are bins
};

// The column of axis value `value` (a tick's magnitude) on a chart `width`
// pixels wide, or nothing when the value has no column: left of bin 1 on a
// logarithmic axis, or an axis that spans nothing.
inline std::optional<int> tickColumn(AxisMode mode, const AxisSpan& axis, double value, int width)
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
