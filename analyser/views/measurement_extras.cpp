#include "measurement_extras.h"

#include "form1.h"
#include "input_calibration.h"
#include "band_export.h"
#include "exports.h"
#include "level_meter_strip.h"
#include "level_units.h"
#include "spectrum_power.h"
#include "spectrum_treatment.h"

#include <QActionGroup>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>
#include <utility>

namespace vellarin {

namespace {

constexpr double meterRefreshSeconds = 0.1;

MeasurementExtras::Questions desktopQuestions(QWidget* parent)
{
    MeasurementExtras::Questions q;
    q.calibratorLevel = [parent]() -> std::optional<double> {
        QStringList offered;
        for (const double level : CalibratorLevels)
            offered << QStringLiteral("%1 dB SPL").arg(level);
        bool ok = false;
        const QString answer = QInputDialog::getItem(parent, QStringLiteral("Calibrate"),
                                                     QStringLiteral("The calibrator's level at 1 kHz (dB SPL):"),
                                                     offered, 0, true, &ok);
        if (!ok)
            return std::nullopt;
        const double level = answer.section(u' ', 0, 0).toDouble(&ok);
        return ok ? std::optional(level) : std::nullopt;
    };
    q.splOffset = [parent](double current) -> std::optional<double> {
        bool ok = false;
        const double offset = QInputDialog::getDouble(parent, QStringLiteral("SPL Offset"),
                                                      QStringLiteral("dB SPL of a full-scale RMS level (0 dBFS):"),
                                                      current, -100.0, 300.0, 2, &ok);
        return ok ? std::optional(offset) : std::nullopt;
    };
    q.correctionFile = [parent] {
        return QFileDialog::getOpenFileName(parent, QStringLiteral("Microphone Correction File"), QString(),
                                            QStringLiteral("Correction files (*.txt *.cal *.frd);;All files (*)"));
    };
    q.bandsPath = [parent](const QString& suggested) {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        return QFileDialog::getSaveFileName(parent, QStringLiteral("Export Bands"), QDir(folder).filePath(suggested),
                                            QStringLiteral("CSV files (*.csv)"));
    };
    q.tell = [parent](const QString& text, const QString& reason) {
        MessageBoxSink(parent).show(text, reason);
    };
    return q;
}

}  // namespace

std::optional<BandFraction> bandsFromKey(const QString& key)
{
    if (key == QLatin1String("octave"))
        return BandFraction::octave;
    if (key == QLatin1String("third"))
        return BandFraction::third;
    return std::nullopt;
}

QString bandsKey(std::optional<BandFraction> bands)
{
    if (!bands)
        return {};
    return *bands == BandFraction::octave ? QStringLiteral("octave") : QStringLiteral("third");
}

MeasurementExtras::MeasurementExtras(Form1& window, SpectrumTreatment& treatment, QMenu& menu, QSettings* remembered)
    : QObject(&window), m_window(window), m_remembered(remembered), m_questions(desktopQuestions(&window))
{
    m_meter = new LevelMeterStrip(&window);
    m_meter->hide();
    m_meter->onClicked([this] { m_measurement.resetMeter(); });
    treatment.setPowerStage([this](std::span<const double> spectrum, int32_t n, std::span<double> power) {
        return powerStage(spectrum, n, power);
    });
    treatment.onFrameDrawn([this] { frameDrawn(); });
    connect(&window.settings(), &SettingsModel::changed, this, [this](const SettingsChange& change) { follow(change); });
    buildMenu(menu);
    window.setBandNotation(this);

    if (m_remembered) {
        const QSettings& s = *m_remembered;
        if (s.value("meterTimeWeighting").toString() == QLatin1String("slow"))
            m_timeWeighting = TimeWeighting::slow;
        window.settings().edit([&s](AnalysisSettings& a) {
            if (s.contains("weighting"))
                a.weighting = s.value("weighting").toString();
            if (s.contains("bands"))
                a.bands = s.value("bands").toString();
            if (s.contains("meter"))
                a.meterShown = s.value("meter").toBool();
        });
    }
    follow({AnalysisSettings{}, window.settings().value()});
    recallInputCalibration();
}

MeasurementExtras::~MeasurementExtras()
{
    // As the other strips: the window's remembered size is the design's.
    m_window.setStrip(m_meter, layout::StripSide::leftOfChart, 0);
    if (m_window.bandNotation() == this)
        m_window.setBandNotation(nullptr);
}

void MeasurementExtras::setQuestions(const Questions& questions)
{
    if (questions.calibratorLevel)
        m_questions.calibratorLevel = questions.calibratorLevel;
    if (questions.splOffset)
        m_questions.splOffset = questions.splOffset;
    if (questions.correctionFile)
        m_questions.correctionFile = questions.correctionFile;
    if (questions.tell)
        m_questions.tell = questions.tell;
    if (questions.bandsPath)
        m_questions.bandsPath = questions.bandsPath;
}

void MeasurementExtras::buildMenu(QMenu& menu)
{
    menu.addSeparator();
    QMenu* weightings = menu.addMenu(QStringLiteral("Frequency Weighting"));
    auto* weightingGroup = new QActionGroup(weightings);
    for (const WeightingShape& shape : weightingShapes()) {
        QAction* action = weightings->addAction(QString::fromLatin1(shape.name));
        action->setCheckable(true);
        weightingGroup->addAction(action);
        connect(action, &QAction::triggered, this, [this, w = shape.weighting] { setWeighting(w); });
        m_weightingActions.emplace_back(shape.weighting, action);
    }
    QMenu* bands = menu.addMenu(QStringLiteral("Octave Bands"));
    auto* bandGroup = new QActionGroup(bands);
    const std::pair<const char*, std::optional<BandFraction>> bandChoices[] = {
        {"Spectrum", std::nullopt}, {"1/1 Octave", BandFraction::octave}, {"1/3 Octave", BandFraction::third}};
    for (const auto& [name, fraction] : bandChoices) {
        QAction* action = bands->addAction(QString::fromLatin1(name));
        action->setCheckable(true);
        bandGroup->addAction(action);
        connect(action, &QAction::triggered, this, [this, f = fraction] { setBands(f); });
        m_bandActions.emplace_back(bandsKey(fraction), action);
    }
    bands->addSeparator();
    connect(bands->addAction(QStringLiteral("Export Bands...")), &QAction::triggered, this, [this] { exportBands(); });
    QMenu* meter = menu.addMenu(QStringLiteral("Level Meter"));
    m_meterAction = meter->addAction(QStringLiteral("Show Meter"));
    m_meterAction->setCheckable(true);
    connect(m_meterAction, &QAction::triggered, this, [this](bool on) { setMeterShown(on); });
    meter->addSeparator();
    auto* timeGroup = new QActionGroup(meter);
    for (const auto& [name, weighting] : {std::pair{"Fast (125 ms)", TimeWeighting::fast}, std::pair{"Slow (1 s)", TimeWeighting::slow}}) {
        QAction* action = meter->addAction(QString::fromLatin1(name));
        action->setCheckable(true);
        timeGroup->addAction(action);
        connect(action, &QAction::triggered, this, [this, w = weighting] { setTimeWeighting(w); });
        m_timeActions.emplace_back(weighting, action);
    }
    QMenu* calibration = menu.addMenu(QStringLiteral("Calibration"));
    connect(calibration->addAction(QStringLiteral("Calibrate...")), &QAction::triggered, this, [this] { calibrate(); });
    connect(calibration->addAction(QStringLiteral("SPL Offset...")), &QAction::triggered, this, [this] { typeOffset(); });
    connect(calibration->addAction(QStringLiteral("Microphone Correction File...")), &QAction::triggered, this,
            [this] { chooseCorrectionFile(); });
    connect(calibration->addAction(QStringLiteral("Forget Calibration")), &QAction::triggered, this,
            [this] { forgetCalibration(); });
    refreshChecks();
}

void MeasurementExtras::refreshChecks()
{
    const AnalysisSettings& s = m_window.settings().value();
    for (const auto& [weighting, action] : m_weightingActions)
        action->setChecked(weighting == weightingFromKey(s.weighting));
    for (const auto& [key, action] : m_bandActions)
        action->setChecked(key == bandsKey(bandsFromKey(s.bands)));
    for (const auto& [weighting, action] : m_timeActions)
        action->setChecked(weighting == m_timeWeighting);
    m_meterAction->setChecked(s.meterShown);
}

void MeasurementExtras::setWeighting(Weighting weighting)
{
    m_window.settings().edit([weighting](AnalysisSettings& s) {
        s.weighting = weighting == Weighting::z ? QString() : QLatin1String(weightingShape(weighting).key);
    });
}

void MeasurementExtras::setBands(std::optional<BandFraction> bands)
{
    m_window.settings().edit([bands](AnalysisSettings& s) { s.bands = bandsKey(bands); });
}

void MeasurementExtras::setMeterShown(bool shown)
{
    m_window.settings().edit([shown](AnalysisSettings& s) { s.meterShown = shown; });
}

void MeasurementExtras::setTimeWeighting(TimeWeighting timeWeighting)
{
    m_timeWeighting = timeWeighting;
    remember("meterTimeWeighting", timeWeighting == TimeWeighting::slow ? QStringLiteral("slow") : QStringLiteral("fast"));
    configure();
    refreshChecks();
}

QString MeasurementExtras::inputKey() const
{
    return calibrationKey(*m_window.List1, m_window.settings().value());
}

void MeasurementExtras::follow(const SettingsChange& change)
{
    const AnalysisSettings& was = change.before;
    const AnalysisSettings& now = change.now;
    if (now.weighting != was.weighting)
        remember("weighting", now.weighting);
    if (now.bands != was.bands)
        remember("bands", now.bands);
    if (now.meterShown != was.meterShown) {
        remember("meter", now.meterShown);
        showStrip();
    }
    if (now.correctionFile != was.correctionFile) {
        m_correction = {};
        if (!now.correctionFile.isEmpty()) {
            CorrectionFileResult read = readCorrectionFile(now.correctionFile);
            if (const auto* error = std::get_if<CorrectionFileError>(&read))
                m_questions.tell(QStringLiteral("The microphone correction file %1 is not applied.").arg(now.correctionFile),
                                 error->message());
            else
                m_correction = std::get<MicrophoneCorrection>(std::move(read));
        }
    }
    if (now.weighting != was.weighting || now.bands != was.bands || now.windowFunction != was.windowFunction ||
        now.correctionFile != was.correctionFile || change.frequencyAxis())
        m_configured = false;
    refreshChecks();
    if (now.inputKey != was.inputKey || now.inputEntry != was.inputEntry)
        recallInputCalibration();
}

// Another input: its own calibration, or none.
void MeasurementExtras::recallInputCalibration()
{
    const InputCalibration kept = m_remembered ? recallCalibration(*m_remembered, inputKey()) : InputCalibration{};
    m_window.settings().edit([&kept](AnalysisSettings& s) {
        s.splOffset = kept.splOffset;
        s.correctionFile = kept.correctionFile;
    });
}

// The tables follow the frame actually captured, which the typed rate and size only promise.
void MeasurementExtras::configure()
{
    const AnalyserState& state = m_window.state();
    const AnalysisSettings& s = m_window.settings().value();
    const int32_t n = state.FFTSize > 0 ? state.FFTSize : s.fftSize().value_or(FFTSizes.front());
    const double rate = state.CaptureFormat.samplesPerSec > 0 ? double(state.CaptureFormat.samplesPerSec) : s.sampleRate();
    const WindowFunction function = windowFromKey(s.windowFunction);
    m_weights.choose(function);
    MeasurementSetup setup;
    setup.fftSize = n;
    setup.sampleRate = rate;
    if (function != WindowFunction::rectangular)
        setup.windowWeights = m_weights.weights(n);
    setup.weighting = weightingFromKey(s.weighting);
    setup.bands = bandsFromKey(s.bands);
    setup.correction = &m_correction;
    setup.timeWeighting = m_timeWeighting;
    m_measurement.configure(setup);
    m_configured = true;
}

bool MeasurementExtras::powerStage(std::span<const double> spectrum, int32_t fftSize, std::span<double> power)
{
    const AnalysisSettings& s = m_window.settings().value();
    if (weightingFromKey(s.weighting) == Weighting::z && !bandsFromKey(s.bands) && m_correction.empty())
        return false;
    if (!m_configured || m_measurement.fftSize() != fftSize ||
        m_measurement.sampleRate() != double(m_window.state().CaptureFormat.samplesPerSec))
        configure();
    m_measurement.measure(spectrum);
    // Back to the treatment's |X|^2 from the mean square of a sine peaking on the bin.
    const double toSquared = double(fftSize) * double(fftSize) / 2.0;
    const auto weighted = m_measurement.weightedPower();
    const size_t bins = std::min(power.size(), weighted.size());
    if (!m_measurement.bandsOn()) {
        for (size_t k = 0; k < bins; ++k)
            power[k] = weighted[k] * toSquared;
        return true;
    }
    // Each bin shows its band's level, so the bands stand as bars over their
    // columns; a band the frame cannot resolve is drawn hatched, every
    // other bin left out.
    m_measurement.spreadBands(power.first(bins), toSquared, true);
    return true;
}

std::optional<BandUnderBin> MeasurementExtras::bandOf(int32_t bin) const
{
    // Tables left from a band view switched off are not shown.
    if (bin < 0 || !bandsFromKey(m_window.settings().value().bands) || !m_configured || !m_measurement.bandsOn())
        return std::nullopt;
    const int b = m_measurement.bandOfBin(size_t(bin));
    if (b < 0)
        return std::nullopt;
    int32_t first = bin;
    int32_t last = bin;
    while (first > 0 && m_measurement.bandOfBin(size_t(first - 1)) == b)
        --first;
    while (m_measurement.bandOfBin(size_t(last + 1)) == b)
        ++last;
    const OctaveBand& band = m_measurement.bands()[size_t(b)];
    return BandUnderBin{band.label, band.centre, first, last};
}

std::vector<BandBar> MeasurementExtras::bandBars(const std::function<int32_t(int32_t)>& binOfColumn, int32_t columns) const
{
    std::vector<BandBar> bars;
    if (!bandsFromKey(m_window.settings().value().bands) || !m_configured || !m_measurement.bandsOn())
        return bars;
    const auto bands = m_measurement.bands();
    const bool octaves = bandsFromKey(m_window.settings().value().bands) == BandFraction::octave;
    int shown = -1;
    for (int32_t column = 0; column < columns; ++column) {
        const int32_t bin = binOfColumn(column);
        const int b = bin < 0 ? -1 : m_measurement.bandOfBin(size_t(bin));
        if (b < 0) {
            shown = -1;
            continue;
        }
        if (b == shown) {
            bars.back().lastColumn = column;
            continue;
        }
        shown = b;
        const OctaveBand& band = bands[size_t(b)];
        // Thirds counted from 1 kHz; every third one is also an octave band's centre.
        const long third = std::lround(10 * std::log10(band.centre / 1000));
        bars.push_back({band.label, band.nominal, column, column, octaves || third % 3 == 0});
    }
    return bars;
}

void MeasurementExtras::frameDrawn()
{
    const AnalysisSettings& s = m_window.settings().value();
    if (!s.meterShown && !m_calibration)
        return;
    bool clipped = false;
    double seconds = 0.0;
    feedMeter(clipped, seconds);
    if (m_calibration)
        lookForCalibration(clipped, seconds);
}

void MeasurementExtras::feedMeter(bool& clipped, double& seconds)
{
    const SampleHistory& history = m_window.sampleHistory();
    if (!m_configured || m_measurement.sampleRate() != double(history.sampleRate()))
        configure();
    const uint64_t appended = history.appended();
    // A Start since the last frame: the meter and Leq begin with this capture.
    if (m_window.framesDrawn() <= 1 || appended < m_lastAppended) {
        m_measurement.resetMeter();
        m_lastAppended = appended - std::min<uint64_t>(appended, history.size());
    }
    const size_t fresh = size_t(std::min<uint64_t>(appended - m_lastAppended, history.size()));
    m_lastAppended = appended;
    if (m_newSamples.size() < history.capacity())
        m_newSamples.resize(history.capacity());
    const size_t got = history.latest(std::span(m_newSamples).first(fresh));
    m_measurement.addSamples(std::span<const int16_t>(m_newSamples).first(got));
    seconds = history.sampleRate() > 0 ? double(got) / history.sampleRate() : 0.0;
    // The figures change ten times a second, as a meter's display can be
    // read; the peak and the over mark cover the sound in between.
    m_sinceShown += seconds;
    if (!m_calibration && m_sinceShown < meterRefreshSeconds)
        return;
    m_sinceShown = 0.0;
    const MeterReading reading = m_measurement.readMeter();
    clipped = reading.clipped;
    showMeter(reading);
}

void MeasurementExtras::showMeter(const MeterReading& reading)
{
    const AnalysisSettings& s = m_window.settings().value();
    MeterFigures f;
    const Weighting weighting = m_measurement.weighting();
    f.heading = QStringLiteral("%1 %2").arg(QLatin1String(weightingShape(weighting).key),
                                             m_timeWeighting == TimeWeighting::fast ? QStringLiteral("Fast") : QStringLiteral("Slow"));
    std::function<double(double)> shown;
    if (s.levelUnit == QLatin1String("spl") && s.splOffset) {
        const double offset = *s.splOffset - m_correction.responseDb(1000.0);
        shown = [offset](double dbfs) { return dbfs + offset; };
        f.unit = QStringLiteral("dB SPL");
    } else if (s.levelUnit == QLatin1String("dbfs")) {
        shown = [](double dbfs) { return dbfs; };
        f.unit = QStringLiteral("dBFS");
    } else {
        shown = [](double dbfs) { return designDbFromDbfs(dbfs); };
        f.unit = QStringLiteral("dB");
    }
    f.rms = shown(reading.rmsDb);
    f.peak = shown(reading.peakDb);
    f.leq = shown(reading.leqDb);
    f.max = shown(reading.maxDb);
    f.low = shown(-100.0);
    f.high = shown(0.0);
    f.over = reading.over;
    m_meter->show(f);
}

const MeterFigures& MeasurementExtras::meterFigures() const
{
    return m_meter->figures();
}

void MeasurementExtras::showStrip()
{
    m_window.setStrip(m_meter, layout::StripSide::leftOfChart,
                      m_window.settings().value().meterShown ? m_meter->neededWidth() : 0);
}

void MeasurementExtras::calibrate()
{
    if (m_calibration)
        return;
    if (const std::optional<double> level = m_questions.calibratorLevel())
        startCalibration(*level);
}

void MeasurementExtras::startCalibration(double calibratorDbSpl)
{
    if (m_window.state().Capturing != True) {
        m_questions.tell(QStringLiteral("Start capturing first: the calibrator's tone is measured as it comes in."), {});
        return;
    }
    m_calibration.emplace(calibratorDbSpl);
    m_calibrationFrom = m_window.framesDrawn();
    if (m_calibration->finished()) {  // a level no calibrator gives
        endCalibration();
        return;
    }
    // The flat-top window reads a tone's level wherever it falls between bins.
    m_userWindow = m_window.settings().value().windowFunction;
    m_window.settings().edit([](AnalysisSettings& s) { s.windowFunction = QLatin1String(windowShape(WindowFunction::flatTop).key); });
    m_measurement.resetMeter();
}

void MeasurementExtras::lookForCalibration(bool clipped, double seconds)
{
    const AnalyserState& state = m_window.state();
    // A Start since: the tone measured so far was another capture's.
    if (m_window.framesDrawn() < m_calibrationFrom) {
        m_calibration.emplace(0.0);
        m_calibrationStopped = true;
        endCalibration();
        return;
    }
    // Frames drawn before the window turned flat-top are passed over.
    if (state.Capturing != True || windowFromKey(m_window.settings().value().windowFunction) != WindowFunction::flatTop)
        return;
    const int32_t n = state.BinLevelFFTSize;
    if (n <= 0)
        return;
    m_calibrationPower.resize(size_t(n / 2) + 1);
    // Bins 0..N/2, interleaved: N + 2 values.
    binPowers(std::span<const double>(state.FFTData).first(std::min(state.FFTData.size(), size_t(n) + 2)), n,
              m_calibrationPower);
    m_calibration->add(lookAtSpectrum(m_calibrationPower, n, double(state.BinLevelRate), clipped, seconds));
    if (m_calibration->finished())
        endCalibration();
}

void MeasurementExtras::endCalibration()
{
    const CalibrationMeasurement::Outcome outcome = m_calibration->outcome();
    m_calibration.reset();
    if (const std::optional<QString> window = std::exchange(m_userWindow, std::nullopt))
        m_window.settings().edit([&window](AnalysisSettings& s) { s.windowFunction = *window; });
    if (const auto* offset = std::get_if<CalibrationMeasurement::Offset>(&outcome)) {
        // The calibrator's level is at the microphone; its response at 1 kHz is part of the reading.
        setCalibration(offset->offsetDb + m_correction.responseDb(1000.0), m_window.settings().value().correctionFile);
    } else if (std::exchange(m_calibrationStopped, false)) {
        m_questions.tell(QStringLiteral("The input is not calibrated."),
                         QStringLiteral("Capture stopped while the calibrator's tone was measured: calibrate again."));
    } else if (const auto* refusal = std::get_if<CalibrationMeasurement::Refusal>(&outcome)) {
        m_questions.tell(QStringLiteral("The input is not calibrated."), refusal->reason);
    }
}

void MeasurementExtras::typeOffset()
{
    const AnalysisSettings& s = m_window.settings().value();
    if (const std::optional<double> offset = m_questions.splOffset(s.splOffset.value_or(DesignFullScaleDb)))
        setCalibration(*offset, s.correctionFile);
}

void MeasurementExtras::chooseCorrectionFile()
{
    if (const QString path = m_questions.correctionFile(); !path.isEmpty())
        useCorrectionFile(path);
}

bool MeasurementExtras::useCorrectionFile(const QString& path)
{
    const CorrectionFileResult read = readCorrectionFile(path);
    if (const auto* error = std::get_if<CorrectionFileError>(&read)) {
        m_questions.tell(QStringLiteral("The microphone correction file %1 was refused; nothing changed.")
                             .arg(QFileInfo(path).fileName()),
                         error->message());
        return false;
    }
    setCalibration(m_window.settings().value().splOffset, path);
    return true;
}

void MeasurementExtras::forgetCalibration()
{
    setCalibration(std::nullopt, QString());
}

void MeasurementExtras::setCalibration(std::optional<double> offset, const QString& file)
{
    m_window.settings().edit([&](AnalysisSettings& s) {
        s.splOffset = offset;
        s.correctionFile = file;
    });
    if (m_remembered)
        rememberCalibration(*m_remembered, inputKey(), {offset, file});
}

void MeasurementExtras::exportBands()
{
    if (!m_measurement.bandsOn() || m_window.framesDrawn() == 0) {
        m_questions.tell(QStringLiteral("There are no bands to export yet: choose octave bands and start capturing first."), {});
        return;
    }
    // Taken before asking: the bands on show when the user asked.
    const std::vector<double> levels(m_measurement.bandMeanSquare().begin(), m_measurement.bandMeanSquare().end());
    const AnalysisSettings& s = m_window.settings().value();
    BandTable table;
    table.sampleRate = uint32_t(m_measurement.sampleRate());
    table.fftSize = m_measurement.fftSize();
    table.device = s.inputEntry;
    table.bands = m_measurement.bands();
    table.meanSquare = levels;
    if (s.levelUnit == QLatin1String("spl") && s.splOffset) {
        table.unit = QStringLiteral("dB SPL");
        table.offsetDb = *s.splOffset;
    } else if (s.levelUnit != QLatin1String("dbfs")) {
        // The chart's scale: the amplitude of a sine of the band's mean square.
        table.unit = QStringLiteral("dB");
        table.offsetDb = DesignFullScaleDb + SineCrestDb;
    }
    appendMeasurementHeader(s, table.header);
    const QString path = m_questions.bandsPath(defaultExportName(QStringLiteral("bands"), QDateTime::currentDateTime(), QStringLiteral("csv")));
    if (path.isEmpty())
        return;
    if (const QString failure = writeBandsCsv(table, path); !failure.isEmpty())
        m_questions.tell(failure, {});
}

void MeasurementExtras::remember(const char* key, const QVariant& value)
{
    if (m_remembered)
        m_remembered->setValue(QLatin1String(key), value);
}

}  // namespace vellarin
