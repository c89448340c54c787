#pragma once
// Repeating each point of a Chart call |Step| times (negative Step). Only the
// expanded points a call can plot are built, into one scratch buffer that is
// kept and reused from call to call.
#include "plot_call.h"

#include <vector>

namespace trazel {

class StepExpansion {
public:
    // Makes room for `elements` expanded values. False when the scratch
    // buffer may not or cannot grow that far; the caller then plots the data
    // unexpanded, and decides so before it touches the picture.
    bool reserve(int64_t elements);

    // Points [first, first + count) of the repeated series of `points` x
    // `repeat` points, in room reserved for at least count x channels values.
    SampleView expand(const int16_t* samples, int channels, int64_t repeat, int64_t first, int64_t count);

    // The most elements the scratch buffer will grow to.
    static constexpr int64_t capacityLimit = int64_t(1) << 24;

private:
    std::vector<int16_t> m_scratch;
};

}  // namespace trazel
