#pragma once
// The chart control's dispatch interface _DTrazel and event interface
// _DTrazelEvents: the numbers a host calls by.
#include <automation/dispatch.h>

namespace trazel {

namespace dispid {
inline constexpr automation::DispId ActiveChannel = 1, BaseLineLegend = 2, Channel = 3, ChannelMask = 4,
    ChartText = 5, DigitalMask = 6, GridSpacingX = 7, GridSpacingY = 8, GroupSetting = 9, Lock = 10,
    MarkEvents = 11, PEraseBar = 12, PGrid = 13, PText = 14, PenSize = 15, ScrollMode = 16, ShowEraseBar = 17,
    ShowLegend = 18, SolidBaseLine = 19, Step = 20, Xmax = 21, SumWaveforms = 22, DoubleActiveTrace = 23,
    Persist = 24, Key = 25, Chart = 26, ChartEx = 27, CopyToClipboard = 28, SetTextPos = 29, AuxCrossHair = 30,
    EvenSpacing = 31, PLine = 32, Ymax = 33, Ymin = 34, BaseLine = 35;
}  // namespace dispid

namespace eventid {
inline constexpr automation::DispId ChartChanged = 1, CrossHair = 2;
}  // namespace eventid

// CrossHair's Offset is the column x, or -(x + CrossHairRowStride x (y + 1))
// for the two-line cross-hair at row y.
inline constexpr int32_t CrossHairRowStride = 60000;

}  // namespace trazel
