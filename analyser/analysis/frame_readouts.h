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
// Both are read on the first frame, on a frame of another size, window or
// capture, and then once ReadingInterval of new sound has come in: the pitch
// looks at the last 100 ms anyway, and a readout that changed with every
// frame could not be read. So a frame costs a few microseconds on average
// however often frames come. Nothing allocates after the first reading at a
// rate.
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
    // The readings are taken again after this much new sound, in seconds.
    static constexpr double ReadingInterval = 0.08;

    void setWindowFunction(WindowFunction function);
    WindowFunction windowFunction() const { return m_weights.function(); }

    // Reads one frame when a reading is due (see above). A transform shorter
    // than N + 2 values, N below 4 or a history without a rate clears the
    // readings.
    void addFrame(std::span<const double> transform, int32_t fftSize, const SampleHistory& history);
    // Forgets the readings; the next frame is read at once.
    void clear();
    // Whether the last frame was read (or cleared the readings): the
    // readings are new.
    bool renewed() const { return m_renewed; }

    // The strongest tone of the frame last read, standing 20 dB above the
    // spectrum's median; none otherwise.
    const std::optional<PeakEstimate>& peak() const { return m_peak; }
    // The pitch of the 100 ms before the frame last read; none in silence or noise.
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
    uint64_t m_readAt = 0;  // the history's count of samples at the last reading
    uint32_t m_readRate = 0;
    bool m_read = false;
    bool m_renewed = false;
    std::optional<PeakEstimate> m_peak;
    std::optional<Pitch> m_pitch;
};

}  // namespace vellarin
