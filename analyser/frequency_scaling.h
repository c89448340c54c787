#pragma once
// The three frequency scalings of the chart and the waterfall: the axis
// command for the chart's tick lines, the bin-to-pixel maps, and the
// frequency view (labels under the chart and the pan range).
#include "analyser_state.h"

#include <interfaces/trazel_axis.h>

#include <QString>

#include <optional>
#include <vector>

namespace vellarin {

// A tick line of the frequency axis; solid lines mark decades or round
// values. The octave grid's dotted lines carry their note, "C4".
struct AxisTick {
    double hertz;
    bool solid;
    QString note;
    bool operator==(const AxisTick&) const = default;
};

// The chart's frequency axis in logarithmic and full-fit scaling: what the
// axis command tells the chart, so a label put at tickColumn() of a tick sits
// on the line the chart draws for it.
struct AxisTicks {
    trazel::AxisMode mode = trazel::AxisMode::None;
    trazel::AxisSpan span;
    std::vector<AxisTick> ticks;
    bool operator==(const AxisTicks& o) const
    {
        return mode == o.mode && span.min == o.span.min && span.max == o.span.max && span.points == o.span.points &&
               ticks == o.ticks;
    }
};

// The axis for a scaling and rate, with the drop-down texts as typed: the
// tables' ticks for 8000, 11025, 22050 and 44100 Hz, ticks by their rule for
// any other rate; none in standard scaling or for a rate without ticks. With
// `noteGrid` in logarithmic scaling, the C notes below half the rate follow
// as dotted lines.
std::optional<AxisTicks> axisTicks(int16_t freqScaling, double sampleRate, const QString& fftSizeText,
                                   const QString& rateText, bool noteGrid = false);

// The chart's axis command for a scaling and sample rate: "L" in standard
// scaling; the tables' own for 8000, 11025, 22050 and 44100 Hz, ticks by
// their rule for any other rate; none for a rate without ticks below half
// of it. `fftSizeText` and `rateText` are the drop-down texts, sent as typed.
// With `noteGrid` in logarithmic scaling, the ticks of axisTicks() with the
// C notes among them; without it, exactly the tables'.
std::optional<QString> axisCommand(int16_t freqScaling, double sampleRate, const QString& fftSizeText,
                                   const QString& rateText, bool noteGrid = false);

struct BinMaps {
    BinMap& chartLog;
    BinMap& waterfallLog;
    BinMap& chartFit;
    BinMap& waterfallFit;
};

// Fills bins 1..N/2 of the four maps for `chartColumns` (the chart's Xmax) and
// `waterfallPixels` (the waterfall's height in pixels, not rounded).
void buildBinMaps(int32_t fftSize, int32_t chartColumns, double waterfallPixels, const BinMaps& maps);

// "5512.5Hz": one decimal, "Hz" directly behind.
QString formatHz(double hertz);

// Frequency of bin k of an N-point frame; 0 for a frame size of 0 or less.
double binFrequency(double k, double sampleRate, int32_t fftSize);

struct FrequencyView {
    QString lowLabel;   // Label3
    QString highLabel;  // Label4
    bool scrollEnabled = false;
    // Only in standard scaling is the scroll range touched.
    std::optional<int32_t> scrollMax;
    std::optional<int32_t> scrollValue;
};

// The frequency view for the current scaling; `scrollValue` is the pan bar's
// value before the call.
FrequencyView frequencyView(int16_t freqScaling, int32_t fftSize, int32_t chartColumns, double sampleRate,
                            int32_t scrollValue);

// Labels of the standard view panned to bin `firstBin`.
QString lowLabel(int32_t firstBin, double sampleRate, int32_t fftSize);
QString highLabel(int32_t firstBin, int32_t chartColumns, double sampleRate, int32_t fftSize);

}  // namespace vellarin
