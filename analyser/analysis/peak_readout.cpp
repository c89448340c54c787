#include "peak_readout.h"

#include "levels.h"
#include "readouts.h"

#include <algorithm>
#include <cmath>

namespace vellarin {

std::optional<Peak> strongestPeak(std::span<const int16_t> binLevel, int32_t fftSize, double sampleRate)
{
    const int32_t half = std::min<int32_t>(fftSize / 2, int32_t(binLevel.size()) - 1);
    if (half < 1 || !(sampleRate > 0))
        return std::nullopt;
    const auto strongest = std::max_element(binLevel.begin() + 1, binLevel.begin() + half + 1);
    const auto k = int32_t(strongest - binLevel.begin());
    if (*strongest <= amplitudeLevel(LevelFloor))
        return std::nullopt;
    double offset = 0.0;
    double level = *strongest;
    if (k < half) {
        // Levels are logarithmic, so the parabola is fitted to decibels.
        const double a = binLevel[size_t(k - 1)], b = *strongest, c = binLevel[size_t(k + 1)];
        const double curve = a - 2 * b + c;
        if (curve < 0) {
            offset = std::clamp(0.5 * (a - c) / curve, -0.5, 0.5);
            level = b - 0.25 * (a - c) * offset;
        }
    }
    return Peak{(k + offset) * sampleRate / fftSize, levelDecibels(int32_t(std::lround(level)))};
}

QString noteText(double hertz)
{
    static const char* const names[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    if (!(hertz > 0) || !std::isfinite(hertz))
        return {};
    const double midi = 69.0 + 12.0 * std::log2(hertz / 440.0);
    if (std::fabs(midi) > 1000)
        return {};
    const double nearest = std::round(midi);
    const int cents = int(std::lround(100.0 * (midi - nearest)));
    const auto note = int64_t(nearest);
    const int64_t octave = (note >= 0 ? note / 12 : (note - 11) / 12) - 1;
    const auto name = names[((note % 12) + 12) % 12];
    return QStringLiteral("%1%2 %3%4 ct")
        .arg(QLatin1String(name))
        .arg(octave)
        .arg(cents < 0 ? QStringLiteral("-") : QStringLiteral("+"))
        .arg(std::abs(cents));
}

QString peakCaption(const std::optional<Peak>& peak)
{
    if (!peak)
        return QStringLiteral("No peak");
    return QStringLiteral("%1 Hz %2 dB %3")
        .arg(peak->hertz, 0, 'f', 1)
        .arg(peak->decibels, 0, 'f', 1)
        .arg(noteText(peak->hertz));
}

}  // namespace vellarin
