#pragma once
// What one data call hands the plotting: its samples and where they go.
#include <cstdint>

namespace trazel {

// Which data call delivered the samples; the two differ in how they step,
// mark events and wrap.
enum class DataCall { Chart, ChartEx };

// The samples of one call, seen from logical point `first` on: point i's
// channel ch is data[(i - first) * channels + ch].
struct SampleView {
    const int16_t* data = nullptr;
    int channels = 1;  // the stride between points
    int64_t first = 0;

    int16_t at(int64_t point, int channel) const { return data[(point - first) * channels + channel]; }
};

// What one call plots: E columns from point `start` on, every step-th point.
struct CallPlan {
    int64_t start = 0;
    int carried = 0;  // points of earlier calls still counted towards the first column
    int step = 1;
    int columns = 0;
    DataCall call = DataCall::Chart;
};

}  // namespace trazel
