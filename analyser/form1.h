#pragma once
// The analyser's main window: it hosts the spectrum chart, the waterfall and
// the FFT component, owns the whole analyser state, and runs every handler.
#include "analyser_state.h"
#include "analysis_settings.h"
#include "capture_watchdog.h"
#include "components/cascadra_binding.h"
#include "components/fourel_binding.h"
#include "components/trazel_binding.h"
#include "form1_layout.h"
#include "strip_layout.h"
#include "message_sink.h"
#include "readouts.h"
#include "sample_history.h"
#include "twips.h"

#include <QWidget>

#include <functional>
#include <future>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QRadioButton;
class QScrollBar;
class QTimer;
class QToolButton;

namespace vellarin {

class ComponentSite;
class ChartTrace;
class FrameExtras;
class BandNotation;
class LevelNotation;

// A zero-filled block of `bytes` bytes, or null when there is no memory.
using BufferAllocator = std::function<std::unique_ptr<char[]>(size_t bytes)>;
std::unique_ptr<char[]> allocateZeroed(size_t bytes);

struct Form1Services {
    wavein::WaveInApi& waveIn;
    MessageSink& messages;
    BufferAllocator allocate = allocateZeroed;
    // Times the capture watchdog.
    MonotonicClock clock = steadyMilliseconds;
};

enum class RunState { Stopped, Capturing };

class Form1 final : public QWidget {
public:
    explicit Form1(Form1Services services, QWidget* parent = nullptr);
    ~Form1() override;

    const AnalyserState& state() const { return *m_state; }
    // The analysis settings: the drop-downs and scaling options follow it and
    // write it; so may anything outside the window.
    SettingsModel& settings() const { return *m_settings; }
    TrazelBinding& chart() { return m_chart; }
    CascadraBinding& waterfall() { return m_waterfall; }
    FourelBinding& fft() { return m_fft; }

    // The enabled state of every control in one of the two run states.
    void setControlsForRunState(RunState state);

    // Keeps the window at least at its smallest size, lays out the controls
    // for the current size and re-applies the frequency scaling.
    void formResize();

    // Frequency scaling.
    void sendAxisCommand(int16_t freqScaling);
    void buildBinMaps();
    void refreshFrequencyLabels();
    int16_t selectedScaling() const;

    // Reads the device list afresh, keeping the chosen device where it is
    // still listed. Only the first listing at start-up reports an empty one.
    void listDevices(bool atStartUp);

    // Stop (the Stop button): back to the stopped state.
    void stopCapture();

    // Start (the Start button): opens the device and starts capturing.
    void startCapture();
    // Timer1: collects the filled buffers and draws the newest frame.
    void timerTick();
    // Frames drawn since the last Start; the levels belong to the newest.
    uint64_t framesDrawn() const { return m_framesDrawn; }
    // The last seconds of sound captured since the last Start, copied at each tick.
    const SampleHistory& sampleHistory() const { return m_history; }
    // A second trace sent with each chart line, such as held peaks, when a
    // user may switch one on; the window does not own it.
    void setChartTrace(ChartTrace* trace) { m_chartTrace = trace; }
    // What the extras do to each frame; the window does not own them.
    void setFrameExtras(FrameExtras* extras) { m_frameExtras = extras; }
    // The unit the cross-hair reads levels in; none for the design's dB.
    // The window does not own it.
    void setLevelNotation(const LevelNotation* notation) { m_levelNotation = notation; }
    const LevelNotation* levelNotation() const { return m_levelNotation; }
    // The bands the chart shows, which the cross-hair then names; none for
    // the spectrum. The window does not own it.
    void setBandNotation(const BandNotation* notation) { m_bandNotation = notation; }
    const BandNotation* bandNotation() const { return m_bandNotation; }

    // The chart's and the waterfall's events: the pointer readouts in Label5
    // and the level window the chart's zoom sets.
    void crossHairMoved(int32_t offset);
    void waterfallPointerMoved(int16_t x, int16_t y);
    void chartRangeChanged(int32_t min, int32_t max);

