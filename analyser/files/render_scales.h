#pragma once
// Where the labels of a spectrogram's scales go: frequency up the side,
// linear or logarithmic, time across the foot, and levels along the colour
// bar. Pure arithmetic, so the picture and its tests agree on every place.
#include <QString>

#include <vector>

namespace vellarin {

struct ScaleTick {
    double value;   // Hz, seconds or decibels
    QString text;   // as shown
};

// The frequency at `fraction` of the height from the bottom (0..1), from
// `lowest` to `highest` Hz, linearly or logarithmically; and back.
double frequencyAt(double fraction, double lowest, double highest, bool logarithmic);
double fractionOf(double hertz, double lowest, double highest, bool logarithmic);

// "500 Hz", "1 kHz", "2.5 kHz".
QString hertzText(double hertz);
// "0:05", "1:30", "1:02:03".
QString timeText(double seconds);

// Round values of 1, 2 and 5 per decade between the two frequencies; about
// `most` of them at most on a linear scale.
std::vector<ScaleTick> frequencyTicks(double lowest, double highest, bool logarithmic, int most);
// Round times from 0 to `length` seconds, at most `most` of them.
std::vector<ScaleTick> timeTicks(double length, int most);
// Whole tens of decibels from `lowest` to `highest`.
std::vector<ScaleTick> decibelTicks(double lowest, double highest);

}  // namespace vellarin
