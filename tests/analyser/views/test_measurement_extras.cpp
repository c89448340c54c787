// Measuring in the window: calibration from a calibrator's tone, the
// frequency weighting of the spectrum, the octave-band view, the level
// meter's strip, each input's remembered calibration and the exported
// files' lines, on a live window through the real components.
#include "analysis_extras.h"
#include "band_export.h"
#include "component_site.h"
#include "form1.h"
#include "frequency_scale.h"
#include "level_meter_strip.h"
#include "level_units.h"
#include "levels.h"
#include "measurement_extras.h"
#include "readouts.h"
#include "test_capture_fixture.h"
#include "window_extras.h"

#include <QFile>
#include <QLabel>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <numbers>

using namespace vellarin;
using capture_test::LiveWindow;

Q_DECLARE_METATYPE(Weighting)
Q_DECLARE_METATYPE(std::optional<BandFraction>)

namespace {

constexpr double rate = 44100.0;

// A sine of `hz` whose amplitude may change at sample `step` by `stepDb`;
// samples beyond the 16-bit scale stay at its end, as a clipping input's do.
wavein::ScriptedWaveIn::SampleGenerator sine(double hz, double amplitude, uint64_t step = UINT64_MAX, double stepDb = 0)
{
    return [=](uint64_t n) {
        const double a = n >= step ? amplitude * std::pow(10.0, stepDb / 20) : amplitude;
        const double v = a * std::sin(2 * std::numbers::pi * hz * double(n) / rate);
        return int16_t(std::clamp(std::lround(v), -32768L, 32767L));
    };
}

struct Measured : LiveWindow {
    QTemporaryDir dir;
    QSettings remembered{dir.filePath("vellarin.ini"), QSettings::IniFormat};
    QMenu menu;
    AnalysisExtras extras{*window, menu, &remembered};
    QStringList told;

    Measured(QStringList devices = {"Scripted microphone"})
    {
        device.setDevices(devices);
        window->listDevices(true);
        // The chart draws only the columns it has.
        window->show();
        MeasurementExtras::Questions q;
        q.tell = [this](const QString& text, const QString& reason) { told << text + u' ' + reason; };
        m().setQuestions(q);
    }
    MeasurementExtras& m() { return *extras.measurement(); }
    const AnalysisSettings& settings() const { return window->settings().value(); }
    // Draws `frames` frames of fresh sound, N samples each.
    void frames(int frames, const wavein::ScriptedWaveIn::SampleGenerator& sound)
    {
        for (int i = 0; i < frames; ++i)
            tick(state().FFTSize / 512, sound);
    }
    double levelAt(double hz) const
    {
        return levelDecibels(state().BinLevel[size_t(std::lround(hz * state().FFTSize / rate))]);
    }
};

}  // namespace

class MeasurementExtrasTest : public QObject {
    Q_OBJECT

private slots:
    void calibration_data()
    {
        QTest::addColumn<double>("hz");
        QTest::addColumn<double>("amplitude");
        QTest::addColumn<double>("stepDb");  // the tone's level changes half-way by this much
        QTest::addColumn<QString>("refusal"); // empty: an offset is stored
        QTest::addColumn<QString>("size");
        QTest::newRow("94 dB at -20 dBFS") << 1000.0 << 3276.7 << 0.0 << "" << "4096";
        QTest::newRow("N = 16384") << 1000.0 << 3276.7 << 0.0 << "" << "16384";
        QTest::newRow("off a bin") << 1003.7 << 10000.0 << 0.0 << "" << "4096";
        QTest::newRow("4 % high") << 1040.0 << 10000.0 << 0.0 << "" << "4096";
        QTest::newRow("steady within 0.4 dB") << 1000.0 << 10000.0 << 0.4 << "" << "4096";
        QTest::newRow("clips") << 1000.0 << 40000.0 << 0.0 << "clips" << "4096";
        QTest::newRow("6 % high") << 1060.0 << 10000.0 << 0.0 << "not within 5 %" << "4096";
        QTest::newRow("varies 0.7 dB") << 1000.0 << 10000.0 << 0.7 << "varied" << "4096";
    }

