#pragma once
// Peak hold: beside each new chart line, the highest level each column has
// shown since peak hold was switched on, as the chart's second channel. The
// peaks start afresh whenever the columns come to mean other frequencies:
// another scaling, FFT size, rate, pan position or chart width.
#include <cstdint>
#include <vector>

namespace vellarin {

// What a chart column stands for.
struct ColumnMeaning {
    int16_t scaling = -1;
    int32_t fftSize = 0;
    uint32_t sampleRate = 0;
    int32_t firstBin = 0;
    int32_t columns = 0;
    bool operator==(const ColumnMeaning&) const = default;
};

class PeakHold {
public:
    bool isOn() const { return m_on; }
    void setOn(bool on);

    // The line and its peaks, interleaved point by point for a two-channel
    // chart call; the buffer is kept from call to call.
    int16_t* withPeaks(const int16_t* line, int32_t count, const ColumnMeaning& meaning);
    const std::vector<int16_t>& peaks() const { return m_peaks; }

private:
    bool m_on = false;
    ColumnMeaning m_meaning;
    std::vector<int16_t> m_peaks;
    std::vector<int16_t> m_interleaved;
};

}  // namespace vellarin
