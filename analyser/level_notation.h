#pragma once
// The unit levels are read in. The window counts levels in the design's
// decibels, 20 log10 of an amplitude in sample units; an add-on may offer
// others (dBFS, dB SPL) and hand the window the one chosen, which the
// cross-hair reading then follows. With none handed over, the window reads
// as designed.
#include <QString>

namespace vellarin {

class LevelNotation {
public:
    virtual ~LevelNotation() = default;
    // A level of the design's scale, of a tone at `hertz`, in this unit.
    virtual double fromDesign(double designDecibels, double hertz) const = 0;
    // The unit after a number: "dB", "dBFS", "dB SPL".
    virtual QString unitText() const = 0;
    // The unit as a choice is named: "dB (design)", "dBFS", "dB SPL".
    virtual QString unitName() const = 0;
};

}  // namespace vellarin
