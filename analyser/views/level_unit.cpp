#include "level_unit.h"

#include "calibration.h"
#include "level_units.h"

namespace vellarin {

QString levelUnitKey(LevelUnitChoice unit)
{
    switch (unit) {
    case LevelUnitChoice::fullScale:
        return QStringLiteral("dbfs");
    case LevelUnitChoice::soundPressure:
        return QStringLiteral("spl");
    case LevelUnitChoice::design:
        break;
    }
    return {};
}

LevelUnitChoice chosenLevelUnit(const AnalysisSettings& settings)
{
    if (settings.levelUnit == levelUnitKey(LevelUnitChoice::fullScale))
        return LevelUnitChoice::fullScale;
    if (settings.levelUnit == levelUnitKey(LevelUnitChoice::soundPressure) && settings.splOffset)
        return LevelUnitChoice::soundPressure;
    return LevelUnitChoice::design;
}

void ChosenLevelUnit::follow(const AnalysisSettings& settings)
{
    m_choice = chosenLevelUnit(settings);
    m_splOffset = settings.splOffset.value_or(0.0);
}

double ChosenLevelUnit::fromDesign(double designDecibels, double hertz) const
{
    switch (m_choice) {
    case LevelUnitChoice::fullScale:
        return dbfsFromDesignDb(designDecibels);
    case LevelUnitChoice::soundPressure: {
        SplCalibration calibration;
        calibration.offsetDb = m_splOffset;
        return calibration.splFromSpectrumDesignDb(designDecibels, hertz);
    }
    case LevelUnitChoice::design:
        break;
    }
    return designDecibels;
}

QString ChosenLevelUnit::unitText() const
{
    switch (m_choice) {
    case LevelUnitChoice::fullScale:
        return QStringLiteral("dBFS");
    case LevelUnitChoice::soundPressure:
        return QStringLiteral("dB SPL");
    case LevelUnitChoice::design:
        break;
    }
    return QStringLiteral("dB");
}

QString ChosenLevelUnit::unitName() const
{
    return m_choice == LevelUnitChoice::design ? QStringLiteral("dB (design)") : unitText();
}

}  // namespace vellarin
