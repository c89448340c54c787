#pragma once
// Calibration: the offset that turns dBFS into dB SPL, measured from a sound
// calibrator's 1 kHz tone, and the conversion it makes with a microphone's
// correction.
#include "microphone_correction.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <span>
#include <variant>
#include <vector>

namespace vellarin {

// What a calibration turns levels into dB SPL with.
struct SplCalibration {
    double offsetDb = 0.0;  // dB SPL of a level of 0 dBFS (RMS), at 1 kHz
    MicrophoneCorrection correction;
    QString correctionName;  // the file's name, for exports

    // A mean-square level (RMS, band or meter) in dBFS at `hz` as dB SPL:
    // the offset, less the microphone's response there.
    double splFromDbfs(double dbfs, double hz = 1000.0) const
    {
        return dbfs + offsetDb - correction.responseDb(hz);
    }
    double splFromDesignDb(double designDb, double hz = 1000.0) const;
    // A spectrum's bin level on the design's scale, which reads the amplitude
    // of a sine peaking on the bin, as the dB SPL of that sine (its RMS): so
    // the calibrator's tone reads the calibrator's level in the spectrum too.
    double splFromSpectrumDesignDb(double designDb, double hz) const;
    // Per bin 0..N/2: the factor on power that makes dBFS read dB SPL (the
    // offset and the correction); multiplied into `gain`, which holds N/2 + 1
    // factors (all 1 for none, or a weighting's).
    void applyPerBin(int32_t fftSize, double sampleRate, std::span<double> gain) const;
};

// Calibrator levels offered; any other may be typed.
inline constexpr double CalibratorLevels[] = {94.0, 114.0};
// How long the tone is measured.
inline constexpr double CalibrationSeconds = 3.0;

// One look at the calibrator's tone: its strongest peak in a flat-top
// spectrum (or a meter's reading with the frequency found elsewhere).
struct CalibrationLook {
    double hz;       // where the strongest peak lies
    double levelDbfs;  // its RMS level
    bool clipped;    // a sample of the frame reached full scale
    double seconds;  // of sound the look moved on by
};

// From bin powers 0..N/2 (binPowers) of a frame weighed by the flat-top window,
// whose peak bin reads a tone's mean square wherever it falls between bins.
CalibrationLook lookAtSpectrum(std::span<const double> power, int32_t fftSize, double sampleRate, bool clipped,
                               double seconds);

class CalibrationMeasurement {
public:
    struct Offset {
        double offsetDb;
        double levelDbfs;  // the tone as measured
    };
    struct Refusal {
        QString reason;  // a sentence for the user
    };
    using Outcome = std::variant<std::monostate, Offset, Refusal>;  // monostate: still measuring

    // Starts a measurement for a calibrator of `calibratorDbSpl`.
    explicit CalibrationMeasurement(double calibratorDbSpl);
    // Takes the next look; after an outcome, looks change nothing.
    void add(const CalibrationLook& look);
    const Outcome& outcome() const { return m_outcome; }
    bool finished() const { return !std::holds_alternative<std::monostate>(m_outcome); }
    double secondsMeasured() const { return m_seconds; }

private:
    void refuse(const QString& reason) { m_outcome = Refusal{reason}; }

    double m_calibrator;
    double m_seconds = 0.0;
    double m_lowest = 0.0;
    double m_highest = 0.0;
    double m_powerSum = 0.0;
    int m_looks = 0;
    Outcome m_outcome;
};

}  // namespace vellarin
