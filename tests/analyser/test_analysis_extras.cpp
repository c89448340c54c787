// The analysis a user may switch on: window functions, averaging, the
// frequency and dB scales, the peak readout and Help, on a live window
// through the real chart, waterfall and FFT components.
#include "component_site.h"
#include "analysis_extras.h"
#include "window_extras.h"
#include "frequency_scale.h"
#include "level_ruler.h"
#include "peak_readout.h"
#include "reading_menu.h"
#include "frequency_scaling.h"
#include "levels.h"
#include "readouts.h"
#include "test_capture_fixture.h"

#include <interfaces/trazel_axis.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSettings>
#include <QShortcut>
#include <QTemporaryDir>

#include <tuple>
#include <QTest>

#include <cmath>
#include <limits>
#include <numbers>

using namespace vellarin;
using capture_test::LiveWindow;

Q_DECLARE_METATYPE(WindowFunction)
Q_DECLARE_METATYPE(Averaging)

namespace {

const double fullScaleDb = 20 * std::log10(32767.0);

// A sine at a fractional bin of an N-point frame.
wavein::ScriptedWaveIn::SampleGenerator tone(double bin, int fftSize, double amplitude)
{
    return [=](uint64_t n) {
        return int16_t(std::lround(amplitude * std::sin(2 * std::numbers::pi * bin * double(n) / fftSize + 0.3)));
    };
}

struct Analysed : LiveWindow {
    QMenu menu;
    AnalysisExtras extras{*window, menu};
    // Fills a whole fresh frame with `samples` and draws it.
    bool frame(const wavein::ScriptedWaveIn::SampleGenerator& samples)
    {
        return tickDraws(state().FFTSize / 512, samples);
    }
    double strongestDb() const
    {
        const auto& l = state().BinLevel;
        return levelDecibels(*std::max_element(l.begin() + 1, l.begin() + state().FFTSize / 2 + 1));
    }
};

// Where every child of the window lies, for comparing layouts.
QList<QRect> childGeometry(const QWidget& w)
{
    QList<QRect> all{w.geometry()};
    for (const QWidget* child : w.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->isVisible())
            all << child->geometry();
    return all;
}

}  // namespace

class AnalysisExtrasTest : public QObject {
    Q_OBJECT

private slots:
    void windowLevels_data()
    {
        QTest::addColumn<WindowFunction>("function");
        QTest::addColumn<double>("offset");   // of the tone from bin 100
        QTest::addColumn<double>("lossDb");   // below full scale: the scalloping loss
        QTest::addColumn<double>("within");
        QTest::newRow("rectangular, centred") << WindowFunction::rectangular << 0.0 << 0.0 << 0.005;
        QTest::newRow("rectangular, half-way") << WindowFunction::rectangular << 0.5 << 3.92 << 0.05;
        QTest::newRow("Hann, centred") << WindowFunction::hann << 0.0 << 0.0 << 0.005;
        QTest::newRow("Hann, half-way") << WindowFunction::hann << 0.5 << 1.42 << 0.02;
        QTest::newRow("Blackman-Harris, centred") << WindowFunction::blackmanHarris << 0.0 << 0.0 << 0.005;
        QTest::newRow("Blackman-Harris, half-way") << WindowFunction::blackmanHarris << 0.5 << 0.83 << 0.02;
        QTest::newRow("flat-top, centred") << WindowFunction::flatTop << 0.0 << 0.0 << 0.005;
        QTest::newRow("flat-top, a quarter") << WindowFunction::flatTop << 0.25 << 0.0 << 0.1;
        QTest::newRow("flat-top, half-way") << WindowFunction::flatTop << 0.5 << 0.0 << 0.1;
    }

    // Each window's coherent gain is made good: a full-scale sine reads
    // 90.31 dB on a bin centre and its scalloping loss below that between bins.
    void windowLevels()
    {
        QFETCH(WindowFunction, function);
        QFETCH(double, offset);
        QFETCH(double, lossDb);
        QFETCH(double, within);
        Analysed w;
        w.extras.setWindowFunction(function);
        w.start("44100", "4096");
        QVERIFY(w.frame(tone(100 + offset, 4096, 32767)));
        const double db = w.strongestDb();
        QVERIFY2(std::fabs(db - (fullScaleDb - lossDb)) <= within, qPrintable(QString::number(db, 'f', 4)));
    }

