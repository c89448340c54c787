#pragma once
// The analysis a user may switch on from the frequency labels' menu or a
// key: a window function, averaging, the frequency and dB scales, the peak
// and pitch readout, the level unit and note grid, and Help. Each choice is remembered; with nothing chosen the
// window stays exactly as designed.
#include "analysis_settings.h"
#include "frame_readouts.h"
#include "help_windows.h"
#include "spectrum_treatment.h"

#include <QObject>

class QAction;
class QLabel;
class QMenu;
class QSettings;

namespace vellarin {

class Form1;
class FrequencyScale;
class LevelRuler;
class ReadingMenu;
class MeasurementExtras;

class AnalysisExtras final : public QObject {
public:
    // Joins `menu`; with `remembered`, starts from the choices kept there and
    // keeps each new one.
    AnalysisExtras(Form1& window, QMenu& menu, QSettings* remembered = nullptr);
    ~AnalysisExtras() override;

    WindowFunction windowFunction() const { return m_treatment.windowFunction(); }
    void setWindowFunction(WindowFunction function);
    void nextWindowFunction();
    Averaging averaging() const { return m_treatment.averaging(); }
    void setAveraging(Averaging averaging);
    void nextAveraging();
    bool scalesShown() const { return m_scalesShown; }
    void setScalesShown(bool shown);
    bool peakReadoutShown() const { return m_peakShown; }
    void setPeakReadoutShown(bool shown);

    HelpWindows& help() { return m_help; }
    FrequencyScale* frequencyScale() const { return m_scale; }
    LevelRuler* levelRuler() const { return m_ruler; }
    QLabel* peakReadout() const { return m_peak; }
    // The peak and pitch the readout shows, of the last frame drawn.
    const FrameReadouts& readouts() const { return m_readouts; }
    // The level unit and the note grid.
    ReadingMenu& reading() const { return *m_reading; }
    MeasurementExtras* measurement() const { return m_measurement; }

private:
    void buildMenu(QMenu& menu);
    void restore();
    void remember(const char* key, const QVariant& value);
    void showStrips();
    void frameDrawn();
    void showPeak();
    void readFrame(std::span<const double> transform, int32_t fftSize);
    void unitChanged();
    void refreshChecks();
    void follow(const SettingsChange& change);

    Form1& m_window;
    QSettings* m_remembered;
    SpectrumTreatment m_treatment;
    HelpWindows m_help;
    bool m_scalesShown = false;
    bool m_peakShown = false;
    FrequencyScale* m_scale = nullptr;
    LevelRuler* m_ruler = nullptr;
    QLabel* m_peak = nullptr;
    FrameReadouts m_readouts;
    ReadingMenu* m_reading = nullptr;
    std::vector<std::pair<WindowFunction, QAction*>> m_windowActions;
    std::vector<std::pair<Averaging, QAction*>> m_averagingActions;
    QAction* m_scalesAction = nullptr;
    QAction* m_peakAction = nullptr;
    MeasurementExtras* m_measurement = nullptr;
};

}  // namespace vellarin
