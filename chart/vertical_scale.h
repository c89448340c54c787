#pragma once
// Data value to pixel row on one channel's scale: the centre value lands on
// the centre row, Centre + HalfRange on row 0.
#include <algorithm>
#include <cstdint>

namespace trazel {

// Rows far outside any surface are cut here so that the line walker's
// arithmetic stays small; they are clipped anyway.
inline constexpr int32_t farRow = 1 << 24;

// Computed wide so that large ranges and tall charts cannot overflow; the
// division truncates toward zero as the chart's integer arithmetic does. A
// half-range of 0 (Ymin == Ymax on a channel the scale clamp did not reach)
// puts every value on the centre row.
constexpr int32_t rowOf(int32_t value, int32_t centre, int32_t halfRange, int32_t halfHeight)
{
    if (halfRange == 0)
        return halfHeight;
    const int64_t row = int64_t(halfHeight) - (int64_t(value) - centre) * halfHeight / halfRange;
    return int32_t(std::clamp<int64_t>(row, -farRow, farRow));
}

}  // namespace trazel
