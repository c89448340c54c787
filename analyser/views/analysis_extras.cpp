#include "analysis_extras.h"

#include "component_site.h"
#include "form1.h"
#include "frequency_scale.h"
#include "frequency_scaling.h"
#include "level_ruler.h"
#include "reading_menu.h"
#include "readouts.h"
#include "measurement_extras.h"

#include <QActionGroup>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QSettings>
#include <QShortcut>

#include <cmath>

namespace vellarin {

AnalysisExtras::AnalysisExtras(Form1& window, QMenu& menu, QSettings* remembered)
    : QObject(&window), m_window(window), m_remembered(remembered), m_help(&window)
{
    window.setFrameExtras(&m_treatment);
    m_treatment.onFrameDrawn([this] { frameDrawn(); });
    m_treatment.onTransform([this](std::span<const double> transform, int32_t n) { readFrame(transform, n); });

    m_scale = new FrequencyScale(
        [this] {
            const AnalyserState& s = m_window.state();
            const AnalysisSettings& settings = m_window.settings().value();
            const double rate = settings.sampleRate();
            FrequencyAxis axis{s.FreqScaling, s.FFTSize, rate, m_window.HScroll1->value(), m_window.chart().xmax(),
                               axisTicks(s.FreqScaling, rate, settings.fftSizeText, settings.rateText, settings.noteGrid),
                               {}};
            if (m_measurement) {
                const ScalingView view{s.FreqScaling, m_window.HScroll1->value(), s.FFTSize / 2};
                axis.bands = m_measurement->bandBars(
                    [&](int32_t column) { return chartColumnBin(view, column, s.ChartLogMap, s.ChartFitMap); },
                    axis.columns);
            }
            return axis;
        },
        &window);
    m_ruler = new LevelRuler(
        [this] {
            const QWidget* chart = m_window.Trazel1;
            const ChosenLevelUnit& unit = m_reading->levelUnit();
            const int deviceHeight = int(std::lround(chart->height() * chart->devicePixelRatioF()));
            return LevelAxis{m_window.chart().ymin(0), m_window.chart().ymax(0), deviceHeight,
                             unit.offsetFromDesign(), unit.unitText()};
        },
        &window);
    m_peak = new QLabel(&window);
    m_peak->setObjectName(QStringLiteral("PeakReadout"));
    m_peak->setAlignment(Qt::AlignCenter);
    for (QWidget* strip : {(QWidget*)m_scale, (QWidget*)m_ruler, (QWidget*)m_peak})
        strip->hide();
    // While stopped the pan redraws the chart at once; the scale goes with it.
    connect(window.HScroll1, &QScrollBar::valueChanged, this, [this] { m_scale->follow(); });

    connect(&window.settings(), &SettingsModel::changed, this, [this](const SettingsChange& change) { follow(change); });
    buildMenu(menu);
    const struct {
        QKeySequence keys;
        void (AnalysisExtras::*run)();
    } shortcuts[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_W), &AnalysisExtras::nextWindowFunction},
        {QKeySequence(Qt::CTRL | Qt::Key_T), &AnalysisExtras::nextAveraging},
    };
    for (const auto& s : shortcuts)
        connect(new QShortcut(s.keys, &window), &QShortcut::activated, this, s.run);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), &window), &QShortcut::activated, this,
            [this] { setScalesShown(!m_scalesShown); });
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_N), &window), &QShortcut::activated, this,
            [this] { setPeakReadoutShown(!m_peakShown); });
    connect(new QShortcut(QKeySequence(Qt::Key_F1), &window), &QShortcut::activated, this, [this] { m_help.showKeys(); });

    // Choices made before the add-on was there take effect now.
    follow({AnalysisSettings{}, window.settings().value()});
    restore();
}

AnalysisExtras::~AnalysisExtras()
{
    // The window leaves as designed, so the size remembered for it is that of
    // the window without the strips; they are added again when restored.
    delete m_measurement;
    for (QWidget* strip : {(QWidget*)m_ruler, (QWidget*)m_scale, (QWidget*)m_peak})
        m_window.setStrip(strip, layout::StripSide::leftOfChart, 0);
    m_window.setFrameExtras(nullptr);
}