    // The calibrator's 1 kHz tone measured for 3 s with the flat-top window
    // gives the offset that makes its RMS level read the calibrator's level;
    // a clipping input, a tone off 1 kHz or an unsteady one is refused with
    // its reason. The user's window comes back either way.
    void calibration()
    {
        QFETCH(double, hz);
        QFETCH(double, amplitude);
        QFETCH(double, stepDb);
        QFETCH(QString, refusal);
        QFETCH(QString, size);
        Measured w;
        window(w).settings().edit([](AnalysisSettings& s) { s.windowFunction = "hann"; });
        w.start("44100", size);
        w.frames(3, sine(hz, amplitude));
        w.m().startCalibration(94.0);
        QVERIFY(w.m().calibrating());
        QCOMPARE(w.settings().windowFunction, QString("flat-top"));
        const uint64_t half = w.device.samplesRecorded() + uint64_t(1.5 * rate);
        for (int i = 0; i < 100 && w.m().calibrating(); ++i)
            w.frames(1, sine(hz, amplitude, half, stepDb));
        QVERIFY(!w.m().calibrating());
        QCOMPARE(w.settings().windowFunction, QString("hann"));
        if (refusal.isEmpty()) {
            QVERIFY2(w.told.isEmpty(), qPrintable(w.told.join('\n')));
            QVERIFY(w.settings().splOffset.has_value());
            // The level over the 3 s: the tone's mean power, steps included.
            const double rmsDbfs = 20 * std::log10(amplitude / FullScale) - SineCrestDb;
            const double expected = 94.0 - rmsDbfs;
            QVERIFY2(std::fabs(*w.settings().splOffset - expected) <= 0.05 + stepDb / 2,
                     qPrintable(QString::number(*w.settings().splOffset - expected)));
            if (stepDb == 0)
                QVERIFY(std::fabs(*w.settings().splOffset - expected) <= 0.05);
        } else {
            QVERIFY(!w.settings().splOffset.has_value());
            QCOMPARE(w.told.size(), 1);
            QVERIFY2(w.told[0].contains(refusal), qPrintable(w.told[0]));
        }
    }

    // A Stop and Start while the tone is measured ends the calibration: the
    // sound before and after are not one steady tone.
    void calibrationAcrossRestart()
    {
        Measured w;
        w.start("44100", "4096");
        w.frames(3, sine(1000, 10000));
        w.m().startCalibration(94.0);
        w.frames(5, sine(1000, 10000));
        w.window->Command2->click();
        w.start("44100", "4096");
        w.frames(3, sine(1000, 10000));
        QVERIFY(!w.m().calibrating());
        QVERIFY(!w.settings().splOffset.has_value());
        QCOMPARE(w.settings().windowFunction, QString());
        QCOMPARE(w.told.size(), 1);
        QVERIFY2(w.told[0].contains("Capture stopped"), qPrintable(w.told[0]));
    }

    void weighting_data()
    {
        QTest::addColumn<Weighting>("weighting");
        QTest::addColumn<double>("hz");
        for (const double hz : {100.0, 1000.0, 8000.0})
            for (const Weighting weighting : {Weighting::z, Weighting::a, Weighting::c})
                QTest::addRow("%s %g Hz", weightingShape(weighting).key, hz) << weighting << hz;
    }

    // The spectrum shows a tone at its level plus the weighting there.
    void weighting()
    {
        QFETCH(Weighting, weighting);
        QFETCH(double, hz);
        Measured w;
        w.m().setWeighting(weighting);
        w.start("44100", "4096");
        const double binHz = std::round(hz * 4096 / rate) * rate / 4096;  // on a bin centre
        w.frames(2, sine(binHz, 10000));
        const double expected = 20 * std::log10(10000.0) + weightingDb(weighting, binHz);
        QVERIFY2(std::fabs(w.levelAt(binHz) - expected) <= 0.1,
                 qPrintable(QString("%1 against %2").arg(w.levelAt(binHz)).arg(expected)));
    }

