#include "analysis_pipeline.h"

#include "analysis_settings.h"
#include "levels.h"

#include <algorithm>

namespace vellarin {

void analyseFrame(FourelBinding& fft, FrameExtras* extras, std::span<const int16_t> samples,
                  std::span<double> fftData, const FrameTiming& timing, std::span<int16_t> binLevel)
{
    const auto n = static_cast<int32_t>(samples.size());
    if (!extras || !extras->weighFrame(samples, fftData)) {
        for (int32_t i = 0; i < n; ++i) {
            fftData[2 * i] = samples[i];
            fftData[2 * i + 1] = 0.0;
        }
    }
    fft.setTransformFlag(true);
    int32_t length = n;  // passed by reference; the caller's size stays its own
    fft.fft(fftData.data(), length);
    if (!extras || !extras->computeLevels(fftData, n, timing, binLevel))
        computeBinLevels(fftData, n, binLevel);
}

AnalysisPipeline::AnalysisPipeline(const PipelineSettings& settings) : m_settings(settings)
{
    if (!isFFTSize(m_settings.fftSize))
        m_settings.fftSize = FFTSizes.front();
    m_settings.hop = std::max(m_settings.hop, 1);
    const auto n = static_cast<size_t>(m_settings.fftSize);
    m_fft.create();
    m_history.reset(m_settings.sampleRate, n);
    m_frame.resize(n);
    // Room for the transform's N complex values and the level rule's N/2 + 1.
    m_fftData.resize(2 * n + 2);
    m_levels.resize(n / 2 + 1);
}

void AnalysisPipeline::push(std::span<const int16_t> samples)
{
    // Taken a hop at a time, so each frame ends where the window's would.
    while (!samples.empty()) {
        const auto take = static_cast<size_t>(std::min<int64_t>(m_settings.hop - m_sinceFrame, int64_t(samples.size())));
        m_history.append(samples.first(take));
        samples = samples.subspan(take);
        m_sinceFrame += static_cast<int64_t>(take);
        if (m_sinceFrame == m_settings.hop) {
            if (m_history.appended() >= uint64_t(m_settings.fftSize) && m_history.size() >= m_frame.size())
                analyse();
            m_sinceFrame = 0;
        }
    }
}

void AnalysisPipeline::analyse()
{
    if (!isAvailable())
        return;
    m_history.latest(m_frame);
    const FrameTiming timing{m_settings.hop, m_settings.sampleRate, m_frames == 0};
    analyseFrame(m_fft, m_extras, m_frame, m_fftData, timing, m_levels);
    ++m_frames;
    if (m_sink)
        m_sink({m_levels, m_history.appended(), timing});
}

}  // namespace vellarin
