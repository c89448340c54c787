#include "frequency_scale.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace vellarin {

namespace {

// Standard scaling labels values at least this far apart.
constexpr int labelSpacing = 64;

// The smallest of 1, 2 or 5 times a power of ten at or above `v`.
double roundStepAbove(double v)
{
    const double decade = std::pow(10.0, std::floor(std::log10(v)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * decade >= v)
            return m * decade;
    return 10.0 * decade;
}

}  // namespace

std::vector<ScaleMark> frequencyMarks(const FrequencyAxis& a)
{
    std::vector<ScaleMark> marks;
    // A typed rate may be anything; one without a finite value has no scale.
    if (a.columns <= 0 || a.fftSize <= 0 || !(a.sampleRate > 0) || !std::isfinite(a.sampleRate))
        return marks;
    if (!a.bands.empty()) {
        for (const BandBar& bar : a.bands)
            marks.push_back({(bar.firstColumn + bar.lastColumn) / 2, bar.nominal, bar.octave, bar.label});
        return marks;
    }
    if (a.scaling == LogScaling || a.scaling == FullFitScaling) {
        // Labels only where the chart draws tick lines, each over its line.
        if (!a.ticks)
            return marks;
        for (const AxisTick& t : a.ticks->ticks)
            if (const auto column = trazel::tickColumn(a.ticks->mode, a.ticks->span, t.hertz, a.columns))
                marks.push_back({*column, t.hertz, t.solid, t.note});
        std::sort(marks.begin(), marks.end(), [](const ScaleMark& x, const ScaleMark& y) { return x.column < y.column; });
        return marks;
    }
    // Standard scaling: the chart draws bin firstBin + i in column i + 1.
    const double hertzPerColumn = a.sampleRate / a.fftSize;
    const double step = roundStepAbove(labelSpacing * hertzPerColumn);
    const double lowest = a.firstBin * hertzPerColumn;
    // Counted rather than stepped, so rounding cannot stall the walk.
    const double first = std::ceil(lowest / step);
    for (int i = 0; i <= a.columns; ++i) {
        const double f = (first + i) * step;
        const double column = f / hertzPerColumn - a.firstBin + 1;
        if (!(column < a.columns) || f > a.sampleRate / 2)
            break;
        marks.push_back({int(std::lround(column)), f, true, {}});
    }
    return marks;
}

QString scaleText(double hertz)
{
    if (hertz < 1000)
        return QString::number(hertz, 'g', 6);
    return QString::number(hertz / 1000, 'g', 4) + u'k';
}

QString markText(const ScaleMark& mark) { return mark.note.isEmpty() ? scaleText(mark.hertz) : mark.note; }

std::vector<PlacedLabel> placeLabels(const std::vector<ScaleMark>& marks, const FrequencyAxis& axis,
                                     const std::function<int(const QString&)>& advance, double ratio, int width)
{
    // Solid ticks are labelled first, then the notes of the octave grid (or
    // the octave series among third-octave bands); the others where there is
    // room left.
    enum Rank { solid, note, dotted };
    const auto rank = [](const ScaleMark& m) { return m.major ? solid : m.note.isEmpty() ? dotted : note; };
    // Over bands the higher ones are labelled first: a band's bar is never
    // narrower than the one below it, and where low bars crowd (full fit)
    // the label of a wide bar is worth more than one squeezed beside it.
    std::vector<const ScaleMark*> order;
    for (const ScaleMark& m : marks)
        order.push_back(&m);
    if (!axis.bands.empty())
        std::reverse(order.begin(), order.end());
    std::vector<PlacedLabel> placed;
    for (Rank turn : {solid, note, dotted}) {
        for (const ScaleMark* m : order) {
            if (rank(*m) != turn)
                continue;
            // Laid out in logical pixels about the mark's device column.
            const double x = m->column / ratio;
            const QString text = markText(*m);
            const int w = advance(text);
            const int left = std::clamp(int(std::floor(x)) - w / 2, 0, std::max(0, width - w));
            const bool free = std::none_of(placed.begin(), placed.end(), [&](const PlacedLabel& t) {
                return left < t.left + t.width + 6 && left + w + 6 > t.left;
            });
            if (free)
                placed.push_back({text, left, w});
        }
    }
    return placed;
}

FrequencyScale::FrequencyScale(std::function<FrequencyAxis()> axis, QWidget* parent)
    : QWidget(parent), m_axis(std::move(axis))
{
    setObjectName(QStringLiteral("FrequencyScale"));
}

void FrequencyScale::follow()
{
    if (isVisible() && m_axis() != m_painted)
        update();
}

void FrequencyScale::paintEvent(QPaintEvent*)
{
    m_painted = m_axis();
    QPainter p(this);
    const QFontMetrics metrics = fontMetrics();
    const QColor ink = palette().color(QPalette::WindowText);
    p.setPen(ink);
    // The chart counts its columns in device pixels.
    const qreal ratio = devicePixelRatioF();
    const std::vector<ScaleMark> marks = frequencyMarks(m_painted);
    for (const ScaleMark& m : marks)
        // The tick fills the device column of the chart's tick line.
        p.fillRect(QRectF(m.column / ratio, 0, 1 / ratio, m.major || !m.note.isEmpty() ? 4 : 2), ink);
    const auto advance = [&metrics](const QString& text) { return metrics.horizontalAdvance(text); };
    for (const PlacedLabel& label : placeLabels(marks, m_painted, advance, ratio, width()))
        p.drawText(QRect(label.left, 3, label.width, height() - 3), Qt::AlignHCenter | Qt::AlignVCenter, label.text);
}

}  // namespace vellarin