    // Rectangular and unaveraged, every level and the chart's picture are
    // those of a window without the extras.
    void rectangularAsDesigned()
    {
        LiveWindow plain;
        Analysed analysed;
        for (LiveWindow* w : {&plain, (LiveWindow*)&analysed}) {
            w->window->show();
            w->start("44100", "2048");
            QVERIFY(w->tickDraws(4, tone(70.3, 2048, 9000)));
        }
        QCOMPARE(analysed.state().BinLevel, plain.state().BinLevel);
        QCOMPARE(analysed.window->chart().widget()->grab().toImage(), plain.window->chart().widget()->grab().toImage());
        QCOMPARE(childGeometry(*analysed.window), childGeometry(*plain.window));
    }

    void stepResponse_data()
    {
        QTest::addColumn<Averaging>("averaging");
        QTest::addColumn<uint32_t>("rate");
        QTest::addColumn<int>("fftSize");
        QTest::addColumn<int>("frames");  // 512 new samples each
        QTest::newRow("Fast, 44100 Hz") << Averaging::fast << 44100u << 1024 << 11;      // 10.8 frames
        QTest::newRow("Fast, 44100 Hz, N 16384") << Averaging::fast << 44100u << 16384 << 11;
        QTest::newRow("Fast, 8000 Hz") << Averaging::fast << 8000u << 1024 << 2;         // 1.95 frames
        QTest::newRow("Slow, 48000 Hz") << Averaging::slow << 48000u << 4096 << 94;      // 93.75 frames
        QTest::newRow("Slow, 11025 Hz") << Averaging::slow << 11025u << 1024 << 22;      // 21.5 frames
    }

    // After a step in power the average reaches 1 - 1/e of it in the response time.
    void stepResponse()
    {
        QFETCH(Averaging, averaging);
        QFETCH(uint32_t, rate);
        QFETCH(int, fftSize);
        QFETCH(int, frames);
        SpectrumTreatment treatment;
        treatment.setAveraging(averaging);
        const int bin = 5;
        std::vector<double> silence(size_t(fftSize) + 2, 0.0), step = silence;
        step[2 * bin] = 1000.0 * fftSize / 2;  // amplitude 1000
        std::vector<int16_t> levels(size_t(fftSize / 2) + 1);
        QVERIFY(treatment.computeLevels(silence, fftSize, {512, rate, true}, levels));
        const int16_t reached = amplitudeLevel(1000.0 * std::sqrt(1 - 1 / std::numbers::e));
        int frame = 0;
        while (levels[bin] < reached && frame < 1000) {
            treatment.computeLevels(step, fftSize, {512, rate, false}, levels);
            ++frame;
        }
        QCOMPARE(frame, frames);
    }

    // What the window shows is the average: a tone switched off fades.
    void averagedLevelsShown()
    {
        Analysed w;
        w.extras.setAveraging(Averaging::slow);
        w.start("44100", "1024");
        for (int i = 0; i < 5; ++i)
            QVERIFY(w.frame(capture_test::binSine(40, 1024, 3276.7)));
        QVERIFY(w.frame([](uint64_t) { return int16_t(0); }));
        QVERIFY(levelDecibels(w.state().BinLevel[40]) > 60);
    }

    void frequencyMarks_data()
    {
        QTest::addColumn<int>("scaling");
        QTest::addColumn<double>("rate");
        QTest::addColumn<int>("fftSize");
        QTest::addColumn<int>("firstBin");
        QTest::addColumn<QList<ScaleMark>>("some");  // marks that must be among them
        // The chart's own worked example of its tick lines, 500 columns wide.
        QTest::newRow("log, 8000 Hz") << 1 << 8000.0 << 1024 << 0
                                      << QList<ScaleMark>{{19, 10, false}, {204, 100, true}, {388, 1000, true}, {476, 3000, false}};
        QTest::newRow("full-fit, 8000 Hz") << 2 << 8000.0 << 1024 << 0
                                           << QList<ScaleMark>{{25, 200, false}, {125, 1000, true}};
        // No tick table: decades, each where a logarithmic tick line would be.
        QTest::newRow("log, 48000 Hz") << 1 << 48000.0 << 4096 << 0
                                       << QList<ScaleMark>{{int(500 * std::log(1000 * 2048 / 24000.0) / std::log(2048.0)), 1000, true}};
        // Standard: bin b is drawn in column b - firstBin + 1; 64 columns are 750 Hz, so 1 kHz steps.
        QTest::newRow("standard, panned") << 0 << 48000.0 << 4096 << 100
                                          << QList<ScaleMark>{{72, 2000, true}, {157, 3000, true}};
    }

