#pragma once
// A second trace sent to the chart with each live line, on the live line's
// level scale: what an add-on such as peak hold draws beside the spectrum.
// The window owns neither the trace nor its buffers.
#include <cstdint>

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

class ChartTrace {
public:
    virtual ~ChartTrace() = default;
    // Whether a second trace goes with the line now.
    virtual bool isOn() const = 0;
    // The trace and the line, interleaved point by point for a two-channel
    // chart call: the chart draws its channels in order, so the line, as
    // the second, stays in sight where the two meet. The buffer stays the
    // trace's until the next call.
    virtual int16_t* withLine(const int16_t* line, int32_t count, const ColumnMeaning& meaning) = 0;
};

}  // namespace vellarin
