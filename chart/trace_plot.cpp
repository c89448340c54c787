#include "trace_plot.h"

#include "raster.h"
#include "vertical_scale.h"

#include <bit>

namespace trazel {

namespace {

RasterPen rasterPen(const Pen& pen) { return {surfaceColour(pen.colour), pen.width}; }

// How one trace is drawn and which sample of each point it reads.
struct TraceStyle {
    RasterPen pen;
    int channel = 0;
    bool drawSkipped = false;  // skipped points stretch the next plotted column
    bool holdLevel = false;    // each level is held flat into the next column
    bool marks = false;        // event marks for samples with bit 1 set
};

class TraceWalk {
public:
    TraceWalk(const TrazelState& s, Raster& raster, const SampleView& samples, const CallPlan& plan)
        : m_s(s), m_raster(raster), m_samples(samples), m_plan(plan)
    {
    }

    template <class RowOf> void walk(const TraceStyle& style, RowOf rowOf, int32_t& lastY) const
    {
        PenCursor pen(m_raster, style.pen);
        const bool scroll = m_s.ScrollMode;
        const int width = m_s.ChartWidth;
        const int columns = m_plan.columns;
        const int sweep = m_s.SweepX;
        const auto sample = [&](int64_t i) { return m_samples.at(i, style.channel); };

        // A trace continues from the last call unless the sweep starts afresh.
        const bool fresh = m_s.RestartPending || (!scroll && sweep == 0);
        const int32_t y0 = fresh ? rowOf(sample(m_plan.start)) : lastY;
        pen.moveTo(scroll ? width - columns - 1 : sweep, y0);

        bool wrapped = false;
        const auto columnOf = [&](int64_t j) -> int {
            if (scroll)
                return int(width - columns + j);
            const int64_t x = sweep + 1 + j;
            const bool pastEdge = m_plan.call == DataCall::ChartEx ? x >= width : x > width;
            if (!wrapped && pastEdge) {
                wrapped = true;
                pen.moveTo(0, lastY);
            }
            return int(wrapped ? x - width : x);
        };

        // Point by point, a run of one level is a flat stroke of one-column
        // segments; taken whole it is the same pixels for one walk. Only
        // where every point is plotted and nothing else marks them.
        const bool runs = m_plan.step == 1 && !style.holdLevel && !style.marks;
        // The first column index that wraps to the left edge.
        const int64_t firstWrap = scroll ? columns : width - sweep - (m_plan.call == DataCall::ChartEx ? 1 : 0);

        int counter = m_plan.carried + 1;
        int lastColumn = 0;
        int64_t plotted = 0;
        for (int64_t i = m_plan.start - m_plan.carried; plotted < columns; ++i) {
            if (counter <= 1) {
                const int x = columnOf(plotted);
                const int16_t level = sample(i);
                const int32_t y = rowOf(level);
                pen.lineTo(x, y);
                if (style.holdLevel)
                    pen.lineTo(x + 1, y);
                lastY = y;
                lastColumn = x;
                counter = m_plan.step;
                ++plotted;
                if (runs) {
                    const int64_t limit = wrapped ? columns : std::min<int64_t>(columns, firstWrap);
                    int64_t more = 0;
                    while (plotted + more < limit && sample(i + 1 + more) == level)
                        ++more;
                    if (more > 0) {
                        plotted += more;
                        i += more;
                        lastColumn = columnOf(plotted - 1);
                        pen.lineTo(lastColumn, y);
                    }
                }
            } else {
                --counter;
                if (style.drawSkipped && i >= m_plan.start)
                    pen.lineTo(columnOf(plotted), rowOf(sample(i)));
            }
            if (style.marks && i >= m_plan.start && (sample(i) & 2))
                mark(pen, scroll ? lastColumn : lastColumn + 1, lastY, (sample(i) & 1) != 0);
        }
    }

private:
    // A vertical stroke to the top edge (bit 0 set) or the bottom edge, and back.
    void mark(PenCursor& pen, int x, int32_t lastY, bool toTop) const
    {
        pen.moveTo(x, lastY);
        pen.lineTo(x, toTop ? 0 : m_s.ChartHeight);
        pen.lineTo(x, lastY);
    }

