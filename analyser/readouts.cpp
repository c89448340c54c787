#include "readouts.h"

#include "number_text.h"

#include <interfaces/cascadra.h>

#include <algorithm>
#include <cmath>

namespace vellarin {

namespace {

// Fixed-point text; a value that rounds to zero shows no minus sign.
QString fixed(double v, int decimals)
{
    const QString text = QString::number(std::isfinite(v) ? v : 0.0, 'f', decimals);
    return text.toDouble() == 0.0 ? QString::number(0.0, 'f', decimals) : text;
}

}  // namespace

std::optional<int32_t> binPast(const BinMap& map, int32_t first, int32_t half, double v)
{
    // Columns never decrease with the bin, so the first one past v is found by halving.
    const auto begin = map.begin() + std::clamp(first, 0, MaxHalf);
    const auto end = map.begin() + std::clamp(half + 1, 0, MaxHalf + 1);
    if (begin >= end)
        return std::nullopt;
    const auto found =
        std::upper_bound(begin, end, v, [](double value, const auto& entry) { return value < entry[0]; });
    if (found == end)
        return std::nullopt;
    return static_cast<int32_t>(found - map.begin());
}

int32_t chartColumnBin(const ScalingView& view, int32_t column, const BinMap& chartLog, const BinMap& chartFit)
{
    // The chart draws point j of a line on column j + 1, so each column reads
    // the point one before it; column 0, left of every point, reads the first.
    const int32_t v = column - 1;
    if (view.freqScaling != LogScaling && view.freqScaling != FullFitScaling)
        return view.firstBin + std::max(v, 0);
    return binPast(view.freqScaling == LogScaling ? chartLog : chartFit, 1, view.half, v).value_or(v);
}

bool runsAlongHeight(int32_t direction)
{
    return direction == cascadra::RightToLeft || direction == cascadra::InvertedRightToLeft;
}

std::optional<double> waterfallBin(const ScalingView& view, const WaterfallPointer& p, const WaterfallMaps& maps)
{
    const double x = p.x < 0 ? 0.0 : p.x > p.width ? roundHalfEven(p.width) : p.x;
    const double y = p.y < 0 ? 0.0 : p.y > p.height ? roundHalfEven(p.height) : p.y;
    const bool mapped = view.freqScaling == LogScaling || view.freqScaling == FullFitScaling;

    // Where the pointer lies along the newest line, undoing how each
    // direction lays its lines out.
    double along = 0;
    switch (p.direction) {
    case cascadra::Diagonal45: along = x - roundHalfEven(p.height - y); break;
    case cascadra::BottomToTop:
    case cascadra::TopToBottom: along = x; break;
    case cascadra::RightToLeft: along = y; break;
    case cascadra::DiagonalMinus45: along = x - (y - p.reliefShift); break;
    case cascadra::InvertedRightToLeft: along = mapped ? roundHalfEven(p.height - y) : p.height - y; break;
    default: return std::nullopt;
    }

    if (mapped) {
        const bool logarithmic = view.freqScaling == LogScaling;
        const BinMap& map = runsAlongHeight(p.direction) ? (logarithmic ? maps.waterfallLog : maps.waterfallFit)
                                                         : (logarithmic ? maps.chartLog : maps.chartFit);
        return binPast(map, 0, view.half, along).value_or(view.half);
    }
    double bin = view.firstBin + along;
    if (!runsAlongHeight(p.direction))
        bin = std::min<double>(bin, view.half);
    // Left of where a diagonal line starts there is no spectrum; below 0 Hz neither.
    return std::max(bin, 0.0);
}

QString crossHairCaption(double hertz, int32_t level, const LevelNotation* notation)
{
    if (!notation)
        return fixed(hertz, 1) + QStringLiteral("Hz ") + fixed(levelDecibels(level), 2) + QStringLiteral("dB");
    return fixed(hertz, 1) + QStringLiteral("Hz ") + fixed(notation->fromDesign(levelDecibels(level), hertz), 2) +
           notation->unitText();
}

QString bandCaption(const QString& label, double centre, int32_t level, const LevelNotation* notation)
{
    const double decibels = levelDecibels(level);
    return label + QStringLiteral(" band ") + fixed(notation ? notation->fromDesign(decibels, centre) : decibels, 1) +
           (notation ? notation->unitText() : QStringLiteral("dB"));
}

QString waterfallCaption(double hertz, int32_t direction)
{
    return fixed(hertz, runsAlongHeight(direction) ? 2 : 1) + QStringLiteral("Hz");
}

}  // namespace vellarin