    void bandBar_data()
    {
        QTest::addColumn<std::optional<BandFraction>>("bands");
        QTest::addColumn<QString>("windowFunction");
        QTest::addColumn<double>("hz");
        for (const auto& fraction : {std::optional(BandFraction::octave), std::optional(BandFraction::third)})
            for (const char* function : {"rectangular", "hann", "flat-top"})
                for (const double hz : {1000.0, 990.0})
                    QTest::addRow("%s %s %g Hz", *fraction == BandFraction::octave ? "1/1" : "1/3", function, hz)
                        << fraction << QString(function) << hz;
    }

    // With bands on, every column of the 1 kHz band shows the sine's level,
    // whatever the window and wherever the tone falls between bins.
    void bandBar()
    {
        QFETCH(std::optional<BandFraction>, bands);
        QFETCH(QString, windowFunction);
        QFETCH(double, hz);
        Measured w;
        window(w).settings().edit([&](AnalysisSettings& s) { s.windowFunction = windowFunction; });
        w.m().setBands(bands);
        w.start("44100", "16384");
        w.frames(2, sine(hz, 10000));
        const double expected = 20 * std::log10(10000.0);
        for (const double at : {900.0, 1000.0, 1100.0})
            QVERIFY2(std::fabs(w.levelAt(at) - expected) <= 0.1,
                     qPrintable(QString("%1 Hz reads %2").arg(at).arg(w.levelAt(at))));
        // An octave band away and more, there is no tone.
        QVERIFY2(w.levelAt(8000) < expected - 30, qPrintable(QString::number(w.levelAt(8000))));
    }

    // A band the frame cannot resolve stands hatched: at N = 1024 with Hann,
    // the 400 Hz third spans bins 9 and 10 (less than twice the window's
    // noise bandwidth); its even bin shows the band, the odd one nothing.
    void unresolvedBandHatched()
    {
        Measured w;
        window(w).settings().edit([](AnalysisSettings& s) { s.windowFunction = QStringLiteral("hann"); });
        w.m().setBands(BandFraction::third);
        w.start("44100", "1024");
        w.frames(2, sine(400, 10000));
        const double shown = levelDecibels(w.state().BinLevel[10]), left = levelDecibels(w.state().BinLevel[9]);
        QVERIFY2(std::fabs(shown - 20 * std::log10(10000.0)) <= 1.0, qPrintable(QString::number(shown)));
        QVERIFY2(left < shown - 30, qPrintable(QString("%1 beside %2").arg(left).arg(shown)));
    }

    void bandLabelAndCrossHair_data()
    {
        QTest::addColumn<std::optional<BandFraction>>("bands");
        QTest::addColumn<int>("scaling");
        for (const auto& fraction : {std::optional(BandFraction::octave), std::optional(BandFraction::third)})
            for (const int scaling : {int(LogScaling), int(FullFitScaling)})
                QTest::addRow("%s %s", *fraction == BandFraction::octave ? "1/1" : "1/3",
                              scaling == LogScaling ? "log" : "full fit")
                    << fraction << scaling;
    }

