#include "power_averaging.h"

#include <algorithm>
#include <cmath>

namespace vellarin {

namespace {

constexpr AveragingShape shapes[] = {
    {Averaging::off, "Off", "off", 0.0},
    {Averaging::fast, "Fast (125 ms)", "fast", 0.125},
    {Averaging::slow, "Slow (1 s)", "slow", 1.0},
};

}  // namespace

std::span<const AveragingShape> averagingShapes() { return shapes; }

const AveragingShape& averagingShape(Averaging averaging)
{
    return *std::find_if(std::begin(shapes), std::end(shapes),
                         [averaging](const AveragingShape& s) { return s.averaging == averaging; });
}

Averaging averagingFromKey(const QString& key)
{
    for (const AveragingShape& s : shapes)
        if (key == QLatin1String(s.key))
            return s.averaging;
    return Averaging::off;
}

std::span<const double> PowerAverage::add(std::span<const double> power, double seconds, double timeConstant)
{
    if (m_power.size() != power.size() || !(timeConstant > 0.0)) {
        m_power.assign(power.begin(), power.end());
        return m_power;
    }
    // The share the old average keeps after `seconds`: exp(-t / tau). A frame
    // that brought no new sound changes nothing.
    const double keep = std::exp(-std::max(seconds, 0.0) / timeConstant);
    const double take = 1.0 - keep;
    for (size_t k = 0; k < power.size(); ++k)
        m_power[k] = keep * m_power[k] + take * power[k];
    return m_power;
}

}  // namespace vellarin
