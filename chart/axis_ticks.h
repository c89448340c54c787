#pragma once
// Columns of the frequency-axis tick lines.
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
std::optional<int> tickColumn(AxisMode mode, const AxisSpan& axis, double value, int width);

}  // namespace trazel