    void frequencyMarks()
    {
        QFETCH(int, scaling);
        QFETCH(double, rate);
        QFETCH(int, fftSize);
        QFETCH(int, firstBin);
        QFETCH(QList<ScaleMark>, some);
        const QString rateText = QString::number(rate);
        const FrequencyAxis axis{int16_t(scaling), fftSize, rate, firstBin, 500,
                                 axisTicks(int16_t(scaling), rate, QString::number(fftSize), rateText)};
        const std::vector<ScaleMark> marks = vellarin::frequencyMarks(axis);
        for (const ScaleMark& m : some)
            QVERIFY2(std::any_of(marks.begin(), marks.end(), [&](const ScaleMark& x) {
                         return x.column == m.column && x.hertz == m.hertz && x.major == m.major;
                     }), qPrintable(QString("%1 Hz").arg(m.hertz)));
    }

    void labelsSitOnTheChartsTickLines_data()
    {
        QTest::addColumn<int>("scaling");
        QTest::addColumn<double>("rate");
        for (double rate : {8000.0, 16000.0, 22050.0, 44100.0, 48000.0, 96000.0})
            for (int scaling : {1, 2})
                QTest::newRow(qPrintable(QString("%1 %2 Hz").arg(scaling == 1 ? "log" : "full-fit").arg(rate)))
                    << scaling << rate;
    }

    // The scale labels exactly the tick lines the chart draws from the axis
    // command it is sent, read here as the chart reads it.
    void labelsSitOnTheChartsTickLines()
    {
        QFETCH(int, scaling);
        QFETCH(double, rate);
        const QString rateText = QString::number(rate), fftText = "4096";
        const int columns = 700;
        const std::optional<QString> command = axisCommand(int16_t(scaling), rate, fftText, rateText);
        QVERIFY(command);
        QList<double> v;
        for (const QString& field : command->split(u',', Qt::SkipEmptyParts).mid(1))
            v << field.trimmed().toDouble();
        QVERIFY(v.size() > 5);
        const trazel::AxisMode mode = trazel::AxisMode(int(v[0]));
        const trazel::AxisSpan span{v[2], v[1], std::trunc(v[4])};
        std::vector<ScaleMark> drawn;
        for (qsizetype k = 5; k < v.size() && double(k - 5) < span.points; ++k)
            if (const auto column = trazel::tickColumn(mode, span, std::fabs(v[k]), columns))
                drawn.push_back({*column, std::fabs(v[k]), v[k] < 0});

        const FrequencyAxis axis{int16_t(scaling), 4096, rate, 0, columns,
                                 axisTicks(int16_t(scaling), rate, fftText, rateText)};
        std::vector<ScaleMark> labelled = vellarin::frequencyMarks(axis);
        const auto order = [](const ScaleMark& a, const ScaleMark& b) {
            return std::tie(a.column, a.hertz) < std::tie(b.column, b.hertz);
        };
        std::sort(drawn.begin(), drawn.end(), order);
        std::sort(labelled.begin(), labelled.end(), order);
        QVERIFY(!drawn.empty());
        QCOMPARE(labelled.size(), drawn.size());
        for (size_t i = 0; i < drawn.size(); ++i) {
            QCOMPARE(labelled[i].column, drawn[i].column);
            QCOMPARE(labelled[i].hertz, drawn[i].hertz);
            QCOMPARE(labelled[i].major, drawn[i].major);
        }
    }

    void noScale_data()
    {
        QTest::addColumn<double>("rate");
        QTest::addColumn<int>("scaling");
        QTest::newRow("rate typed past any number") << std::numeric_limits<double>::infinity() << 0;
        QTest::newRow("rate not a number") << std::numeric_limits<double>::quiet_NaN() << 1;
        QTest::newRow("no rate") << 0.0 << 2;
    }

    // A rate typed into the drop-down that is no rate leaves the scale empty, at once.
    void noScale()
    {
        QFETCH(double, rate);
        QFETCH(int, scaling);
        QVERIFY(vellarin::frequencyMarks({int16_t(scaling), 1024, rate, 0, 500, std::nullopt}).empty());
    }

