#include "step_expansion.h"

#include <algorithm>
#include <new>

namespace trazel {

bool StepExpansion::reserve(int64_t elements)
{
    if (elements < 0 || elements > capacityLimit)
        return false;
    try {
        if (int64_t(m_scratch.size()) < elements)
            m_scratch.resize(size_t(elements));
    } catch (const std::bad_alloc&) {
        return false;  // short of memory: the points are still worth plotting as they are
    }
    return true;
}

SampleView StepExpansion::expand(const int16_t* samples, int channels, int64_t repeat, int64_t first, int64_t count)
{
    count = std::min<int64_t>(count, int64_t(m_scratch.size()) / channels);
    for (int64_t i = 0; i < count; ++i) {
        const int16_t* point = samples + ((first + i) / repeat) * channels;
        std::copy_n(point, channels, m_scratch.data() + i * channels);
    }
    return {m_scratch.data(), channels, first};
}

}  // namespace trazel
