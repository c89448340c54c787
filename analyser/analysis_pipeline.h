#pragma once
// Sound to spectra without the window: samples from any source (a file, a
// render, a test) go in, and each frame comes out as the window would draw
// it: the levels of bins 0..N/2 on the chart's level scale, through the same
// transform, add-ons' treatment and level rule as the window's frames.
//
// Use:
//   AnalysisPipeline pipeline({fftSize, sampleRate, hop});
//   if (!pipeline.isAvailable()) ...  // no FFT component
//   pipeline.setFrameExtras(&treatment);  // optional: window function, averaging
//   pipeline.onFrame([](const AnalysedFrame& f) { ... f.levels ... });
//   pipeline.push(samples);  // as often as sound comes; frames follow every `hop` samples
// The last seconds pushed stay in history() for readouts that need more than
// a frame. The window analyses its own frames with analyseFrame() below.
#include "components/fourel_binding.h"
#include "frame_extras.h"
#include "sample_history.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace vellarin {

// One frame of N samples through the transform into levels: the extras weigh
// the samples and make the levels when they take it on, the window's own rule
// otherwise. `fftData` holds at least 2N values, `binLevel` N/2 + 1.
void analyseFrame(FourelBinding& fft, FrameExtras* extras, std::span<const int16_t> samples,
                  std::span<double> fftData, const FrameTiming& timing, std::span<int16_t> binLevel);

struct PipelineSettings {
    int32_t fftSize = 1024;     // one of FFTSizes
    uint32_t sampleRate = 22050;
    int32_t hop = 512;          // samples between frames, at least 1
};

struct AnalysedFrame {
    std::span<const int16_t> levels;  // bins 0..N/2
    uint64_t endSample;               // the sample number just after the frame's newest
    const FrameTiming& timing;
};

class AnalysisPipeline {
public:
    explicit AnalysisPipeline(const PipelineSettings& settings);
    AnalysisPipeline(const AnalysisPipeline&) = delete;
    AnalysisPipeline& operator=(const AnalysisPipeline&) = delete;

    // Whether the FFT component could be created; without it no frame comes.
    bool isAvailable() const { return m_fft.isAvailable(); }
    const PipelineSettings& settings() const { return m_settings; }
    void setFrameExtras(FrameExtras* extras) { m_extras = extras; }
    void onFrame(std::function<void(const AnalysedFrame&)> sink) { m_sink = std::move(sink); }

    // Takes the next samples of the sound; a frame is analysed each time
    // `hop` more samples have come and at least N have come in all.
    void push(std::span<const int16_t> samples);
    // Frames analysed since construction.
    uint64_t frames() const { return m_frames; }
    const SampleHistory& history() const { return m_history; }

private:
    void analyse();

    PipelineSettings m_settings;
    FourelBinding m_fft;
    FrameExtras* m_extras = nullptr;
    std::function<void(const AnalysedFrame&)> m_sink;
    SampleHistory m_history;
    std::vector<int16_t> m_frame;
    std::vector<double> m_fftData;
    std::vector<int16_t> m_levels;
    int64_t m_sinceFrame = 0;
    uint64_t m_frames = 0;
};

}  // namespace vellarin
