#include "chart_data.h"

#include <algorithm>
#include <limits>

using namespace automation;

namespace trazel {

namespace {

int toCount(int64_t n) { return static_cast<int>(std::clamp<int64_t>(n, 0, std::numeric_limits<int>::max())); }

SampleBlock decodeArray(const SafeArray& a)
{
    if (a.elementType != vtI2 || a.shorts.empty())
        return {};
    const int64_t available = static_cast<int64_t>(a.shorts.size());
    if (a.dimensions() == 1)
        return {a.shorts.data(), toCount(std::min<int64_t>(a.bounds[0].count, available)), 1};
    if (a.dimensions() == 2) {
        // (channel, point): the channel index varies fastest in memory.
        const int64_t channels = a.bounds[0].count;
        const int64_t points = a.bounds[1].count;
        if (channels < 1 || points < 1)
            return {};
        return {a.shorts.data(), toCount(std::min(points, available / channels)), toCount(channels)};
    }
    return {};
}

}  // namespace

SampleBlock decodeChartData(const Variant& data, int16_t& single)
{
    if (const SafeArray* a = data.array())
        return decodeArray(*a);
    if (const int16_t* v = data.get<int16_t>())
        single = *v;
    else if (const int32_t* v = data.get<int32_t>())
        single = low16(*v);
    else if (const float* v = data.get<float>())
        single = truncateToLow16(*v);
    else if (const double* v = data.get<double>())
        single = truncateToLow16(*v);
    else
        return {};
    return {&single, 1, 1};
}

}  // namespace trazel
