#include "trazel_state.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace trazel {

Colour paleColour(Colour c)
{
    Colour out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const Colour byte = (c >> shift) & 0xFF;
        out |= (byte < 0xC0 ? byte + 0x40 : 0xFF) << shift;
    }
    return out;
}

int32_t rowOf(int64_t v, int32_t centre, int32_t halfRange, int32_t halfHeight)
{
    if (halfRange == 0)
        return halfHeight;
    const int64_t row = halfHeight - ((v - centre) * halfHeight) / halfRange;
    return static_cast<int32_t>(std::clamp<int64_t>(row, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

int drawnTickCount(const TrazelState& s)
{
    return std::clamp(std::min(s.TickCount, s.TicksStored), 0, tickCapacity);
}

std::optional<int32_t> tickColumn(const TrazelState& s, double v)
{
    const double span = s.AxisMax - s.AxisMin;
    const double bins = s.AxisPoints / 2;
    const double width = s.ChartWidth;
    double x = 0;
    switch (s.AxisMode) {
    case 1: {
        const double bin = (v - s.AxisMin) * bins / span;
        x = width * std::log(bin) / std::log(bins);
        break;
    }
    case 2:
        x = (v - s.AxisMin) * bins / span * width / bins;
        break;
    default:
        return std::nullopt;
    }
    // Outside this band no surface could show the line, and the conversion
    // to an integer column would not be defined.
    constexpr double limit = 1 << 30;
    if (!std::isfinite(x) || x <= -limit || x >= limit)
        return std::nullopt;
    return static_cast<int32_t>(std::trunc(x));
}

void rebuildDrawingTools(TrazelState& s)
{
    DrawingTools& t = s.tools;
    for (int ch = 0; ch < channelCount; ++ch) {
        t.normal[ch] = {s.PLine[ch], s.PenSize};
        t.wide[ch] = {s.PLine[ch], 2 * s.PenSize};
        t.pale[ch] = {paleColour(s.PLine[ch]), s.PenSize};
    }
    t.grid = {s.PGrid, 1};
    t.eraseBar = {s.PEraseBar, 1};
    t.background = {s.PBackground, 1};
    t.auxCrossHair = {colours::red, 1};
    t.annotation = {s.PGrid, 1};
    t.backgroundBrush = {s.PBackground};
    t.whiteBrush = {colours::white};
}

}  // namespace trazel
