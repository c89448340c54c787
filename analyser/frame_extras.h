#pragma once
// What the extras a user switched on do to each frame: weigh the samples
// before the transform, turn the transform into levels, and look at the
// levels once the frame is drawn. The window works without them exactly as
// designed.
#include <cstdint>
#include <span>

namespace vellarin {

struct FrameTiming {
    int32_t newSamples;   // samples the frame moved on by since the last one
    uint32_t sampleRate;  // of the capture
    bool firstFrame;      // the first frame since Start
};

class FrameExtras {
public:
    virtual ~FrameExtras() = default;
    // Fills the real parts of `fftData` (interleaved, imaginary parts 0) from
    // the frame's samples; false leaves the samples to go in unweighted.
    virtual bool weighFrame(std::span<const int16_t> samples, std::span<double> fftData) = 0;
    // Levels of bins 0..N/2 from the transform; false leaves them to the
    // window's own rule.
    virtual bool computeLevels(std::span<const double> spectrum, int32_t fftSize, const FrameTiming& timing,
                               std::span<int16_t> binLevel) = 0;
    // The frame has gone to the chart and the waterfall.
    virtual void frameDrawn() = 0;
};

}  // namespace vellarin
