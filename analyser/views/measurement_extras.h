#pragma once
// Measuring from the frequency labels' menu: the frequency weighting (A, C,
// Z) of the spectrum, the bands and the meter; octave or third-octave bands
// in place of the spectrum; the level meter's strip; and each input's
// calibration, measured from a sound calibrator, typed in, or a microphone's
// correction file. Each choice is remembered, the calibration per input.
// With none of them chosen the window stays as designed.
#include "analysis_settings.h"
#include "band_notation.h"
#include "calibration.h"
#include "frame_measurement.h"
#include "frequency_scale.h"
#include "window_functions.h"

#include <QObject>

#include <functional>
#include <optional>
#include <vector>

class QAction;
class QMenu;
class QSettings;

namespace vellarin {

class Form1;
class LevelMeterStrip;
class SpectrumTreatment;
struct MeterFigures;

class MeasurementExtras final : public QObject, public BandNotation {
public:
    // What the user is asked; each may be replaced (tests answer at once).
    struct Questions {
        // The calibrator's level in dB SPL; none when cancelled.
        std::function<std::optional<double>()> calibratorLevel;
        // The offset to type in, starting from `current`; none when cancelled.
        std::function<std::optional<double>(double current)> splOffset;
        // A correction file's path; empty when cancelled.
        std::function<QString()> correctionFile;
        std::function<void(const QString& text, const QString& reason)> tell;
        // Where to save the bands, starting from a suggested name; empty when cancelled.
        std::function<QString(const QString& suggested)> bandsPath;
    };

    MeasurementExtras(Form1& window, SpectrumTreatment& treatment, QMenu& menu, QSettings* remembered = nullptr);
    ~MeasurementExtras() override;
    // Takes the questions given; those left empty stay as they were.
    void setQuestions(const Questions& questions);

    void setWeighting(Weighting weighting);
    void setBands(std::optional<BandFraction> bands);
    void setMeterShown(bool shown);
    void setTimeWeighting(TimeWeighting timeWeighting);
    TimeWeighting timeWeighting() const { return m_timeWeighting; }

    // "Calibrate...": asks for the calibrator's level, then measures.
    void calibrate();
    // Measures the calibrator's tone for CalibrationSeconds with the flat-top window.
    void startCalibration(double calibratorDbSpl);
    bool calibrating() const { return m_calibration.has_value(); }
    void typeOffset();
    void chooseCorrectionFile();
    // Takes a correction file for the input; false, with the reason told, when it is refused.
    bool useCorrectionFile(const QString& path);
    void forgetCalibration();
    // "Export Bands...": the last frame's bands as CSV.
    void exportBands();

    const FrameMeasurement& measurement() const { return m_measurement; }
    LevelMeterStrip* meterStrip() const { return m_meter; }
    const MicrophoneCorrection& correction() const { return m_correction; }
    // The meter's figures as the strip shows them after the last frame.
    const MeterFigures& meterFigures() const;
    // The band view's band a bin lies in, for the cross-hair; none without one.
    std::optional<BandUnderBin> bandOf(int32_t bin) const override;
    // The band view's bars over `columns` chart columns, each column reading
    // bin `binOfColumn(column)`; none without a band view.
    std::vector<BandBar> bandBars(const std::function<int32_t(int32_t)>& binOfColumn, int32_t columns) const;
    // The key the current input's calibration is kept under.
    QString inputKey() const;

private:
    void buildMenu(QMenu& menu);
    void refreshChecks();
    void follow(const SettingsChange& change);
    void recallInputCalibration();
    void configure();
    bool powerStage(std::span<const double> spectrum, int32_t fftSize, std::span<double> power);
    void frameDrawn();
    void feedMeter(bool& clipped, double& seconds);
    void showMeter(const MeterReading& reading);
    void lookForCalibration(bool clipped, double seconds);
    void endCalibration();
    void setCalibration(std::optional<double> offset, const QString& file);
    void remember(const char* key, const QVariant& value);
    void showStrip();

    Form1& m_window;
    QSettings* m_remembered;
    Questions m_questions;
    FrameMeasurement m_measurement;
    WindowWeights m_weights;
    MicrophoneCorrection m_correction;
    TimeWeighting m_timeWeighting = TimeWeighting::fast;
    LevelMeterStrip* m_meter = nullptr;
    std::vector<int16_t> m_newSamples;
    std::vector<double> m_calibrationPower;
    uint64_t m_lastAppended = 0;
    double m_sinceShown = 0.0;  // seconds of sound since the meter's figures were shown
    bool m_configured = false;

    std::optional<CalibrationMeasurement> m_calibration;
    std::optional<QString> m_userWindow;  // restored when the calibration ends
    uint64_t m_calibrationFrom = 0;  // frames drawn when it began
    bool m_calibrationStopped = false;

    std::vector<std::pair<Weighting, QAction*>> m_weightingActions;
    std::vector<std::pair<QString, QAction*>> m_bandActions;
    std::vector<std::pair<TimeWeighting, QAction*>> m_timeActions;
    QAction* m_meterAction = nullptr;
};

// The band key remembered and held in the settings: "octave", "third", empty for none.
std::optional<BandFraction> bandsFromKey(const QString& key);
QString bandsKey(std::optional<BandFraction> bands);

}  // namespace vellarin
