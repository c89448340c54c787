#pragma once
// Repeating each point of a Chart call |Step| times (negative Step). Only the
// expanded points a call can plot are built, into one scratch buffer that is
// kept and reused from call to call.
#include "plot_call.h"

#include <vector>

namespace trazel {

class StepExpansion {
public:
    // Expands points [first, first + count) of the repeated series of
    // `points` x `repeat` points. False when the scratch buffer cannot hold
    // them, so that the caller plots the data unexpanded.
    bool expand(const int16_t* samples, int channels, int64_t repeat, int64_t first, int64_t count,
                SampleView& view);

    // The most elements the scratch buffer will grow to.
    static constexpr int64_t capacityLimit = int64_t(1) << 24;

private:
    std::vector<int16_t> m_scratch;
};

}  // namespace trazel
