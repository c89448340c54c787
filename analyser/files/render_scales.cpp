#include "render_scales.h"

#include <cmath>

namespace vellarin {

double frequencyAt(double fraction, double lowest, double highest, bool logarithmic)
{
    if (logarithmic)
        return lowest * std::pow(highest / lowest, fraction);
    return lowest + (highest - lowest) * fraction;
}

double fractionOf(double hertz, double lowest, double highest, bool logarithmic)
{
    if (logarithmic)
        return std::log(hertz / lowest) / std::log(highest / lowest);
    return (hertz - lowest) / (highest - lowest);
}

QString hertzText(double hertz)
{
    if (hertz >= 1000)
        return QString::number(hertz / 1000, 'g', 4) + QStringLiteral(" kHz");
    return QString::number(hertz, 'g', 4) + QStringLiteral(" Hz");
}

QString timeText(double seconds)
{
    const auto whole = static_cast<long long>(std::llround(seconds));
    const long long h = whole / 3600, m = whole / 60 % 60, s = whole % 60;
    if (h > 0)
        return QStringLiteral("%1:%2:%3").arg(h).arg(m, 2, 10, QChar(u'0')).arg(s, 2, 10, QChar(u'0'));
    return QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, QChar(u'0'));
}

namespace {

// The least of 1, 2, 5 x 10^k at or above `step`.
double roundStep(double step)
{
    const double decade = std::pow(10.0, std::floor(std::log10(step)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * decade >= step * (1 - 1e-9))
            return m * decade;
    return 10 * decade;
}

}  // namespace

std::vector<ScaleTick> frequencyTicks(double lowest, double highest, bool logarithmic, int most)
{
    std::vector<ScaleTick> ticks;
    if (!(highest > lowest) || most < 2)
        return ticks;
    if (logarithmic) {
        for (double decade = std::pow(10.0, std::floor(std::log10(lowest))); decade <= highest; decade *= 10)
            for (double m : {1.0, 2.0, 5.0})
                if (const double f = m * decade; f >= lowest && f <= highest)
                    ticks.push_back({f, hertzText(f)});
        // Too crowded: keep the decades only.
        if (int(ticks.size()) > most)
            std::erase_if(ticks, [](const ScaleTick& t) {
                const double mantissa = t.value / std::pow(10.0, std::floor(std::log10(t.value) + 1e-9));
                return std::fabs(mantissa - 1) > 1e-9;
            });
        return ticks;
    }
    const double step = roundStep((highest - lowest) / (most - 1));
    for (double f = std::ceil(lowest / step) * step; f <= highest + 1e-9; f += step)
        ticks.push_back({f, hertzText(f)});
    return ticks;
}

std::vector<ScaleTick> timeTicks(double length, int most)
{
    std::vector<ScaleTick> ticks;
    if (!(length > 0) || most < 2)
        return ticks;
    // Steps a clock reads easily.
    static constexpr double steps[] = {0.1, 0.2, 0.5, 1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200};
    double step = steps[std::size(steps) - 1];
    // Tenths only for a file too short for whole seconds.
    for (double s : steps)
        if (length / s <= most - 1 && (s >= 1 || length < 2)) {
            step = s;
            break;
        }
    for (int i = 0; i * step <= length + 1e-9; ++i) {
        const double t = i * step;
        ticks.push_back({t, step < 1 ? QString::number(t, 'f', 1) + QStringLiteral(" s") : timeText(t)});
    }
    return ticks;
}

std::vector<ScaleTick> decibelTicks(double lowest, double highest)
{
    std::vector<ScaleTick> ticks;
    for (double db = std::ceil(lowest / 10) * 10; db <= highest + 1e-9; db += 10)
        ticks.push_back({db, QString::number(db, 'f', 0) + QStringLiteral(" dB")});
    return ticks;
}

}  // namespace vellarin