void AnalysisExtras::buildMenu(QMenu& menu)
{
    menu.addSeparator();
    QMenu* windows = menu.addMenu(QStringLiteral("Window Function (Ctrl+W)"));
    auto* windowGroup = new QActionGroup(windows);
    for (const WindowShape& shape : windowShapes()) {
        QAction* action = windows->addAction(QString::fromLatin1(shape.name));
        action->setCheckable(true);
        windowGroup->addAction(action);
        connect(action, &QAction::triggered, this, [this, f = shape.function] { setWindowFunction(f); });
        m_windowActions.emplace_back(shape.function, action);
    }
    QMenu* averages = menu.addMenu(QStringLiteral("Averaging (Ctrl+T)"));
    auto* averagingGroup = new QActionGroup(averages);
    for (const AveragingShape& shape : averagingShapes()) {
        QAction* action = averages->addAction(QString::fromLatin1(shape.name));
        action->setCheckable(true);
        averagingGroup->addAction(action);
        connect(action, &QAction::triggered, this, [this, a = shape.averaging] { setAveraging(a); });
        m_averagingActions.emplace_back(shape.averaging, action);
    }
    m_scalesAction = menu.addAction(QStringLiteral("Scales\tCtrl+L"));
    m_scalesAction->setCheckable(true);
    connect(m_scalesAction, &QAction::triggered, this, [this](bool on) { setScalesShown(on); });
    m_peakAction = menu.addAction(QStringLiteral("Peak Readout\tCtrl+N"));
    m_peakAction->setCheckable(true);
    connect(m_peakAction, &QAction::triggered, this, [this](bool on) { setPeakReadoutShown(on); });
    m_reading = new ReadingMenu(m_window, menu, this);
    m_reading->onUnitChanged([this] { unitChanged(); });
    m_measurement = new MeasurementExtras(m_window, m_treatment, menu, m_remembered);
    menu.addSeparator();
    QMenu* help = menu.addMenu(QStringLiteral("Help"));
    connect(help->addAction(QStringLiteral("Keys and Mouse...\tF1")), &QAction::triggered, this,
            [this] { m_help.showKeys(); });
    connect(help->addAction(QStringLiteral("About Vellarin...")), &QAction::triggered, this,
            [this] { m_help.showAbout(); });
    refreshChecks();
}

void AnalysisExtras::refreshChecks()
{
    for (const auto& [function, action] : m_windowActions)
        action->setChecked(function == windowFunction());
    for (const auto& [averaging, action] : m_averagingActions)
        action->setChecked(averaging == this->averaging());
    m_scalesAction->setChecked(m_scalesShown);
    m_peakAction->setChecked(m_peakShown);
}

void AnalysisExtras::restore()
{
    if (!m_remembered)
        return;
    const QSettings& s = *m_remembered;
    if (s.contains("windowFunction"))
        setWindowFunction(windowFromKey(s.value("windowFunction").toString()));
    if (s.contains("averaging"))
        setAveraging(averagingFromKey(s.value("averaging").toString()));
    if (s.contains("scales"))
        setScalesShown(s.value("scales").toBool());
    if (s.contains("peakReadout"))
        setPeakReadoutShown(s.value("peakReadout").toBool());
}

void AnalysisExtras::remember(const char* key, const QVariant& value)
{
    if (m_remembered)
        m_remembered->setValue(QLatin1String(key), value);
}

void AnalysisExtras::setWindowFunction(WindowFunction function)
{
    m_window.settings().edit([function](AnalysisSettings& s) { s.windowFunction = QLatin1String(windowShape(function).key); });
}

void AnalysisExtras::nextWindowFunction()
{
    const auto shapes = windowShapes();
    size_t i = 0;
    while (i < shapes.size() && shapes[i].function != windowFunction())
        ++i;
    setWindowFunction(shapes[(i + 1) % shapes.size()].function);
}

