#include "trazel_state.h"

#include <algorithm>
#include <limits>

namespace trazel {

int32_t saturate32(int64_t v)
{
    return static_cast<int32_t>(
        std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

int activeChannel(const TrazelState& s) { return std::clamp<int>(s.ActiveChannel, 0, channelCount - 1); }

ChannelSpan scaledChannels(const TrazelState& s)
{
    const int active = activeChannel(s);
    return s.GroupSetting ? ChannelSpan{0, channelCount - 1} : ChannelSpan{active, active};
}

Colour paleColour(Colour c)
{
    Colour out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const Colour byte = (c >> shift) & 0xFF;
        out |= (byte < 0xC0 ? byte + 0x40 : 0xFF) << shift;
    }
    return out;
}

int drawnTickCount(const TrazelState& s)
{
    return std::clamp(std::min(s.TickCount, s.TicksStored), 0, tickCapacity);
}

void deriveScale(TrazelState& s, int ch)
{
    const int64_t lo = s.Ymin[ch];
    const int64_t hi = s.Ymax[ch];
    s.HalfRange[ch] = saturate32((hi - lo) / 2);
    s.Centre[ch] = saturate32((lo + hi) / 2);
}

void scaleFromCentre(TrazelState& s, int ch)
{
    s.Ymax[ch] = saturate32(int64_t{s.Centre[ch]} + s.HalfRange[ch]);
    s.Ymin[ch] = saturate32(int64_t{s.Centre[ch]} - s.HalfRange[ch]);
}

void applyScaleClamp(TrazelState& s)
{
    constexpr int32_t smallest = 16;
    constexpr int32_t largest = 0x400000;
    const ChannelSpan span = scaledChannels(s);
    for (int ch = span.first; ch <= span.last; ++ch) {
        const int64_t range = s.HalfRange[ch];
        const int32_t sign = range < 0 ? -1 : 1;
        const int64_t magnitude = range < 0 ? -range : range;
        if (magnitude >= smallest && magnitude <= largest)
            continue;
        s.HalfRange[ch] = sign * (magnitude < smallest ? smallest : largest);
        scaleFromCentre(s, ch);
    }
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