    // With bands on, the scale strip names the 1 kHz bar under its own
    // columns, and the cross-hair over it reads the band and the sine's
    // level; with bands off it reads the bin again.
    void bandLabelAndCrossHair()
    {
        QFETCH(std::optional<BandFraction>, bands);
        QFETCH(int, scaling);
        Measured w;
        w.m().setBands(bands);
        w.start("44100", "4096");
        (scaling == LogScaling ? w.window->LogX : w.window->FullFreqX)->click();
        w.frames(2, sine(1000, 10000));
        const AnalyserState& s = w.state();
        QCOMPARE(s.FreqScaling, int16_t(scaling));

        const auto all = w.m().measurement().bands();
        const auto band = std::find_if(all.begin(), all.end(), [](const OctaveBand& b) { return b.label == "1k"; });
        QVERIFY(band != all.end());
        // The bar's columns: those whose bin's centre lies within the band's edges.
        const ScalingView view{s.FreqScaling, 0, s.FFTSize / 2};
        int first = -1;
        int last = -1;
        for (int c = 0; c < w.window->chart().xmax(); ++c) {
            const double hz = chartColumnBin(view, c, s.ChartLogMap, s.ChartFitMap) * rate / s.FFTSize;
            if (hz >= band->lower && hz < band->upper) {
                first = first < 0 ? c : first;
                last = c;
            }
        }
        QVERIFY(first >= 0);

        const std::vector<ScaleMark> marks = frequencyMarks(w.extras.frequencyScale()->axis());
        const auto label = std::find_if(marks.begin(), marks.end(), [](const ScaleMark& m) { return markText(m) == "1k"; });
        QVERIFY(label != marks.end());
        QVERIFY2(label->column >= first && label->column <= last,
                 qPrintable(QString("\"1k\" at column %1, the bar over %2..%3").arg(label->column).arg(first).arg(last)));
        // No frequency is labelled beside the bands.
        for (const ScaleMark& m : marks)
            QVERIFY2(std::any_of(all.begin(), all.end(), [&](const OctaveBand& b) { return b.label == markText(m); }),
                     qPrintable(markText(m)));

        // Drawn 7 pixels a character: labels keep clear of each other, so in
        // log scaling every octave band has its own, and "1k" is labelled
        // wherever the bands below leave it room.
        const auto advance = [](const QString& text) { return 7 * int(text.size()); };
        const std::vector<PlacedLabel> placed =
            placeLabels(marks, w.extras.frequencyScale()->axis(), advance, 1.0, w.window->chart().xmax());
        const auto labelled = [&placed](const char* text) {
            return std::any_of(placed.begin(), placed.end(), [text](const PlacedLabel& p) { return p.text == text; });
        };
        // Where low octaves crowd (full fit), the wider bars above them keep
        // their labels.
        if (*bands == BandFraction::octave || scaling == LogScaling)
            QVERIFY(labelled("1k"));
        if (*bands == BandFraction::octave && scaling == LogScaling)
            QCOMPARE(placed.size(), marks.size());
        for (size_t i = 0; i < placed.size(); ++i)
            for (size_t j = i + 1; j < placed.size(); ++j)
                QVERIFY2(placed[i].left + placed[i].width <= placed[j].left ||
                             placed[j].left + placed[j].width <= placed[i].left,
                         qPrintable(placed[i].text + " over " + placed[j].text));

        w.window->crossHairMoved((first + last) / 2);
        const QRegularExpressionMatch read =
            QRegularExpression("^(\\S+) band (-?\\d+\\.\\d)dB$").match(w.window->Label5->text());
        QVERIFY2(read.hasMatch(), qPrintable(w.window->Label5->text()));
        QCOMPARE(read.captured(1), QString("1k"));
        QVERIFY2(std::fabs(read.captured(2).toDouble() - 20 * std::log10(10000.0)) <= 0.1, qPrintable(read.captured(2)));

        w.m().setBands(std::nullopt);
        w.window->crossHairMoved((first + last) / 2);
        QVERIFY2(QRegularExpression("^\\d+\\.\\dHz -?\\d+\\.\\d\\ddB$").match(w.window->Label5->text()).hasMatch(),
                 qPrintable(w.window->Label5->text()));
        QVERIFY(w.extras.frequencyScale()->axis().bands.empty());
    }

    void meter_data()
    {
        QTest::addColumn<double>("amplitude");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<bool>("over");
        QTest::addRow("quiet, dBFS") << 1000.0 << "dbfs" << false;
        QTest::addRow("quiet, design dB") << 1000.0 << "" << false;
        QTest::addRow("just under -1 dBFS") << 29000.0 << "dbfs" << false;
        QTest::addRow("over -1 dBFS") << 30000.0 << "dbfs" << true;
    }

