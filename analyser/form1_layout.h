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
    bool followsChart = false;  // keeps to the chart when a ruler takes its left
};

// The bottoms of the chart and of the frequency labels under it, as designed.
inline constexpr double chartBottom = 600 + 3615;
inline constexpr double labelsBottom = 4680 + 255;

// Strips the extras take while shown, in twips: a ruler left of the chart, a
// scale under it, and a readout under the frequency labels. The controls
// right of the ruler and below each strip move by it, the waterfall widens
// by the ruler, and the chart keeps its size. All zero: the design layout.
struct Strips {
    double ruler = 0;
    double scale = 0;
    double readout = 0;
    bool operator==(const Strips&) const = default;
};

// Controls placed on the window itself.
std::span<const Placement> windowPlacements();
// Children of the two group boxes, relative to their box; they never move.
std::span<const Placement> groupBoxPlacements();

}  // namespace vellarin::layout
