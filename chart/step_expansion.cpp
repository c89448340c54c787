#include "step_expansion.h"

#include <algorithm>

namespace trazel {

bool StepExpansion::expand(const int16_t* samples, int channels, int64_t repeat, int64_t first, int64_t count,
                           SampleView& view)
{
    const int64_t elements = count * channels;
    if (repeat < 1 || count < 0 || elements > capacityLimit)
        return false;
    if (int64_t(m_scratch.size()) < elements)
        m_scratch.resize(size_t(elements));
    for (int64_t i = 0; i < count; ++i) {
        const int16_t* point = samples + ((first + i) / repeat) * channels;
        std::copy_n(point, channels, m_scratch.data() + i * channels);
    }
    view = {m_scratch.data(), channels, first};
    return true;
}

}  // namespace trazel
