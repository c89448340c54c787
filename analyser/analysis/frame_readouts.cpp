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
    m_pitchTaken = false;
}

void FrameReadouts::addFrame(std::span<const double> transform, int32_t fftSize, const SampleHistory& history)
{
    const double rate = history.sampleRate();
    if (fftSize < 4 || transform.size() < size_t(fftSize) + 2 || !(rate > 0)) {
        clear();
        return;
    }
    if (m_peakEstimator.fftSize() != fftSize || m_preparedFor != m_weights.function()) {
        m_peakEstimator.prepare(m_weights.weights(fftSize));
        m_preparedFor = m_weights.function();
    }
    m_peak = m_peakEstimator.estimate(transform, rate);

    // A new capture starts its history from nothing, so the count goes back.
    const uint64_t now = history.appended();
    const bool restarted = history.sampleRate() != m_pitchRate || now < m_pitchTakenAt;
    if (m_pitchTaken && !restarted && double(now - m_pitchTakenAt) < PitchInterval * rate)
        return;
    m_recent.resize(size_t(PitchEstimator::span(rate)));
    const size_t count = history.latest(m_recent);
    m_pitch = m_pitchEstimator.estimate(std::span<const int16_t>(m_recent.data(), count), rate);
    m_pitchTakenAt = now;
    m_pitchRate = history.sampleRate();
    m_pitchTaken = true;
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
