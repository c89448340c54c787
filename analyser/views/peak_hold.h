#pragma once
// Peak hold: beside each new chart line, the highest level each column has
// shown since peak hold was switched on, as the chart's first channel, under
// the line. The
// peaks start afresh whenever the columns come to mean other frequencies:
// another scaling, FFT size, rate, pan position or chart width.
#include "chart_trace.h"

#include <cstdint>
#include <vector>

namespace vellarin {

class PeakHold final : public ChartTrace {
public:
    bool isOn() const override { return m_on; }
    void setOn(bool on);

    // The peaks and the line, interleaved point by point for a two-channel
    // chart call; the buffer is kept from call to call.
    int16_t* withLine(const int16_t* line, int32_t count, const ColumnMeaning& meaning) override;
    const std::vector<int16_t>& peaks() const { return m_peaks; }

private:
    bool m_on = false;
    ColumnMeaning m_meaning;
    std::vector<int16_t> m_peaks;
    std::vector<int16_t> m_interleaved;
};

}  // namespace vellarin
