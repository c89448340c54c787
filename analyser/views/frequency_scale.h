#pragma once
// The frequency scale under the chart: values at the chart's tick lines in
// logarithmic and full-fit scaling (the octave grid's lines by their notes), and at round frequencies (1, 2 or 5
// times a power of ten) in standard scaling, each over the column that
// shows it.
#include "frequency_scaling.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

namespace vellarin {

// A band's bar on the chart, with a band view on: the columns it fills.
struct BandBar {
    QString label;  // its nominal mid-band frequency: "31.5", "1k"
    double nominal;
    int32_t firstColumn;
    int32_t lastColumn;
    bool octave;  // of the octave series, labelled before the thirds between
    bool operator==(const BandBar&) const = default;
};

struct FrequencyAxis {
    int16_t scaling = 0;
    int32_t fftSize = 0;
    double sampleRate = 0;
    int32_t firstBin = 0;  // the pan position of standard scaling
    int32_t columns = 0;   // the chart's width in device pixels
    // The tick lines the chart was sent, if any.
    std::optional<AxisTicks> ticks;
    // With a band view on, its bars, left to right: labelled in place of frequencies.
    std::vector<BandBar> bands;
    bool operator==(const FrequencyAxis&) const = default;
};

struct ScaleMark {
    int column;
    double hertz;
    bool major;    // a solid tick line, or a round value of standard scaling
    QString note;  // a line of the octave grid, labelled by its note: "C4"
};

// The marks that fall on the chart, left to right: with bands, one under the
// middle of each bar, by its nominal label.
std::vector<ScaleMark> frequencyMarks(const FrequencyAxis& axis);

// "500", "1k", "2.5k", "22.05k".
QString scaleText(double hertz);
// What a mark is labelled with: its note, else its frequency.
QString markText(const ScaleMark& mark);

struct PlacedLabel {
    QString text;
    int left;  // logical pixels
    int width;
};
// The labels drawn across `width` logical pixels, each `advance` wide,
// about its mark's device column (`ratio` device pixels a logical one):
// ranked labels first, the rest only where they keep clear of those placed.
std::vector<PlacedLabel> placeLabels(const std::vector<ScaleMark>& marks, const FrequencyAxis& axis,
                                     const std::function<int(const QString&)>& advance, double ratio, int width);

class FrequencyScale final : public QWidget {
public:
    FrequencyScale(std::function<FrequencyAxis()> axis, QWidget* parent);
    // Repaints when the axis is no longer the one painted.
    void follow();
    // The axis the scale labels now.
    FrequencyAxis axis() const { return m_axis(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::function<FrequencyAxis()> m_axis;
    FrequencyAxis m_painted;
};

}  // namespace vellarin
