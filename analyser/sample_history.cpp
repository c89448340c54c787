#include "sample_history.h"

#include <algorithm>
#include <cmath>

namespace vellarin {

void SampleHistory::reset(uint32_t sampleRate, size_t atLeast)
{
    m_rate = sampleRate;
    const auto room = static_cast<size_t>(std::ceil(keptSeconds * sampleRate));
    m_ring.assign(std::max({room, atLeast, size_t(1)}), 0);
    m_next = 0;
    m_size = 0;
    m_appended = 0;
}

void SampleHistory::append(std::span<const int16_t> samples)
{
    m_appended += samples.size();
    if (m_ring.empty())
        return;
    if (samples.size() > m_ring.size())
        samples = samples.last(m_ring.size());
    const size_t first = std::min(samples.size(), m_ring.size() - m_next);
    std::copy_n(samples.begin(), first, m_ring.begin() + static_cast<std::ptrdiff_t>(m_next));
    std::copy(samples.begin() + static_cast<std::ptrdiff_t>(first), samples.end(), m_ring.begin());
    m_next = (m_next + samples.size()) % m_ring.size();
    m_size = std::min(m_size + samples.size(), m_ring.size());
}

size_t SampleHistory::latest(std::span<int16_t> out) const
{
    const size_t count = std::min(out.size(), m_size);
    const size_t start = (m_next + m_ring.size() - count) % std::max<size_t>(m_ring.size(), 1);
    const size_t first = std::min(count, m_ring.size() - start);
    std::copy_n(m_ring.begin() + static_cast<std::ptrdiff_t>(start), first, out.begin());
    std::copy_n(m_ring.begin(), count - first, out.begin() + static_cast<std::ptrdiff_t>(first));
    return count;
}

}  // namespace vellarin
