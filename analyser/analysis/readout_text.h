#pragma once
// The line that names the sound: its pitch as a note and the strongest peak,
// "C4 +0 ct (261.6 Hz) · peak 3398.3 Hz 54.0 dB".
#include "level_notation.h"
#include "peak_estimate.h"
#include "pitch_estimate.h"

#include <QString>

#include <optional>

namespace vellarin {

// Levels as the design counts them, from one step of the sample scale, or
// from full scale.
enum class LevelUnit { design, fullScale };

// A full-scale sine, 20 log10(32767) on the design's scale, is 0 dBFS.
double fullScaleDecibels();
// A level on the design's scale in `unit`.
double decibelsIn(double designDecibels, LevelUnit unit);
// "dB" or "dBFS".
QString unitText(LevelUnit unit);

// The pitch part is left out when there is no pitch; a peak not named reads
// as a dash.
QString readoutText(const std::optional<Pitch>& pitch, const std::optional<PeakEstimate>& peak,
                    LevelUnit unit = LevelUnit::design);
// The same with the peak's level in `notation`'s unit; the design's dB for none.
QString readoutText(const std::optional<Pitch>& pitch, const std::optional<PeakEstimate>& peak,
                    const LevelNotation* notation);

}  // namespace vellarin
