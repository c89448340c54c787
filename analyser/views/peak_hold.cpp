#include "peak_hold.h"

#include <algorithm>
#include <limits>

namespace vellarin {

void PeakHold::setOn(bool on)
{
    m_on = on;
    m_peaks.clear();  // switched on again, it holds from then on
}

int16_t* PeakHold::withLine(const int16_t* line, int32_t count, const ColumnMeaning& meaning)
{
    count = std::max(count, 0);
    if (meaning != m_meaning || int32_t(m_peaks.size()) != count) {
        m_meaning = meaning;
        m_peaks.assign(size_t(count), std::numeric_limits<int16_t>::min());
    }
    m_interleaved.resize(2 * size_t(count));
    for (int32_t i = 0; i < count; ++i) {
        m_peaks[size_t(i)] = std::max(m_peaks[size_t(i)], line[i]);
        m_interleaved[2 * size_t(i)] = m_peaks[size_t(i)];
        m_interleaved[2 * size_t(i) + 1] = line[i];
    }
    return m_interleaved.data();
}

}  // namespace vellarin