    const TrazelState& m_s;
    Raster& m_raster;
    const SampleView& m_samples;
    const CallPlan& m_plan;
};

// The legend of channel `channel`, on that channel's scale.
void drawLegend(const TrazelState& s, Raster& raster, int channel, const RasterPen& pen)
{
    if (!s.ShowLegend)
        return;
    if (!s.BaseLineLegend) {
        for (int row = 4 * channel; row < 4 * channel + 3; ++row)
            raster.line({0, row}, {3, row}, pen);
        return;
    }
    const int32_t r = rowOf(s.BaseLine[channel], s.Centre[channel], s.HalfRange[channel], s.HalfHeight);
    raster.line({0, r - 1}, {2, r - 1}, pen);
    raster.line({0, r}, {4, r}, pen);
    raster.line({0, r + 1}, {2, r + 1}, pen);
}

bool marksWanted(const TrazelState& s, DataCall call)
{
    return s.MarkEvents && (call == DataCall::Chart || !s.ScrollMode);
}

void plotAnalogue(TrazelState& s, Raster& raster, const TraceWalk& walk, DataCall call, int channel,
                  int scaleChannel, const Pen& pen)
{
    const int32_t centre = s.Centre[scaleChannel], halfRange = s.HalfRange[scaleChannel], h2 = s.HalfHeight;
    TraceStyle style;
    style.pen = rasterPen(pen);
    style.channel = channel;
    style.drawSkipped = call == DataCall::ChartEx;
    style.marks = marksWanted(s, call);
    // Runs of one level, such as a spectrum's columns past its last bin, are
    // scaled once.
    int32_t level = INT32_MIN, row = 0;  // no level yet: outside the 16-bit range
    const auto rowOfLevel = [&](int16_t v) {
        if (v != level) {
            level = v;
            row = rowOf(v, centre, halfRange, h2);
        }
        return row;
    };
    walk.walk(style, rowOfLevel, s.LastY[scaleChannel]);
    // A single-channel plot borrows channel 0's scale, pen and legend place.
    drawLegend(s, raster, scaleChannel, style.pen);
}

// One lane for the whole mask (ChartEx, or a single mask bit).
void plotDigitalLane(TrazelState& s, const TraceWalk& walk, DataCall call, int channel, uint16_t mask)
{
    const int32_t high = s.HalfHeight / 3, low = s.ChartHeight - s.HalfHeight / 3;
    TraceStyle style;
    style.pen = rasterPen(s.tools.normal[0]);
    style.channel = channel;
    style.holdLevel = !s.ScrollMode;
    style.drawSkipped = call == DataCall::ChartEx && s.ScrollMode;
    style.marks = marksWanted(s, call);
    walk.walk(style, [&](int16_t v) { return (uint16_t(v) & mask) ? high : low; }, s.LastY[0]);
}

// One lane per mask bit, stacked from the top, bit 0 first.
void plotDigitalLanes(TrazelState& s, const TraceWalk& walk, int channel, uint16_t mask)
{
    const int n = std::popcount(mask);
    const int32_t h = s.HalfHeight / n, swing = 2 * h / 3;
    TraceStyle style;
    style.pen = rasterPen(s.tools.normal[0]);
    style.channel = channel;
    int lane = 0;
    for (int bit = 0; bit < 16; ++bit) {
        const uint16_t b = uint16_t(1u << bit);
        if (!(mask & b))
            continue;
        const int32_t base = s.ChartHeight * lane / n;
        const int32_t high = base + h - swing, low = base + h + swing;
        walk.walk(style, [&](int16_t v) { return (uint16_t(v) & b) ? high : low; }, s.LastY[lane]);
        ++lane;
    }
}

}  // namespace

void plotTraces(TrazelState& s, Raster& raster, const SampleView& samples, const CallPlan& plan)
{
    const TraceWalk walk(s, raster, samples, plan);
    const int channels = samples.channels;

    if (s.Channel >= 0 && s.Channel < channels) {
        const uint16_t mask = uint16_t(s.DigitalMask);
        if (mask == 0)
            plotAnalogue(s, raster, walk, plan.call, s.Channel, 0, s.tools.normal[0]);
        else if (plan.call == DataCall::ChartEx || std::popcount(mask) == 1)
            plotDigitalLane(s, walk, plan.call, s.Channel, mask);
        else
            plotDigitalLanes(s, walk, s.Channel, mask);
        return;
    }

    for (int ch = 0; ch < std::min(channels, channelCount); ++ch) {
        if (!(s.ChannelMask & (1 << ch)))
            continue;
        const Pen& pen = !s.DoubleActiveTrace        ? s.tools.normal[ch]
                         : ch == s.ActiveChannel ? s.tools.wide[ch]
                                                 : s.tools.pale[ch];
        plotAnalogue(s, raster, walk, plan.call, ch, ch, pen);
    }
}

}  // namespace trazel
