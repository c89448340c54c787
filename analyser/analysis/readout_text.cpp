#include "readout_text.h"

#include "levels.h"
#include "note_names.h"

#include <cmath>

namespace vellarin {

double fullScaleDecibels()
{
    static const double decibels = 20.0 * std::log10(LevelCeiling);
    return decibels;
}

double decibelsIn(double designDecibels, LevelUnit unit)
{
    return unit == LevelUnit::fullScale ? designDecibels - fullScaleDecibels() : designDecibels;
}

QString unitText(LevelUnit unit)
{
    return unit == LevelUnit::fullScale ? QStringLiteral("dBFS") : QStringLiteral("dB");
}

namespace {

QString readoutLine(const std::optional<Pitch>& pitch, const std::optional<PeakEstimate>& peak, double level,
                    const QString& unit)
{
    QString text;
    if (const auto note = pitch ? nearestNote(pitch->hertz) : std::nullopt) {
        text = QStringLiteral("%1 %2%3 ct (%4 Hz) \u00b7 ")
                   .arg(note->name, note->cents < 0 ? QStringLiteral("-") : QStringLiteral("+"))
                   .arg(std::abs(note->cents))
                   .arg(pitch->hertz, 0, 'f', 1);
    }
    if (!peak)
        return text + QStringLiteral("peak \u2013");
    return text + QStringLiteral("peak %1 Hz %2 %3").arg(peak->hertz, 0, 'f', 1).arg(level, 0, 'f', 1).arg(unit);
}

}  // namespace

QString readoutText(const std::optional<Pitch>& pitch, const std::optional<PeakEstimate>& peak, LevelUnit unit)
{
    return readoutLine(pitch, peak, peak ? decibelsIn(peak->decibels, unit) : 0.0, unitText(unit));
}

QString readoutText(const std::optional<Pitch>& pitch, const std::optional<PeakEstimate>& peak,
                    const LevelNotation* notation)
{
    if (!notation)
        return readoutText(pitch, peak, LevelUnit::design);
    return readoutLine(pitch, peak, peak ? notation->fromDesign(peak->decibels, peak->hertz) : 0.0,
                       notation->unitText());
}

}  // namespace vellarin
