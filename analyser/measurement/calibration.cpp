#include "calibration.h"

#include "level_units.h"

#include <algorithm>
#include <cmath>

namespace vellarin {

namespace {

constexpr double toneHz = 1000.0;
constexpr double toneTolerance = 0.05;  // of the tone's frequency
constexpr double steadyWithinDb = 0.5;
// Calibrators and typed levels beyond these are a slip of the keyboard.
constexpr double lowestCalibratorDb = 40.0;
constexpr double highestCalibratorDb = 150.0;

QString dbText(double db) { return QString::number(db, 'f', 1); }

}  // namespace

double SplCalibration::splFromDesignDb(double designDb, double hz) const
{
    return splFromDbfs(dbfsFromDesignDb(designDb), hz);
}

double SplCalibration::splFromSpectrumDesignDb(double designDb, double hz) const
{
    return splFromDesignDb(designDb - SineCrestDb, hz);
}

void SplCalibration::applyPerBin(int32_t fftSize, double sampleRate, std::span<double> gain) const
{
    if (fftSize <= 0)
        return;
    const size_t bins = std::min(size_t(fftSize / 2) + 1, gain.size());
    for (size_t k = 0; k < bins; ++k) {
        const double db = offsetDb - correction.responseDb(double(k) * sampleRate / fftSize);
        gain[k] *= std::pow(10.0, db / 10.0);
    }
}

CalibrationLook lookAtSpectrum(std::span<const double> power, int32_t fftSize, double sampleRate, bool clipped,
                               double seconds)
{
    const size_t bins = fftSize > 0 ? std::min(size_t(fftSize / 2) + 1, power.size()) : 0;
    size_t peak = 0;
    for (size_t k = 1; k < bins; ++k)  // bin 0 is the input's offset, not a tone
        if (power[k] > power[peak] || peak == 0)
            peak = k;
    // The flat top's main lobe spans +-5 bins; the centre of the power of the
    // bins around the peak places the tone within a fraction of a bin.
    double centre = 0.0, weight = 0.0;
    for (size_t k = peak > 4 ? peak - 4 : 1; peak && k <= std::min(peak + 4, bins - 1); ++k) {
        centre += double(k) * power[k];
        weight += power[k];
    }
    const double peakBin = weight > 0.0 ? centre / weight : double(peak);
    CalibrationLook look;
    look.hz = fftSize > 0 ? peakBin * sampleRate / fftSize : 0.0;
    look.levelDbfs = peak ? dbfsFromMeanSquare(power[peak]) : SilenceDb;
    look.clipped = clipped;
    look.seconds = seconds;
    return look;
}

CalibrationMeasurement::CalibrationMeasurement(double calibratorDbSpl) : m_calibrator(calibratorDbSpl)
{
    if (!(calibratorDbSpl >= lowestCalibratorDb && calibratorDbSpl <= highestCalibratorDb))
        refuse(QStringLiteral("A calibrator's level lies between %1 and %2 dB SPL.")
                   .arg(lowestCalibratorDb)
                   .arg(highestCalibratorDb));
}

void CalibrationMeasurement::add(const CalibrationLook& look)
{
    if (finished())
        return;
    if (look.clipped) {
        refuse(QStringLiteral("The input clips: turn its gain down and calibrate again."));
        return;
    }
    if (!(std::fabs(look.hz - toneHz) <= toneHz * toneTolerance)) {
        refuse(QStringLiteral("The strongest tone is at %1 Hz, not within 5 % of 1 kHz: "
                              "is the calibrator on and the microphone in it?")
                   .arg(QString::number(look.hz, 'f', 0)));
        return;
    }
    if (!std::isfinite(look.levelDbfs) || look.levelDbfs <= SilenceDb) {
        refuse(QStringLiteral("There is no tone in the input: is the calibrator on and the microphone in it?"));
        return;
    }
    m_lowest = m_looks ? std::min(m_lowest, look.levelDbfs) : look.levelDbfs;
    m_highest = m_looks ? std::max(m_highest, look.levelDbfs) : look.levelDbfs;
    ++m_looks;
    if (m_highest - m_lowest > steadyWithinDb) {
        refuse(QStringLiteral("The level varied by %1 dB (more than 0.5 dB): hold the calibrator steady "
                              "on the microphone and calibrate again.")
                   .arg(dbText(m_highest - m_lowest)));
        return;
    }
    m_powerSum += std::pow(10.0, look.levelDbfs / 10.0);
    m_seconds += std::max(look.seconds, 0.0);
    if (m_seconds >= CalibrationSeconds - 1e-9) {
        const double level = 10.0 * std::log10(m_powerSum / m_looks);
        m_outcome = Offset{m_calibrator - level, level};
    }
}

}  // namespace vellarin
