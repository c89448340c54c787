#include "form1.h"

#include "component_site.h"
#include "components/chart_record.h"
#include "form1_layout.h"
#include "levels.h"
#include "number_text.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <new>
#include <system_error>

namespace vellarin {

std::unique_ptr<char[]> allocateZeroed(size_t bytes) { return std::unique_ptr<char[]>(new (std::nothrow) char[bytes]()); }

Form1::Form1(Form1Services services, QWidget* parent)
    : QWidget(parent)
    , m_services(std::move(services))
    , m_state(std::make_unique<AnalyserState>())
    , m_settings(new SettingsModel(this))
{
    buildControls();
    createComponents();

    connect(StandardX, &QRadioButton::clicked, this, [this] { scalingClicked(StandardScaling); });
    connect(LogX, &QRadioButton::clicked, this, [this] { scalingClicked(LogScaling); });
    connect(FullFreqX, &QRadioButton::clicked, this, [this] { scalingClicked(FullFitScaling); });
    connect(HScroll1, &QScrollBar::valueChanged, this, [this](int value) { frequencyPanChanged(value); });
    connect(HScroll2, &QScrollBar::valueChanged, this, [this](int value) { persistenceChanged(value); });
    connect(Command2, &QToolButton::clicked, this, [this] { stopCapture(); });
    connect(Command1, &QToolButton::clicked, this, [this] { startCapture(); });
    connect(Timer1, &QTimer::timeout, this, [this] { timerTick(); });
    connectDisplayOptions();
    connectSettings();
    connectReadouts();

    const TwipsScale scale = TwipsScale::of(this);
    setMinimumSize(scale.toPixelsX(layout::clientWidth), scale.toPixelsY(layout::clientHeight));
    resize(minimumSize());

    // Built once for the process, at start-up rather than on the first
    // frame, and on a thread of its own while the window gets ready.
    try {
        m_levelsPrepared = std::async(std::launch::async, prepareLevels);
    } catch (const std::system_error&) {
        prepareLevels();  // no thread to spare: built here, as the first frame would
    }
    formLoad();
}

Form1::~Form1()
{
    // The device must not go on filling buffers whose memory leaves with the window.
    if (m_state->Capturing == True)
        closeDevice(false);
}

void Form1::createComponents()
{
    // The chart starts from the settings stored with the window.
    m_chart.createFromRecord(storedChartRecord());
    m_waterfall.create();
    m_fft.create();
    Trazel1->embed(m_chart.widget(), tr("The spectrum chart (trazel) could not be loaded."));
    Cascadra1->embed(m_waterfall.widget(), tr("The waterfall (cascadra) could not be loaded."));
}

void Form1::formLoad()
{
    AnalyserState& s = *m_state;
    s.LastBuffer = 255;

    m_chart.setYmin(0, 0);
    m_chart.setSumWaveforms(0);
    m_chart.setDoubleActiveTrace(false);
    m_chart.setScrollMode(false);

    s.FreqScaling = StandardScaling;

    listDevices(true);

    s.BufferBytes = 1024;
    s.BufferSamples = s.BufferBytes / 2;

    if (!allocateBufferPool()) {
        m_services.messages.show(QStringLiteral("Failed to allocate memory for sound input device!"));
        setControlsForRunState(RunState::Stopped);
        return;
    }

    s.LevelMin = 0;
    s.LevelMax = 32767;
    s.LevelZoomed = False;
    s.LevelSpan = 32767;
    s.LevelScale = levelScale();
    s.FFTSize = 1024;
    s.Capturing = False;
}

bool Form1::allocateBufferPool()
{
    AnalyserState& s = *m_state;
    for (int i = 0; i <= s.LastBuffer; ++i) {
        s.BufferMemory[i] = m_services.allocate(static_cast<size_t>(s.BufferBytes));
        if (!s.BufferMemory[i])
            return false;
    }
    s.BufferPoolReady = true;
    return true;
}

void Form1::setControlsForRunState(RunState run)
{
    const bool capturing = run == RunState::Capturing;
    struct Rule {
        QWidget* control;
        bool enabledWhileCapturing;
    };
    const Rule rules[] = {
        {Command1, false}, {Command2, true}, {Combo1, false},    {Combo2, false},  {List1, false},
        {StandardX, true}, {FullFreqX, true}, {LogX, true},      {Command5, true}, {Option1, true},
        {Option2, true},   {Option3, true},   {Option5, true},   {Check1, true},
    };
    for (const Rule& rule : rules)
        rule.control->setEnabled(rule.enabledWhileCapturing == capturing);
    // The two horizontal directions have no 3D view.
    const bool horizontalAllowed = capturing && !Check1->isChecked();
    Option4->setEnabled(horizontalAllowed);
    Option6->setEnabled(horizontalAllowed);
    // Without the whole buffer pool there is nothing to capture into.
    if (!m_state->BufferPoolReady)
        Command1->setEnabled(false);
}

void Form1::stopCapture()
{
    AnalyserState& s = *m_state;
    if (s.Capturing == True)
        closeDevice(true);
    m_chart.setLock(true);
    s.Capturing = False;
    Timer1->stop();
    setControlsForRunState(RunState::Stopped);
}

void Form1::formUnload()
{
    if (Command2->isEnabled())
        stopCapture();
}

void Form1::closeEvent(QCloseEvent* event)
{
    formUnload();
    event->accept();
}

void Form1::persistenceChanged(int opacity) { m_chart.setPersist(static_cast<int16_t>(opacity)); }

}  // namespace vellarin