    void ruler_data()
    {
        QTest::addColumn<int>("ymin");
        QTest::addColumn<int>("ymax");
        QTest::newRow("full range") << 0 << 32767;
        QTest::newRow("Best Dynamic Range") << -5000 << 30000;
        QTest::newRow("silence zoomed") << -31211 << 0;
    }

    // Each ruler mark lies on the row where the chart draws its level.
    void ruler()
    {
        QFETCH(int, ymin);
        QFETCH(int, ymax);
        Analysed w;
        w.window->show();
        w.extras.setScalesShown(true);
        TrazelBinding& chart = w.window->chart();
        chart.setYmin(0, ymin);
        chart.setYmax(0, ymax);
        const int height = w.window->Trazel1->height();
        const std::vector<RulerMark> marks = rulerMarks({chart.ymin(0), chart.ymax(0), height}, 20);
        QVERIFY(marks.size() >= 3);
        for (const RulerMark& m : marks) {
            const auto level = int16_t(std::lround(m.decibels / fullScaleDb * 32767));
            std::vector<int16_t> flat(size_t(chart.xmax()), level);
            chart.chartEx(flat.data(), 1, int16_t(flat.size()));
            const QImage picture = chart.widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
            const int row = int(std::lround(m.row));
            bool traced = false;  // the first channel's blue trace on the mark's row, off the grid
            for (int y = std::max(row - 1, 0); y <= std::min(row + 1, picture.height() - 1); ++y) {
                const QRgb c = picture.pixel(picture.width() / 2 + 5, y);
                traced = traced || (qRed(c) == 0 && qGreen(c) == 0 && qBlue(c) >= 0x80);
            }
            QVERIFY2(traced, qPrintable(QString("%1 dB on row %2").arg(m.decibels).arg(m.row)));
        }
    }

    // The scales take strips of their own: the chart keeps its size, columns
    // and bin maps, and with them off again the layout is the designed one.
    void scalesLayout()
    {
        Analysed w;
        LiveWindow plain;
        for (LiveWindow* x : {&plain, (LiveWindow*)&w}) {
            x->window->show();
            x->start("44100", "4096");
            x->window->LogX->click();
        }
        const QSize chartSize = w.window->Trazel1->size();
        const auto logMap = w.state().ChartLogMap;
        const QSize windowSize = w.window->size();
        w.extras.setScalesShown(true);
        w.extras.setPeakReadoutShown(true);
        QCOMPARE(w.window->Trazel1->size(), chartSize);
        QCOMPARE(w.window->chart().xmax(), plain.window->chart().xmax());
        QVERIFY(w.state().ChartLogMap == logMap);
        const QRect chart = w.window->Trazel1->geometry();
        QCOMPARE(w.extras.levelRuler()->geometry().right() + 1, chart.left());
        QCOMPARE(w.extras.frequencyScale()->geometry().top(), chart.bottom() + 1);
        QVERIFY(w.window->HScroll1->geometry().top() > w.extras.frequencyScale()->geometry().bottom());
        QCOMPARE(w.extras.peakReadout()->geometry().bottom() + 1, w.window->Cascadra1->geometry().top());
        QCOMPARE(w.window->Cascadra1->height(), plain.window->Cascadra1->height());
        QCOMPARE(w.window->size(), windowSize + QSize(w.extras.levelRuler()->width(),
                                                      w.extras.frequencyScale()->height() + w.extras.peakReadout()->height()));
        w.extras.setScalesShown(false);
        w.extras.setPeakReadoutShown(false);
        QCOMPARE(childGeometry(*w.window), childGeometry(*plain.window));
    }

    void noteText_data()
    {
        QTest::addColumn<double>("hertz");
        QTest::addColumn<QString>("text");
        QTest::newRow("A4") << 440.0 << "A4 +0 ct";
        QTest::newRow("sharp B5") << 990.6 << "B5 +5 ct";
        QTest::newRow("flat A#4") << 455.0 << "A#4 -42 ct";
        QTest::newRow("middle C") << 261.63 << "C4 +0 ct";
        QTest::newRow("below C0") << 8.0 << "C-1 -38 ct";
        QTest::newRow("no frequency") << 0.0 << "";
    }

    void noteText()
    {
        QFETCH(double, hertz);
        QFETCH(QString, text);
        QCOMPARE(vellarin::noteText(hertz), text);
    }

