#pragma once
// The unit levels are read in, as the settings choose it: the design's dB
// (20 log10 of an amplitude in sample units), dBFS (a full-scale sine peaks
// at 0 dBFS, 90.31 dB of the design's scale), or dB SPL while the input has
// a calibration. A spectrum level reads a sine's peak amplitude; in dB SPL it
// names that sine's RMS sound pressure, as a sound level meter would.
#include "analysis_settings.h"
#include "level_notation.h"

#include <optional>

namespace vellarin {

enum class LevelUnitChoice { design, fullScale, soundPressure };

// The remembered key of a unit: "", "dbfs" or "spl".
QString levelUnitKey(LevelUnitChoice unit);
// The unit `settings` choose; dB SPL only while the input is calibrated, the
// design's dB for anything else.
LevelUnitChoice chosenLevelUnit(const AnalysisSettings& settings);

class ChosenLevelUnit final : public LevelNotation {
public:
    // Takes the unit and calibration the settings hold.
    void follow(const AnalysisSettings& settings);
    LevelUnitChoice choice() const { return m_choice; }

    double fromDesign(double designDecibels, double hertz) const override;
    QString unitText() const override;
    QString unitName() const override;
    // A difference of levels reads the same in every unit; only the origin moves.
    double offsetFromDesign() const { return fromDesign(0.0, 1000.0); }

private:
    LevelUnitChoice m_choice = LevelUnitChoice::design;
    double m_splOffset = 0.0;
};

}  // namespace vellarin