void AnalysisExtras::setAveraging(Averaging averaging)
{
    m_window.settings().edit([averaging](AnalysisSettings& s) { s.averaging = QLatin1String(averagingShape(averaging).key); });
}

void AnalysisExtras::nextAveraging()
{
    const auto shapes = averagingShapes();
    size_t i = 0;
    while (i < shapes.size() && shapes[i].averaging != averaging())
        ++i;
    setAveraging(shapes[(i + 1) % shapes.size()].averaging);
}

void AnalysisExtras::setScalesShown(bool shown)
{
    m_window.settings().edit([shown](AnalysisSettings& s) { s.scalesShown = shown; });
}

void AnalysisExtras::setPeakReadoutShown(bool shown)
{
    m_window.settings().edit([shown](AnalysisSettings& s) { s.peakReadoutShown = shown; });
}

// The choices are the settings' to keep; here they take effect and are remembered.
void AnalysisExtras::follow(const SettingsChange& change)
{
    const AnalysisSettings& was = change.before;
    const AnalysisSettings& now = change.now;
    if (now.windowFunction != was.windowFunction) {
        m_treatment.setWindowFunction(windowFromKey(now.windowFunction));
        m_readouts.setWindowFunction(windowFunction());
        remember("windowFunction", QLatin1String(windowShape(windowFunction()).key));
    }
    if (now.averaging != was.averaging) {
        m_treatment.setAveraging(averagingFromKey(now.averaging));
        remember("averaging", QLatin1String(averagingShape(averaging()).key));
    }
    if (now.scalesShown != was.scalesShown || now.peakReadoutShown != was.peakReadoutShown) {
        m_scalesShown = now.scalesShown;
        m_peakShown = now.peakReadoutShown;
        if (now.scalesShown != was.scalesShown)
            remember("scales", m_scalesShown);
        if (now.peakReadoutShown != was.peakReadoutShown) {
            remember("peakReadout", m_peakShown);
            m_readouts.clear();  // shown again, it reads from the next frame on
        }
        showStrips();
        showPeak();
    }
    refreshChecks();
}

// The strips' sizes follow the window's font; the window makes room for them.
void AnalysisExtras::showStrips()
{
    const QFontMetrics metrics = m_window.fontMetrics();
    const int rulerPixels = std::max(metrics.horizontalAdvance(QStringLiteral("-100.5")),
                                     metrics.horizontalAdvance(m_reading->levelUnit().unitText())) + 8;
    const int linePixels = metrics.height() + 4;
    m_window.setStrip(m_ruler, layout::StripSide::leftOfChart, m_scalesShown ? rulerPixels : 0);
    m_window.setStrip(m_scale, layout::StripSide::underChart, m_scalesShown ? linePixels : 0);
    m_window.setStrip(m_peak, layout::StripSide::underLabels, m_peakShown ? linePixels : 0);
    refreshChecks();
}

void AnalysisExtras::frameDrawn()
{
    if (m_scalesShown) {
        m_ruler->follow();
        m_scale->follow();
    }
    // A text that changed with every frame could not be read, and redrawing
    // it would cost more than the readings.
    if (m_readouts.renewed())
        showPeak();
}

void AnalysisExtras::showPeak()
{
    if (!m_peakShown)
        return;
    if (m_window.framesDrawn() == 0) {
        m_peak->setText(QStringLiteral("No spectrum yet"));
        return;
    }
    m_peak->setText(m_readouts.text(&m_reading->levelUnit()));
}

// Read only while shown, so the readout costs nothing while hidden.
void AnalysisExtras::readFrame(std::span<const double> transform, int32_t fftSize)
{
    if (m_peakShown)
        m_readouts.addFrame(transform, fftSize, m_window.sampleHistory());
}

// The ruler's labels, its width and the readout's level follow the unit.
void AnalysisExtras::unitChanged()
{
    showStrips();
    m_ruler->update();
    showPeak();
}

}  // namespace vellarin
