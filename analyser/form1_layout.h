#pragma once
// The main window's design layout in twips, and how each control follows the
// window when it grows beyond its smallest size.
#include <span>

namespace vellarin::layout {

// The smallest outer size of the window; at this size the layout is the design layout.
inline constexpr double minOuterWidth = 10740;
inline constexpr double minOuterHeight = 10065;
// The design client area; the difference to the outer size is the window frame.
inline constexpr double clientWidth = 10575;
inline constexpr double clientHeight = 9495;
inline constexpr double frameWidth = minOuterWidth - clientWidth;
inline constexpr double frameHeight = minOuterHeight - clientHeight;

struct Placement {
    const char* control;
    double left, top, width, height;
    double leftShare = 0;  // share of the extra width added to the left edge
    bool widthGrows = false;
    bool heightGrows = false;
    bool followsChart = false;  // keeps to the chart's left when a strip takes room there
};

// The bottoms of the chart and of the frequency labels under it, as designed.
inline constexpr double chartBottom = 600 + 3615;
inline constexpr double labelsBottom = 4680 + 255;

// The room strips take while shown, in twips: left of the chart, under it,
// and under the frequency labels. The controls right of the left strips and
// below each strip move by it, the chart and the waterfall keep their sizes.
// All zero: the design layout.
struct Strips {
    double leftOfChart = 0;
    double underChart = 0;
    double underLabels = 0;
    bool operator==(const Strips&) const = default;
};

// Controls placed on the window itself.
std::span<const Placement> windowPlacements();
// Children of the two group boxes, relative to their box; they never move.
std::span<const Placement> groupBoxPlacements();

}  // namespace vellarin::layout
