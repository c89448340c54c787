#include "form1_layout.h"

namespace vellarin::layout {

namespace {

constexpr Placement window[] = {
    {"Command1", 120, 120, 495, 375},
    {"Command2", 720, 120, 495, 375},
    {"Label2", 1800, 120, 1215, 255},
    {"List1", 3120, 120, 2535, 315},
    {"Label1", 5880, 120, 1215, 255},
    {"Combo1", 7200, 120, 1095, 315},
    {"Label6", 8400, 120, 855, 255},
    {"Combo2", 9480, 120, 1095, 315},
    {"Trazel1", 120, 600, 7695, 3615, 0, true, false, true},
    // The scaling options sit flush with the group boxes below them.
    {"LogX", 7920, 600, 2415, 255, 1},
    {"FullFreqX", 7920, 840, 2415, 255, 1},
    {"StandardX", 7920, 1080, 2415, 255, 1},
    {"Frame1", 7920, 1560, 2535, 975, 1},
    {"Frame2", 7920, 2760, 2535, 2295, 1},
    {"HScroll1", 120, 4320, 7695, 135, 0, true, false, true},
    {"Label3", 120, 4680, 975, 255, 0, false, false, true},
    {"Label5", 3000, 4680, 2175, 255, 0.5, false, false, true},  // under the middle of the chart
    {"Label4", 6840, 4680, 975, 255, 1, false, false, true},     // under the chart's right end
    // Moves right with the chart, so a frequency keeps its column in both.
    {"Cascadra1", 120, 5160, 10335, 4215, 0, true, true, true},
};

constexpr Placement groupBoxChildren[] = {
    {"Persist", 1080, 240, 855, 195},
    {"HScroll2", 1080, 600, 1335, 135},
    {"Command3", 120, 360, 375, 375},
    {"Command5", 600, 360, 375, 375},
    {"Option1", 120, 360, 1455, 255},
    {"Option2", 120, 600, 1335, 255},
    {"Option3", 120, 840, 1455, 255},
    {"Option4", 120, 1080, 1455, 255},
    {"Option5", 120, 1320, 1575, 255},
    {"Option6", 120, 1560, 1575, 255},
    {"Check1", 120, 1920, 855, 255},
    {"Command4", 2040, 1800, 375, 375},
};

}  // namespace

std::span<const Placement> windowPlacements() { return window; }
std::span<const Placement> groupBoxPlacements() { return groupBoxChildren; }

}  // namespace vellarin::layout