    // The note grid, chosen in the menu, draws dotted lines in the chart at
    // the C notes and labels them under it; off, the chart is as it was.
    void noteGrid()
    {
        Analysed w;
        w.window->show();
        w.extras.setScalesShown(true);
        w.start("44100", "4096");
        w.window->LogX->click();
        const auto silence = [](uint64_t) { return int16_t(0); };
        QVERIFY(w.frame(silence));
        const auto chartPicture = [&] { return w.window->chart().widget()->grab().toImage(); };
        const QImage without = chartPicture();
        QAction* item = nullptr;
        for (QAction* a : w.menu.actions())
            if (a->text() == "Note Grid")
                item = a;
        QVERIFY(item && item->isCheckable());
        item->trigger();
        QVERIFY(w.window->settings().value().noteGrid && item->isChecked());
        QVERIFY(w.frame(silence));
        QVERIFY(chartPicture() != without);
        QStringList notes;
        for (const ScaleMark& m : vellarin::frequencyMarks(w.extras.frequencyScale()->axis()))
            if (!m.note.isEmpty())
                notes << markText(m);
        QCOMPARE(notes, QStringList({"C1", "C2", "C3", "C4", "C5", "C6", "C7", "C8", "C9"}));
        item->trigger();
        QVERIFY(w.frame(silence));
        QCOMPARE(chartPicture(), without);
    }

    void peakReadout_data()
    {
        QTest::addColumn<WindowFunction>("function");
        QTest::addColumn<QString>("unit");       // the remembered key
        QTest::addColumn<double>("splOffset");   // NaN: the input is not calibrated
        QTest::addColumn<double>("bin");
        QTest::addColumn<double>("amplitude");
        QTest::addColumn<double>("levelDb");  // the tone's level as the readout names it
        QTest::addColumn<QString>("unitText");
        const double dbfs = -20 * std::log10(32767.0);
        QTest::newRow("design, rectangular, between bins")
            << WindowFunction::rectangular << "" << qQNaN() << 92.3 << 8222.0 << 20 * std::log10(8222.0) << "dB";
        QTest::newRow("design, Hann, half-way")
            << WindowFunction::hann << "" << qQNaN() << 150.5 << 16384.0 << 20 * std::log10(16384.0) << "dB";
        QTest::newRow("dBFS, flat-top, a quarter")
            << WindowFunction::flatTop << "dbfs" << qQNaN() << 300.25 << 32767.0 << 0.0 << "dBFS";
        QTest::newRow("dBFS, Blackman-Harris")
            << WindowFunction::blackmanHarris << "dbfs" << qQNaN() << 41.7 << 3276.7 << -20.0 << "dBFS";
        // A calibrated input: 0 dBFS RMS is 100 dB SPL, so the sine's RMS reads 100 - 20 - 3.01.
        QTest::newRow("dB SPL, Hann")
            << WindowFunction::hann << "spl" << 100.0 << 200.4 << 3276.7 << 100 - 20 - 3.0103 << "dB SPL";
        QTest::newRow("dB SPL chosen, not calibrated")
            << WindowFunction::hann << "spl" << qQNaN() << 200.4 << 3276.7 << -20 - dbfs << "dB";
    }

    // Through the scripted input, the readout names the tone's frequency and
    // level, between bins, for each window, in the unit chosen; silence
    // reads as a dash.
    void peakReadout()
    {
        QFETCH(WindowFunction, function);
        QFETCH(QString, unit);
        QFETCH(double, splOffset);
        QFETCH(double, bin);
        QFETCH(double, amplitude);
        QFETCH(double, levelDb);
        QFETCH(QString, unitText);
        Analysed w;
        w.extras.setWindowFunction(function);
        // The input first: a calibration belongs to the input it was made on.
        w.window->List1->setEditText("0 (default)");
        w.window->settings().edit([&](AnalysisSettings& s) {
            s.levelUnit = unit;
            if (!std::isnan(splOffset))
                s.splOffset = splOffset;
        });
        w.extras.setPeakReadoutShown(true);
        QCOMPARE(w.extras.peakReadout()->text(), "No spectrum yet");
        w.start("44100", "4096");
        QVERIFY(w.frame(tone(bin, 4096, amplitude)));
        static const QRegularExpression line(R"(^peak ([0-9.]+) Hz (-?[0-9.]+) (.+)$)");
        const QRegularExpressionMatch read = line.match(w.extras.peakReadout()->text());
        QVERIFY2(read.hasMatch(), qPrintable(w.extras.peakReadout()->text()));
        // Within 0.02 bin and 0.1 dB, and the text's last digit.
        const double hertz = bin * 44100 / 4096;
        QVERIFY2(std::fabs(read.captured(1).toDouble() - hertz) <= 0.02 * 44100 / 4096 + 0.05, qPrintable(read.captured(1)));
        QVERIFY2(std::fabs(read.captured(2).toDouble() - levelDb) <= 0.15, qPrintable(read.captured(2)));
        QCOMPARE(read.captured(3), unitText);

        QVERIFY(w.frame([](uint64_t) { return int16_t(0); }));
        QCOMPARE(w.extras.peakReadout()->text(), QString("peak \u2013"));
    }

