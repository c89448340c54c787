#pragma once
// What the Chart method accepts: a single value or an array of 16-bit
// samples, read as points x channels interleaved.
#include <automation/variant.h>

namespace trazel {

struct SampleBlock {
    const int16_t* samples = nullptr;
    int points = 0;
    int channels = 0;

    bool isEmpty() const { return !samples || points < 1 || channels < 1; }
};

// Decodes a Chart argument. A single value is written to `single` and the
// block points there. Unsupported contents give an empty block. The block
// never covers more elements than the value actually holds.
SampleBlock decodeChartData(const automation::Variant& data, int16_t& single);

}  // namespace trazel
