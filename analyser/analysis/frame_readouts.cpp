#include "frame_readouts.h"

#include "readout_text.h"
#include "sample_history.h"

namespace vellarin {

void FrameReadouts::setWindowFunction(WindowFunction function)
{
    m_weights.choose(function);
}

void FrameReadouts::clear()
{
    m_peak.reset();
    m_pitch.reset();
    m_read = false;
    m_renewed = true;
}

void FrameReadouts::addFrame(std::span<const double> transform, int32_t fftSize, const SampleHistory& history)
{
    const double rate = history.sampleRate();
    if (fftSize < 4 || transform.size() < size_t(fftSize) + 2 || !(rate > 0)) {
        clear();
        return;
    }
    // A new capture starts its history from nothing, so the count goes back;
    // a frame of another size or window is read at once.
    const uint64_t now = history.appended();
    const bool restarted = history.sampleRate() != m_readRate || now < m_readAt;
    const bool reshaped = m_peakEstimator.fftSize() != fftSize || m_preparedFor != m_weights.function();
    m_renewed = !m_read || restarted || reshaped || double(now - m_readAt) >= ReadingInterval * rate;
    if (!m_renewed)
        return;
    if (reshaped) {
        m_peakEstimator.prepare(m_weights.weights(fftSize));
        m_preparedFor = m_weights.function();
    }
    m_peak = m_peakEstimator.estimate(transform, rate);
    m_recent.resize(size_t(PitchEstimator::span(rate)));
    const size_t count = history.latest(m_recent);
    m_pitch = m_pitchEstimator.estimate(std::span<const int16_t>(m_recent.data(), count), rate);
    m_readAt = now;
    m_readRate = history.sampleRate();
    m_read = true;
}

std::optional<NoteReading> FrameReadouts::note() const
{
    return m_pitch ? nearestNote(m_pitch->hertz) : std::nullopt;
}

QString FrameReadouts::text(const LevelNotation* notation) const
{
    return readoutText(m_pitch, m_peak, notation);
}

}  // namespace vellarin