    // A plucked string's partials: the readout names the note it plays, its
    // pitch, beside the strongest peak.
    void pitchReadout_data()
    {
        QTest::addColumn<double>("hertz");
        QTest::addColumn<QString>("note");
        QTest::newRow("A2") << 110.0 << "A2";
        QTest::newRow("C4") << 261.6256 << "C4";
        QTest::newRow("E5") << 659.2551 << "E5";
    }

    void pitchReadout()
    {
        QFETCH(double, hertz);
        QFETCH(QString, note);
        Analysed w;
        w.extras.setWindowFunction(WindowFunction::hann);
        w.extras.setPeakReadoutShown(true);
        w.start("44100", "4096");
        // Partials 1..6 falling off as a string's do, the second the loudest.
        const auto plucked = [hertz](uint64_t n) {
            double v = 0;
            for (int k = 1; k <= 6; ++k)
                v += (k == 2 ? 6000.0 : 4000.0 / k) * std::sin(2 * std::numbers::pi * k * hertz * double(n) / 44100 + k);
            return int16_t(std::lround(v));
        };
        // The pitch looks at the last 100 ms, which two frames of 4096 give.
        QVERIFY(w.frame(plucked) && w.frame(plucked));
        static const QRegularExpression line(R"(^(\S+) ([+-]\d+) ct \(([0-9.]+) Hz\) · peak ([0-9.]+) Hz)");
        const QRegularExpressionMatch read = line.match(w.extras.peakReadout()->text());
        QVERIFY2(read.hasMatch(), qPrintable(w.extras.peakReadout()->text()));
        QCOMPARE(read.captured(1), note);
        QVERIFY(std::abs(read.captured(2).toInt()) <= 3);
        QVERIFY(std::fabs(read.captured(3).toDouble() - hertz) <= 0.05 + hertz * 0.002);
        QVERIFY(std::fabs(read.captured(4).toDouble() - 2 * hertz) <= 0.3);
        QVERIFY(w.extras.readouts().note());
    }

    // About tells the versions and licence without blocking; the keys list
    // names every key the window answers to.
    void help()
    {
        Analysed w;
        QDialog* about = w.extras.help().showAbout();
        QVERIFY(about->isVisible() && !about->isModal());
        QCOMPARE(w.extras.help().showAbout(), about);
        const QString text = about->findChild<QLabel*>("HelpText")->text();
        for (const char* expected : {"Vellarin II 2.0", "GNU General Public License", "TRAZEL.TrazelCtrl.1 (trazel) 1.1.0.2",
                                     "CASCADRALib.Cascadra (cascadra) 2.0.0.0", "Numora.Fourel (fourel) 2.0.0.0"})
            QVERIFY2(text.contains(expected), expected);

        WindowExtras others(*w.window, w.messages);
        const QString keys = w.extras.help().showKeys()->findChild<QLabel*>("HelpText")->text();
        for (const QShortcut* s : w.window->findChildren<QShortcut*>())
            QVERIFY2(keys.contains(s->key().toString()), qPrintable(s->key().toString()));
    }

    void shortcuts_data()
    {
        QTest::addColumn<QKeyCombination>("key");
        QTest::addColumn<QString>("effect");
        QTest::newRow("Ctrl+W") << QKeyCombination(Qt::CTRL | Qt::Key_W) << "window function";
        QTest::newRow("Ctrl+T") << QKeyCombination(Qt::CTRL | Qt::Key_T) << "averaging";
        QTest::newRow("Ctrl+L") << QKeyCombination(Qt::CTRL | Qt::Key_L) << "scales";
        QTest::newRow("Ctrl+N") << QKeyCombination(Qt::CTRL | Qt::Key_N) << "peak readout";
        QTest::newRow("F1") << QKeyCombination(Qt::Key_F1) << "keys";
    }