    // The meter's strip reads a sine's RMS 3.01 dB under its peak in the
    // chosen unit, Leq with it, and turns red from -1 dBFS.
    void meter()
    {
        QFETCH(double, amplitude);
        QFETCH(QString, unit);
        QFETCH(bool, over);
        Measured w;
        window(w).settings().edit([&](AnalysisSettings& s) { s.levelUnit = unit; });
        w.m().setMeterShown(true);
        w.start("44100", "4096");
        w.frames(40, sine(1000, amplitude));
        const MeterFigures& f = w.m().meterFigures();
        const double peak = 20 * std::log10(amplitude / FullScale) + (unit.isEmpty() ? DesignFullScaleDb : 0.0);
        QVERIFY2(std::fabs(f.rms - (peak - SineCrestDb)) <= 0.1, qPrintable(QString::number(f.rms)));
        QVERIFY2(std::fabs(f.leq - (peak - SineCrestDb)) <= 0.1, qPrintable(QString::number(f.leq)));
        QVERIFY2(std::fabs(f.peak - peak) <= 0.1, qPrintable(QString::number(f.peak)));
        QCOMPARE(f.over, over);
    }

    void meterStripKeepsColumns_data()
    {
        QTest::addColumn<bool>("scales");
        QTest::addRow("meter alone") << false;
        QTest::addRow("meter and scales") << true;
    }

    // The meter's strip stands left of the chart: the window grows by it and
    // the chart and the waterfall keep their columns.
    void meterStripKeepsColumns()
    {
        QFETCH(bool, scales);
        Measured w;
        w.extras.setScalesShown(scales);
        const QRect chart = w.window->Trazel1->geometry();
        const QRect waterfall = w.window->Cascadra1->geometry();
        const int width = w.window->width();
        w.m().setMeterShown(true);
        LevelMeterStrip* strip = w.m().meterStrip();
        QVERIFY(strip->isVisible());
        QCOMPARE(w.window->width(), width + strip->width());
        QCOMPARE(w.window->Trazel1->width(), chart.width());
        QCOMPARE(w.window->Trazel1->x() - w.window->Cascadra1->x(), chart.x() - waterfall.x());
        QVERIFY(!strip->geometry().intersects(w.window->Trazel1->geometry()));
        QVERIFY(!strip->geometry().intersects(w.window->Cascadra1->geometry()));
        w.m().setMeterShown(false);
        QCOMPARE(w.window->width(), width);
        QCOMPARE(w.window->Trazel1->geometry(), chart);
    }

    // Each input keeps its own calibration; Default takes that of the
    // source it follows.
    void calibrationPerInput()
    {
        Measured w({"USB Mic|alsa_input.usb", "Desk Mic|alsa_input.desk"});
        const QString usb = w.window->List1->itemText(w.window->List1->findData("alsa_input.usb"));
        const QString desk = w.window->List1->itemText(w.window->List1->findData("alsa_input.desk"));
        QVERIFY(!usb.isEmpty() && !desk.isEmpty());
        w.window->List1->setEditText(usb);
        MeasurementExtras::Questions q;
        q.splOffset = [](double) { return std::optional(120.5); };
        w.m().setQuestions(q);
        w.m().typeOffset();
        QCOMPARE(w.settings().splOffset, std::optional(120.5));
        w.window->List1->setEditText(desk);
        QCOMPARE(w.settings().splOffset, std::nullopt);
        w.window->List1->setEditText(usb);
        QCOMPARE(w.settings().splOffset, std::optional(120.5));
        w.window->List1->setEditText("0 Default (USB Mic)");
        QCOMPARE(w.m().inputKey(), QString("alsa_input.usb"));
        QCOMPARE(w.settings().splOffset, std::optional(120.5));
    }