    // Display options and picture commands.
    void apply3DView();
    void persistClicked();
    void bestDynamicRange();

    // Shows an add-on's strip beside the chart, `pixels` thick, or takes it
    // away with 0; the window grows or shrinks by the change, the chart keeps
    // its size, and the window places the strip from then on.
    void setStrip(QWidget* strip, layout::StripSide side, int pixels);
    // The room the strips take, in twips.
    const layout::Strips& strips() const { return m_strips; }

    // The window's outer size in twips, the frame included.
    QSizeF outerSizeTwips() const;
    void setOuterSizeTwips(QSizeF size);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void connectReadouts();
    void connectDisplayOptions();
    ScalingView scalingView() const;
    void placeGroupBoxChildren();
    void createComponents();
    void formLoad();
    void formUnload();
    bool allocateBufferPool();

    // Handlers.
    void scalingClicked(int16_t freqScaling);
    void connectSettings();
    void settingsChanged(const SettingsChange& change);
    void frequencyPanChanged(int firstBin);
    void persistenceChanged(int opacity);

    // Capture: the device closed after Stop or a failure, the frame drawn,
    // and a capture that died given up.
    void closeDevice(bool reportStopFailure);
    // Why the device would not open, beneath the message; empty when unknown.
    QString openFailureReason(wavein::MmResult failure) const;
    void abandonCapture(const QString& message, const QString& reason = {});
    void drawFrame(int32_t newSamples);
    void sendChartLine(int16_t* line, int16_t count, int32_t firstBin);
    void prepareTransform();
    void watchOverCapture(int64_t nowMs);
    // After the device moved the stream to another source: the Default entry
    // names the source it follows; a chosen source that went away ends the
    // capture. False when the capture ended.
    bool followSource();
    void sourceWentAway();

    double sampleRate() const;
    // The waterfall's picture height in the screen's own pixels, not rounded,
    // and how many of them make a logical pixel where the waterfall is shown.
    double waterfallPixels() const;
    double waterfallDeviceRatio() const;

    Form1Services m_services;
    std::unique_ptr<AnalyserState> m_state;
    SettingsModel* m_settings = nullptr;
    // The level table, built beside the window rather than before it; a
    // frame that needs it first waits for it, and the window's end does too.
    std::future<void> m_levelsPrepared;
    TrazelBinding m_chart;
    CascadraBinding m_waterfall;
    FourelBinding m_fft;
    CaptureWatchdog m_watchdog;
    bool m_ticking = false;
    uint32_t m_sourceMoves = 0;  // the device's count of stream moves, as last seen
    uint64_t m_framesDrawn = 0;
    SampleHistory m_history;
    ChartTrace* m_chartTrace = nullptr;
    FrameExtras* m_frameExtras = nullptr;
    const LevelNotation* m_levelNotation = nullptr;
    const BandNotation* m_bandNotation = nullptr;
    layout::Strips m_strips;
    layout::StripLayout m_stripLayout;

public:
    // The controls, by their form names.
    QToolButton* Command1 = nullptr;
    QToolButton* Command2 = nullptr;
    QToolButton* Command3 = nullptr;
    QToolButton* Command4 = nullptr;
    QToolButton* Command5 = nullptr;
    QComboBox* Combo1 = nullptr;
    QComboBox* Combo2 = nullptr;
    QComboBox* List1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QRadioButton* StandardX = nullptr;
    QRadioButton* FullFreqX = nullptr;
    QRadioButton* LogX = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QRadioButton* Option3 = nullptr;
    QRadioButton* Option4 = nullptr;
    QRadioButton* Option5 = nullptr;
    QRadioButton* Option6 = nullptr;
    QCheckBox* Check1 = nullptr;
    QCheckBox* Persist = nullptr;
    QScrollBar* HScroll1 = nullptr;
    QScrollBar* HScroll2 = nullptr;
    QTimer* Timer1 = nullptr;
    ComponentSite* Trazel1 = nullptr;
    ComponentSite* Cascadra1 = nullptr;
};

}  // namespace vellarin