    // Each works while a drop-down has the focus, as peak hold's does.
    void shortcuts()
    {
        QFETCH(QKeyCombination, key);
        QFETCH(QString, effect);
        Analysed w;
        w.window->show();
        w.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
        w.window->Combo1->setFocus();
        QTest::keyClick(QApplication::focusWidget(), key.key(), key.keyboardModifiers());
        const QDialog* keys = w.window->findChild<QDialog*>();
        const QString happened = w.extras.windowFunction() == WindowFunction::hann ? "window function"
                                 : w.extras.averaging() == Averaging::fast     ? "averaging"
                                 : w.extras.scalesShown()                      ? "scales"
                                 : w.extras.peakReadoutShown()                 ? "peak readout"
                                 : keys && keys->isVisible()                   ? "keys"
                                                                               : "nothing";
        QCOMPARE(happened, effect);
    }

    void menu_data()
    {
        QTest::addColumn<QStringList>("path");
        QTest::addColumn<QString>("effect");
        QTest::newRow("window function") << QStringList{"Window Function (Ctrl+W)", "Hann"} << "window function";
        QTest::newRow("averaging") << QStringList{"Averaging (Ctrl+T)", "Fast (125 ms)"} << "averaging";
        QTest::newRow("scales") << QStringList{"Scales\tCtrl+L"} << "scales";
        QTest::newRow("peak readout") << QStringList{"Peak Readout\tCtrl+N"} << "peak readout";
        QTest::newRow("keys") << QStringList{"Help", "Keys and Mouse...\tF1"} << "Keys and Mouse";
        QTest::newRow("about") << QStringList{"Help", "About Vellarin..."} << "About Vellarin";
    }

    // Each is in the frequency labels' menu, and its check mark tells what is on.
    void menu()
    {
        QFETCH(QStringList, path);
        QFETCH(QString, effect);
        Analysed w;
        QMenu* menu = &w.menu;
        QAction* item = nullptr;
        for (const QString& text : path) {
            const auto actions = menu->actions();
            const auto found = std::find_if(actions.begin(), actions.end(), [&](QAction* a) { return a->text() == text; });
            QVERIFY2(found != actions.end(), qPrintable(text));
            item = *found;
            menu = item->menu();
        }
        item->trigger();
        const QDialog* dialog = w.window->findChild<QDialog*>();
        const QString happened = w.extras.windowFunction() == WindowFunction::hann ? "window function"
                                 : w.extras.averaging() == Averaging::fast     ? "averaging"
                                 : w.extras.scalesShown()                      ? "scales"
                                 : w.extras.peakReadoutShown()                 ? "peak readout"
                                 : dialog && dialog->isVisible()               ? dialog->windowTitle()
                                                                               : "nothing";
        QCOMPARE(happened, effect);
        QCOMPARE(item->isChecked(), item->isCheckable());
    }

    // The choices are kept, and come back on the next run unless told not to.
    void remembered()
    {
        QTemporaryDir dir;
        QSettings settings(dir.filePath("remembered.ini"), QSettings::IniFormat);
        {
            LiveWindow w;
            QMenu menu;
            const QSize designed = w.window->size();
            auto extras = std::make_unique<AnalysisExtras>(*w.window, menu, &settings);
            extras->setWindowFunction(WindowFunction::flatTop);
            extras->setAveraging(Averaging::slow);
            extras->setScalesShown(true);
            extras->setPeakReadoutShown(true);
            // The window's size is remembered without the strips, which come back with them.
            extras.reset();
            QCOMPARE(w.window->size(), designed);
        }
        for (QSettings* remembered : {&settings, (QSettings*)nullptr}) {
            LiveWindow w;
            QMenu menu;
            AnalysisExtras extras(*w.window, menu, remembered);
            const bool kept = remembered != nullptr;
            QCOMPARE(extras.windowFunction(), kept ? WindowFunction::flatTop : WindowFunction::rectangular);
            QCOMPARE(extras.averaging(), kept ? Averaging::slow : Averaging::off);
            QCOMPARE(extras.scalesShown(), kept);
            QCOMPARE(extras.peakReadoutShown(), kept);
        }
    }
};

QTEST_MAIN(AnalysisExtrasTest)
#include "test_analysis_extras.moc"
