// The pointer readouts in Label5 and the level window the chart's zoom sets:
// handlers of the chart's and the waterfall's events, reading the form state
// as it is at each event, so after Stop they describe the last frame.
#include "band_notation.h"
#include "component_site.h"
#include "form1.h"
#include "readouts.h"

#include <interfaces/trazel.h>

#include <QLabel>
#include <QScrollBar>

#include <algorithm>

namespace vellarin {

namespace {

// A bin past the level array (a chart far wider than any spectrum) has no level.
int32_t levelOf(const AnalyserState& s, int32_t bin)
{
    return bin >= 0 && bin < static_cast<int32_t>(s.BinLevel.size()) ? s.BinLevel[bin] : NoData;
}

}  // namespace

void Form1::connectReadouts()
{
    m_chart.onEvents([this](int32_t min, int32_t max) { chartRangeChanged(min, max); },
                     [this](int32_t offset) { crossHairMoved(offset); });
    m_waterfall.onCursorMoved([this](int16_t x, int16_t y) { waterfallPointerMoved(x, y); });
}

ScalingView Form1::scalingView() const
{
    return {m_state->FreqScaling, HScroll1->value(), m_state->FFTSize / 2};
}

void Form1::crossHairMoved(int32_t offset)
{
    const AnalyserState& s = *m_state;
    // The two-line cross-hair reports -(x + 60000 (y + 1)); its column is what
    // the multiples of 60000 leave over.
    const int32_t x =
        offset < 0 ? static_cast<int32_t>(-static_cast<int64_t>(offset) % trazel::CrossHairRowStride) : offset;
    const int32_t column = std::min(x, m_chart.xmax() - 1);
    const int32_t bin = chartColumnBin(scalingView(), column, s.ChartLogMap, s.ChartFitMap);
    const double hertz = static_cast<double>(bin) * sampleRate() / s.FFTSize;
    if (const auto band = m_bandNotation ? m_bandNotation->bandOf(bin) : std::nullopt) {
        // The bar's level: an unresolved band's hatched bar leaves every other bin out.
        int32_t level = NoData;
        for (int32_t k = band->firstBin; k <= band->lastBin; ++k)
            level = std::max(level, levelOf(s, k));
        Label5->setText(bandCaption(band->label, band->centre, level, m_levelNotation));
        return;
    }
    Label5->setText(crossHairCaption(hertz, levelOf(s, bin), m_levelNotation));
}

void Form1::waterfallPointerMoved(int16_t x, int16_t y)
{
    const AnalyserState& s = *m_state;
    const TwipsScale scale = TwipsScale::of(this);
    // The pointer comes in the picture's own pixels, the screen's.
    const double ratio = waterfallDeviceRatio();
    const int32_t direction = m_waterfall.scrollDirection();
    const WaterfallPointer pointer{x,
                                   y,
                                   static_cast<float>(Cascadra1->widthTwips() / scale.perPixelX * ratio),
                                   static_cast<float>(waterfallPixels()),
                                   direction,
                                   m_waterfall.view3D() != 0 ? m_waterfall.depth3D() : int16_t(0)};
    const auto bin = waterfallBin(scalingView(), pointer,
                                  {s.ChartLogMap, s.ChartFitMap, s.WaterfallLogMap, s.WaterfallFitMap});
    if (bin)
        Label5->setText(waterfallCaption(*bin * sampleRate() / s.FFTSize, direction));
}

void Form1::chartRangeChanged(int32_t min, int32_t max)
{
    AnalyserState& s = *m_state;
    s.LevelMin = min;
    s.LevelMax = max;
    s.LevelZoomed = min == 0 && max == 32767 ? False : True;
    s.LevelSpan = max - min;
}

}  // namespace vellarin
