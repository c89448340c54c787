#pragma once
// What a frame says about the sound: its strongest peak, between bins, and
// its pitch as a note. The same readings for the window, fed at each frame
// it draws, and for sound analysed without a window.
//
// Use:
//   FrameReadouts readouts;
//   readouts.setWindowFunction(f);        // the window the frames are weighed by
//   readouts.addFrame(transform, n, history);   // after each transform
//   readouts.peak(), readouts.pitch(), readouts.note()
//   readouts.text(notation)                // "C4 +0 ct (261.6 Hz) · peak 3398.3 Hz 54.0 dB"
//
// `transform` is the unscaled N-point transform of the weighed frame,
// interleaved re/im (at least N + 2 values), as the FFT component leaves it;
// `history` holds the sound up to the frame's end at its own sample rate.
// The peak is taken on every frame; the pitch, which looks at the last
// 100 ms, only once PitchInterval of new sound has come in since it was last
// taken, so a frame costs a few microseconds on average however often frames
// come. Nothing allocates after the first frame of a size and rate.
#include "note_names.h"
#include "peak_estimate.h"
#include "pitch_estimate.h"
#include "window_functions.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vellarin {

class LevelNotation;
class SampleHistory;

class FrameReadouts {
public:
    // The pitch is taken again after this much new sound.
    static constexpr double PitchInterval = 0.08;

    void setWindowFunction(WindowFunction function);
    WindowFunction windowFunction() const { return m_weights.function(); }

    // Reads one frame. A transform shorter than N + 2 values, or N below 4,
    // clears the readings.
    void addFrame(std::span<const double> transform, int32_t fftSize, const SampleHistory& history);
    // Forgets the readings; the next frame takes the pitch at once.
    void clear();

    // The strongest tone standing 20 dB above the spectrum's median; none otherwise.
    const std::optional<PeakEstimate>& peak() const { return m_peak; }
    // The pitch of the last 100 ms when it was last taken; none in silence or noise.
    const std::optional<Pitch>& pitch() const { return m_pitch; }
    // The note nearest the pitch.
    std::optional<NoteReading> note() const;

    // The readout line, the peak's level in `notation`'s unit (the design's
    // dB for none).
    QString text(const LevelNotation* notation = nullptr) const;

private:
    WindowWeights m_weights;
    WindowFunction m_preparedFor = WindowFunction::rectangular;
    PeakEstimator m_peakEstimator;
    PitchEstimator m_pitchEstimator;
    std::vector<int16_t> m_recent;  // the newest samples the pitch looks at
    uint64_t m_pitchTakenAt = 0;     // history sample count when the pitch was taken
    uint32_t m_pitchRate = 0;
    bool m_pitchTaken = false;
    std::optional<PeakEstimate> m_peak;
    std::optional<Pitch> m_pitch;
};

}  // namespace vellarin