    void correctionFile_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("refusal");
        QTest::addRow("good") << QByteArray("*1000Hz -38.6\n20 -2.0\n1000 0.0\n20000 3.0\n") << "";
        QTest::addRow("unsorted") << QByteArray("20 -2.0\n1000 0.0\n500 1.0\n") << "line 3";
        QTest::addRow("empty") << QByteArray("") << "";
        QTest::addRow("beyond 60 dB") << QByteArray("20 -2.0\n1000 75\n") << "line 2";
    }

    // A correction file is taken, or refused with its line and reason and
    // nothing changes.
    void correctionFile()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, refusal);
        Measured w;
        const QString path = w.dir.filePath("mic.txt");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
        file.close();
        MeasurementExtras::Questions q;
        q.splOffset = [](double) { return std::optional(100.0); };
        w.m().setQuestions(q);
        w.m().typeOffset();
        const bool taken = w.m().useCorrectionFile(path);
        QCOMPARE(w.settings().splOffset, std::optional(100.0));
        if (taken) {
            QVERIFY(refusal.isEmpty() && !text.isEmpty());
            QCOMPARE(w.settings().correctionFile, path);
            QVERIFY(!w.m().correction().empty());
        } else {
            QVERIFY(w.settings().correctionFile.isEmpty());
            QVERIFY(w.m().correction().empty());
            QCOMPARE(w.told.size(), 1);
            QVERIFY2(w.told[0].contains(refusal), qPrintable(w.told[0]));
        }
    }

    void csvLines_data()
    {
        QTest::addColumn<QString>("weighting");
        QTest::addColumn<std::optional<double>>("offset");
        QTest::addColumn<QString>("correction");
        QTest::addColumn<QStringList>("lines");
        QTest::addRow("none") << "" << std::optional<double>() << ""
                              << QStringList{"# weighting: Z", "# calibration offset: none", "# correction file: none"};
        QTest::addRow("A, calibrated") << "A" << std::optional(121.5) << "mic.txt"
                                       << QStringList{"# weighting: A", "# calibration offset: 121.50 dB SPL at 0 dBFS",
                                                      "# correction file: mic.txt"};
    }

    // The spectrum's and the bands' headers say how the levels were
    // weighted and calibrated; the bands' rows give band, centre, edges,
    // level, and "not resolved" where the frame cannot tell the band apart.
    void csvLines()
    {
        QFETCH(QString, weighting);
        QFETCH(std::optional<double>, offset);
        QFETCH(QString, correction);
        QFETCH(QStringList, lines);
        Measured w;
        if (!correction.isEmpty()) {
            QFile file(w.dir.filePath(correction));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("20 0\n20000 0\n");
        }
        w.m().setBands(BandFraction::third);
        w.start("44100", "4096");
        // After Start: choosing the input brings its own calibration.
        window(w).settings().edit([&](AnalysisSettings& s) {
            s.weighting = weighting;
            s.splOffset = offset;
            s.correctionFile = correction.isEmpty() ? QString() : w.dir.filePath(correction);
        });
        w.frames(2, sine(1000, 10000));
        const QString path = w.dir.filePath("bands.csv");
        MeasurementExtras::Questions q;
        q.bandsPath = [&](const QString&) { return path; };
        w.m().setQuestions(q);
        w.m().exportBands();
        QVERIFY2(w.told.isEmpty(), qPrintable(w.told.join('\n')));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        const QStringList read = QString::fromUtf8(file.readAll()).split('\n');
        for (const QString& line : lines)
            QVERIFY2(read.contains(line), qPrintable(line));
        QVERIFY(read.contains("band,nominal_hz,lower_hz,upper_hz,level_db,note"));
        const auto row = [&](const QString& band) {
            for (const QString& r : read)
                if (r.startsWith(band + ','))
                    return r.split(',');
            return QStringList{};
        };
        const QStringList k1 = row("1k");
        QCOMPARE(k1.size(), 6);
        QCOMPARE(k1[1], QString("1000.0"));
        QVERIFY(std::fabs(k1[2].toDouble() - 891.25) < 0.01);
        QVERIFY(std::fabs(k1[3].toDouble() - 1122.02) < 0.01);
        QVERIFY2(std::fabs(k1[4].toDouble() - (20 * std::log10(10000.0) + weightingDb(weightingFromKey(weighting), 1000))) <= 0.1,
                 qPrintable(k1[4]));
        QCOMPARE(k1[5], QString());
        // At N = 4096 the 20 Hz third, 4.6 Hz wide, is narrower than two bins of 10.8 Hz.
        QCOMPARE(row("20").value(5), QString("not resolved"));
    }

private:
    static Form1& window(Measured& w) { return *w.window; }
};

QTEST_MAIN(MeasurementExtrasTest)
#include "test_measurement_extras.moc"
