// What a user may ask for beyond the window's design: command-line options,
// remembered settings, pictures and the spectrum saved to files.
#include "analysis_extras.h"
#include "ending_signals.h"
#include "exports.h"
#include "launch_options.h"
#include "remembered_settings.h"
#include "window_extras.h"
#include "readouts.h"
#include "level_ruler.h"
#include "reading_menu.h"
#include "test_capture_fixture.h"

#include <interfaces/cascadra.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <csignal>

using namespace vellarin;
using capture_test::LiveWindow;

namespace {

const QStringList devices{"Built-in Microphone|alsa_input.builtin", "USB Mic|alsa_input.usb"};

struct Window : LiveWindow {
    explicit Window() { device.setDevices(devices); window = std::make_unique<Form1>(Form1Services{device, messages, allocateZeroed, [now = nowMs] { return *now; }}); }
};

// The window's controls a user can set, as one text, for comparing windows.
QString controls(const Form1& w)
{
    QStringList shown{w.List1->currentText(), w.Combo1->currentText(), w.Combo2->currentText(),
                      QString::number(w.selectedScaling()), QString::number(w.HScroll2->value())};
    for (const QAbstractButton* b : {(QAbstractButton*)w.Option1, (QAbstractButton*)w.Option2, (QAbstractButton*)w.Option3,
                                     (QAbstractButton*)w.Option4, (QAbstractButton*)w.Option5, (QAbstractButton*)w.Option6,
                                     (QAbstractButton*)w.Check1, (QAbstractButton*)w.Persist})
        shown << QString::number(b->isChecked());
    return shown.join(u'|');
}

}  // namespace

class ExtrasTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    // The Pictures and Documents folders of a home of the tests' own.
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        for (const auto folder : {QStandardPaths::PicturesLocation, QStandardPaths::DocumentsLocation})
            QVERIFY(QDir().mkpath(QStandardPaths::writableLocation(folder)));
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error");  // empty: accepted
        QTest::newRow("all good, scaling in any case")
            << QStringList{"--device", "USB Mic", "--rate", "48000", "--fft", "4096", "--scaling", "Log", "--start"}
            << "";
        QTest::newRow("fft not a size") << QStringList{"--fft", "1000"}
                                        << "--fft 1000: the FFT size must be 1024, 2048, 4096, 8192 or 16384";
        QTest::newRow("rate not a number") << QStringList{"--rate", "fast"}
                                           << "--rate fast: the sample rate must be a whole number from 1000 to 768000 Hz";
        QTest::newRow("rate too low") << QStringList{"--rate", "999"}
                                      << "--rate 999: the sample rate must be a whole number from 1000 to 768000 Hz";
        QTest::newRow("rate past the sound server's limit")
            << QStringList{"--backend", "server", "--rate", "384001"}
            << "--rate 384001: the sample rate must be a whole number from 1000 to 384000 Hz (the sound server's limit)";
        QTest::newRow("the limit of the backend named after the rate")
            << QStringList{"--rate", "400000", "--backend", "server"}
            << "--rate 400000: the sample rate must be a whole number from 1000 to 384000 Hz (the sound server's limit)";
        QTest::newRow("scaling unknown") << QStringList{"--scaling", "linear"}
                                         << "--scaling linear: the scaling must be standard, log or fullfit";
        QTest::newRow("device empty") << QStringList{"--device", " "} << "--device needs a device name or number";
        QTest::newRow("unknown option") << QStringList{"--rates", "48000"} << "Unknown option 'rates'.";
        QTest::newRow("a second stray argument") << QStringList{"--start", "take.wav", "now"} << "Unexpected argument 'now'.";
    }

    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        QCommandLineParser parser;
        addLaunchOptions(parser);
        const LaunchRequest request = readCommandLine(parser, QStringList{"vellarin"} + arguments);
        QCOMPARE(request.error, error);
        if (!error.isEmpty())
            return;

        // --start on a window: the device, rate, size and scaling asked for.
        Window w;
        QCOMPARE(launchRefusal(*w.window, request.options), QString());
        applyLaunchOptions(*w.window, request.options);
        // The drop-downs and the options show what the settings hold.
        const AnalysisSettings& settings = w.window->settings().value();
        QCOMPARE(w.window->Combo1->currentText(), settings.rateText);
        QCOMPARE(w.window->Combo2->currentText(), settings.fftSizeText);
        QVERIFY(w.window->LogX->isChecked());
        QVERIFY(request.options.start);
        w.window->Command1->click();
        QVERIFY(w.capturing());
        QCOMPARE(w.device.openDevice(), 1u);
        QCOMPARE(w.device.lastFormat().samplesPerSec, 48000u);
        QCOMPARE(w.state().FFTSize, 4096);
        QCOMPARE(w.state().FreqScaling, int16_t(LogScaling));
    }

    void fftSizeSameRuleBothWays_data()
    {
        QTest::addColumn<QString>("size");
        for (const char* size : {"1024", "2048", "16384", "1000", "32768", "512", "0", "-1024"})
            QTest::newRow(size) << QString(size);
    }

    // A size the command line takes, the drop-down takes, and the other way
    // round; both say the same rule.
    void fftSizeSameRuleBothWays()
    {
        QFETCH(QString, size);
        QCommandLineParser parser;
        addLaunchOptions(parser);
        const LaunchRequest request = readCommandLine(parser, {"vellarin", "--fft", size});
        Window w;
        w.start("44100", size);
        const QString sizes = "1024, 2048, 4096, 8192 or 16384";
        QCOMPARE(request.error.isEmpty(), w.capturing());
        if (!w.capturing()) {
            // Each in its own voice: the option errors' and the window's message.
            QCOMPARE(request.error, "--fft " + size + ": the FFT size must be " + sizes);
            QCOMPARE(w.messages.shown, QStringList{"The FFT size must be " + sizes + "!"});
        }
    }

    void deviceByNameOrNumber_data()
    {
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QString>("entry");  // empty: refused
        QTest::newRow("number") << "1" << "1 USB Mic";
        QTest::newRow("name, any case") << "usb mic" << "1 USB Mic";
        QTest::newRow("part of a name") << "USB" << "";
        QTest::newRow("number past the list") << "2" << "";
        QTest::newRow("server name") << "alsa_input.usb" << "1 USB Mic";
    }

    void deviceByNameOrNumber()
    {
        QFETCH(QString, asked);
        QFETCH(QString, entry);
        Window w;
        QCOMPARE(deviceEntry(*w.window, asked), entry);
        LaunchOptions options;
        options.device = asked;
        QCOMPARE(launchRefusal(*w.window, options),
                 entry.isEmpty() ? "--device " + asked + ": no such input device (vellarin --list-devices lists them)" : QString());
    }

    // A rate the backend that answered cannot record at is refused before the window opens.
    void rateRefusedByTheBackendThatAnswered()
    {
        Window w;
        LaunchOptions options;
        options.rate = 500000;
        QCOMPARE(launchRefusal(*w.window, options, wavein::Backend::alsa), QString());
        QCOMPARE(launchRefusal(*w.window, options, wavein::Backend::server),
                 "--rate 500000: the sample rate must be a whole number from 1000 to 384000 Hz (the sound server's limit)");
    }

    // A remembered device is found by its server name, else by its name;
    // never by its number, since a device may be called "1".
    void rememberedDevice_data()
    {
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QString>("remembered");
        QTest::addColumn<QString>("entry");
        QTest::newRow("server name") << devices << "alsa_input.usb" << "1 USB Mic";
        QTest::newRow("a name of digits") << QStringList{"Line In", "2", "USB Mic"} << "2" << "1 2";
        QTest::newRow("gone") << devices << "alsa_input.headset" << "0 Built-in Microphone";
    }

    void rememberedDevice()
    {
        QFETCH(QStringList, listed);
        QFETCH(QString, remembered);
        QFETCH(QString, entry);
        QSettings settings(path(QString("device-%1.ini").arg(QTest::currentDataTag())), QSettings::IniFormat);
        settings.setValue("device", remembered);
        Window w;
        w.device.setDevices(listed);
        w.window->listDevices(false);
        restoreSettings(*w.window, settings);
        QCOMPARE(w.window->List1->currentText(), entry);
    }

    void settings_data()
    {
        QTest::addColumn<bool>("useRemembered");
        QTest::addColumn<QString>("rememberedDevice");
        QTest::newRow("remembered") << true << "USB Mic";
        QTest::newRow("device gone") << true << "Headset";
        QTest::newRow("--defaults") << false << "USB Mic";
    }

    void settings()
    {
        QFETCH(bool, useRemembered);
        QFETCH(QString, rememberedDevice);
        const QString file = path(QString("settings-%1.ini").arg(QTest::currentDataTag()));
        const QString designed = controls(*Window().window);

        // A first run opens as designed and leaves the user's choices behind.
        {
            QSettings settings(file, QSettings::IniFormat);
            Window w;
            const SettingsKeeper keeper(*w.window, settings, true);
            QCOMPARE(controls(*w.window), designed);
            w.start("11025", "2048", "1 " + rememberedDevice);
            w.window->FullFreqX->click();
            w.window->Check1->click();  // flat, so a horizontal direction can be chosen
            w.window->Option6->click();
            w.window->Persist->click();
            w.window->HScroll2->setValue(100);
            w.window->Command2->click();
        }
        const QByteArray written = [&] { QFile f(file); f.open(QIODevice::ReadOnly); return f.readAll(); }();

        QSettings settings(file, QSettings::IniFormat);
        Window w;
        {
            const SettingsKeeper keeper(*w.window, settings, useRemembered);
            if (!useRemembered) {
                QCOMPARE(controls(*w.window), designed);
            } else {
                QCOMPARE(w.window->List1->currentText(), rememberedDevice == "USB Mic" ? "1 USB Mic" : "0 Built-in Microphone");
                QCOMPARE(w.window->Combo1->currentText(), "11025");
                QCOMPARE(w.window->Combo2->currentText(), "2048");
                QCOMPARE(w.window->selectedScaling(), int16_t(FullFitScaling));
                QVERIFY(w.window->Option6->isChecked() && !w.window->Check1->isChecked());
                QVERIFY(w.window->Persist->isChecked());
                QCOMPARE(w.window->HScroll2->value(), 100);
                QCOMPARE(w.window->waterfall().scrollDirection(), int32_t(cascadra::InvertedRightToLeft));
                QCOMPARE(w.messages.shown, QStringList{});
            }
            w.window->Combo1->setEditText("8000");
        }
        settings.sync();
        const QByteArray after = [&] { QFile f(file); f.open(QIODevice::ReadOnly); return f.readAll(); }();
        QCOMPARE(after == written, !useRemembered);
    }

    // What the command line gives is for its run; what the user then changes is remembered.
    void commandLineValuesAreForTheirRun()
    {
        const QString file = path("for-this-run.ini");
        QSettings settings(file, QSettings::IniFormat);
        settings.setValue("rate", "11025");
        settings.setValue("fftSize", "2048");
        {
            Window w;
            SettingsKeeper keeper(*w.window, settings, true);
            LaunchOptions given;
            given.rate = 48000;
            given.fftSize = 4096;
            given.scaling = LogScaling;
            applyLaunchOptions(*w.window, given);
            keeper.holdForThisRun(given);
            w.window->Combo2->setEditText("8192");
        }
        QCOMPARE(settings.value("rate").toString(), "11025");
        QCOMPARE(settings.value("fftSize").toString(), "8192");
        QVERIFY(!settings.contains("scaling"));
    }

    void endingSignals_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
    }

    // The program ends on either signal as when its window is closed.
    void endingSignals()
    {
        QFETCH(int, signal);
        Window w;
        w.window->show();
        const EndingSignals ending([&w] { w.window->close(); });
        QVERIFY(ending.watching());
        std::raise(signal);
        QTRY_VERIFY(!w.window->isVisible());
    }

    void saveFolders_data()
    {
        QTest::addColumn<bool>("picture");
        QTest::addColumn<int>("firstFolder");
        QTest::newRow("picture") << true << int(QStandardPaths::PicturesLocation);
        QTest::newRow("spectrum") << false << int(QStandardPaths::DocumentsLocation);
    }

    // First in the folder for the kind of file, then where the last one went.
    void saveFolders()
    {
        QFETCH(bool, picture);
        QFETCH(int, firstFolder);
        Window w;
        w.start("44100", "1024");
        QVERIFY(w.tickDraws(2));
        QStringList suggested;
        WindowExtras extras(*w.window, w.messages, [&](const QString&, const QString& name, const QString&) {
            suggested << QFileInfo(name).absolutePath();
            return path(QString("saved/file.") + (picture ? "png" : "csv"));
        });
        QVERIFY(QDir(m_dir.path()).mkpath("saved"));
        for (int i = 0; i < 2; ++i)
            picture ? extras.savePicture(WindowExtras::Picture::chart) : extras.exportSpectrum();
        QCOMPARE(suggested, (QStringList{QStandardPaths::writableLocation(QStandardPaths::StandardLocation(firstFolder)),
                                         path("saved")}));
    }

    void spectrumAsCsv()
    {
        Window w;
        QString asked;
        WindowExtras extras(*w.window, w.messages, [&](const QString&, const QString&, const QString&) {
            return path(asked);
        });
        asked = "early.csv";
        extras.exportSpectrum();
        QCOMPARE(w.messages.shown, QStringList{"There is no spectrum to export yet: start capturing first."});
        QVERIFY(!QFile::exists(path(asked)));

        w.start("44100", "1024", "1 USB Mic");
        QVERIFY(w.tickDraws(2, capture_test::binSine(40, 1024, 3276.7)));
        w.messages.shown.clear();
        asked = "spectrum.csv";
        extras.exportSpectrum();
        QCOMPARE(w.messages.shown, QStringList{});
        QFile file(path(asked));
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.mid(0, 11), (QStringList{"# vellarin spectrum", "# sample rate: 44100 Hz", "# FFT size: 1024",
                                                "# device: USB Mic", "# window function: rectangular",
                                                "# averaging: off", "# weighting: Z", "# calibration offset: none",
                                                "# correction file: none", "# unit: dB (design)",
                                                "bin,frequency_hz,level_db"}));
        QCOMPARE(lines.size(), 11 + 513);
        for (int bin = 0; bin <= 512; ++bin) {
            const QStringList row = lines[11 + bin].split(u',');
            QCOMPARE(row[0].toInt(), bin);
            QCOMPARE(row[1].toDouble(), bin * 44100.0 / 1024);
            QVERIFY(qAbs(row[2].toDouble() - levelDecibels(w.state().BinLevel[bin])) < 0.005);
        }
        const auto level = [&](int bin) { return lines[11 + bin].section(u',', 2).toDouble(); };
        for (int bin : {39, 41, 100})
            QVERIFY(level(40) > level(bin) + 20);  // the tone's bin stands out

        // A Start at another rate and size that fails leaves the spectrum as it was computed.
        w.window->Command2->click();
        w.device.failCall(wavein::ScriptedWaveIn::Op::open, wavein::result::error);
        w.start("8000", "16384", "1 USB Mic");
        QVERIFY(!w.capturing());
        asked = "after-failed-start.csv";
        extras.exportSpectrum();
        QFile again(path(asked));
        QVERIFY(again.open(QIODevice::ReadOnly | QIODevice::Text));
        QCOMPARE(QString::fromUtf8(again.readAll()).split(u'\n', Qt::SkipEmptyParts), lines);
        w.messages.shown.clear();

        // A folder that is not there: a clear message, and no file.
        asked = "missing/spectrum.csv";
        extras.exportSpectrum();
        QCOMPARE(w.messages.shown.size(), 1);
        QVERIFY2(w.messages.shown[0].startsWith("Could not write " + path(asked)), qPrintable(w.messages.shown[0]));
        QVERIFY(!QFile::exists(path(asked)));
    }

    void csvDeviceLine_data()
    {
        QTest::addColumn<QString>("device");
        QTest::newRow("line feed") << "USB\nMic";
        QTest::newRow("carriage return") << "USB\rMic";
    }

    void csvDeviceLine()
    {
        QFETCH(QString, device);
        const std::vector<int16_t> levels(513, 0);
        QVERIFY(writeSpectrumCsv({44100, 1024, device, levels}, path("device.csv")).isEmpty());
        QFile file(path("device.csv"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.value(3), QByteArray("# device: USB Mic"));
        QCOMPARE(lines.value(4), QByteArray("# unit: dB (design)"));
        QCOMPARE(lines.value(5), QByteArray("bin,frequency_hz,level_db"));
    }

    void csvHeaderSaysTheTreatment_data()
    {
        QTest::addColumn<QString>("windowFunction");
        QTest::addColumn<QString>("averaging");
        QTest::newRow("as designed") << "" << "";
        QTest::newRow("hann, slow") << "hann" << "slow";
        QTest::newRow("flat top, fast") << "flat-top" << "fast";
    }

    // Every comment line after the title is "key: value", and the window
    // function and averaging chosen are among them.
    void csvHeaderSaysTheTreatment()
    {
        QFETCH(QString, windowFunction);
        QFETCH(QString, averaging);
        Window w;
        WindowExtras extras(*w.window, w.messages, [&](const QString&, const QString&, const QString&) {
            return path("treatment.csv");
        });
        AnalysisExtras analysis(*w.window, *extras.menu());  // what applies the choices to the frames
        w.window->settings().edit([&](AnalysisSettings& s) {
            s.windowFunction = windowFunction;
            s.averaging = averaging;
        });
        w.start("44100", "1024");
        QVERIFY(w.tickDraws(2));
        extras.exportSpectrum();
        QFile file(path("treatment.csv"));
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        QMap<QString, QString> header;
        for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n').mid(1)) {
            if (!line.startsWith(u'#'))
                break;
            const qsizetype colon = line.indexOf(QStringLiteral(": "));
            QVERIFY2(colon > 2, qPrintable(line));
            header.insert(line.mid(2, colon - 2), line.mid(colon + 2));
        }
        QCOMPARE(header.value("window function"), windowFunction.isEmpty() ? QString("rectangular") : windowFunction);
        QCOMPARE(header.value("averaging"), averaging.isEmpty() ? QString("off") : averaging);
        QCOMPARE(header.value("FFT size"), QString("1024"));
    }

    void levelUnitReachesEveryReading_data()
    {
        QTest::addColumn<QString>("item");     // in the Level Unit menu
        QTest::addColumn<double>("splOffset");  // NaN: the input is not calibrated
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("csvUnit");
        QTest::addColumn<double>("shift");  // from the design's dB
        const double dbfs = -20 * std::log10(32767.0);
        QTest::newRow("design") << "dB (design)" << qQNaN() << "dB" << "dB (design)" << 0.0;
        QTest::newRow("dBFS") << "dBFS" << qQNaN() << "dBFS" << "dBFS" << dbfs;
        // A sine's RMS is 3.01 dB under its peak; 0 dBFS RMS is the offset.
        QTest::newRow("dB SPL") << "dB SPL" << 94.0 << "dB SPL" << "dB SPL" << dbfs - 3.0103 + 94.0;
    }

    // Chosen in the menu, the unit reaches the cross-hair, the ruler, the
    // peak readout and the CSV; the design's unit keeps the design's text.
    void levelUnitReachesEveryReading()
    {
        QFETCH(QString, item);
        QFETCH(double, splOffset);
        QFETCH(QString, unit);
        QFETCH(QString, csvUnit);
        QFETCH(double, shift);
        Window w;
        WindowExtras extras(*w.window, w.messages, [&](const QString&, const QString&, const QString&) {
            return path("unit.csv");
        });
        AnalysisExtras analysis(*w.window, *extras.menu());
        // The input first: a calibration belongs to the input it was made on.
        w.window->List1->setEditText("0 (default)");
        if (!std::isnan(splOffset))
            w.window->settings().edit([&](AnalysisSettings& s) { s.splOffset = splOffset; });
        QAction* choice = nullptr;
        for (QAction* a : extras.menu()->actions())
            if (a->menu() && a->text() == "Level Unit")
                for (QAction* u : a->menu()->actions())
                    if (u->text() == item)
                        choice = u;
        QVERIFY(choice && choice->isVisible());
        choice->trigger();
        QVERIFY(choice->isChecked());
        analysis.setScalesShown(true);
        analysis.setPeakReadoutShown(true);
        w.window->show();
        w.start("44100", "1024");
        QVERIFY(w.tickDraws(2, capture_test::binSine(40, 1024, 16384)));

        // Standard scaling at the first pan position: column 41 shows bin 40.
        w.window->crossHairMoved(41);
        const double designDb = levelDecibels(w.state().BinLevel[40]);
        QCOMPARE(w.window->Label5->text(),
                 QString("1722.7Hz %1%2").arg(designDb + shift, 0, 'f', 2).arg(item == "dB (design)" ? "dB" : unit));

        const LevelAxis axis = analysis.levelRuler()->axis();
        QCOMPARE(axis.unit, unit);
        const std::vector<RulerMark> marks = rulerMarks(axis, 20);
        QVERIFY(marks.size() >= 3);
        for (const RulerMark& m : marks)
            QVERIFY2(std::fabs(m.decibels - std::round(m.decibels)) < 1e-9, qPrintable(QString::number(m.decibels)));
        QVERIFY(std::fabs(axis.unitOffset - shift) < 1e-3);

        static const QRegularExpression peakLine(R"(peak ([0-9.]+) Hz (-?[0-9.]+) (.+)$)");
        const QRegularExpressionMatch peak = peakLine.match(analysis.peakReadout()->text());
        QVERIFY2(peak.hasMatch(), qPrintable(analysis.peakReadout()->text()));
        QCOMPARE(peak.captured(3), unit);
        const double toneDb = 20 * std::log10(16384.0) + shift;
        QVERIFY2(std::fabs(peak.captured(2).toDouble() - toneDb) <= 0.1, qPrintable(peak.captured(2)));

        extras.exportSpectrum();
        QFile file(path("unit.csv"));
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
        QVERIFY(lines.contains("# unit: " + csvUnit));
        const QString row40 = lines.value(lines.indexOf("bin,frequency_hz,level_db") + 41);
        QVERIFY2(row40.startsWith("40,"), qPrintable(row40));
        QVERIFY(std::fabs(row40.section(u',', 2).toDouble() - (designDb + shift)) <= 0.005);
    }

    // The unit and the note grid are kept with the window's other settings;
    // dB SPL is offered only while the input is calibrated, and without a
    // calibration the readings go back to the design's dB.
    void levelUnitAndNoteGridRemembered()
    {
        QTemporaryDir dir;
        QSettings kept(dir.filePath("kept.ini"), QSettings::IniFormat);
        {
            Window w;
            w.window->settings().edit([](AnalysisSettings& s) {
                s.levelUnit = "spl";
                s.noteGrid = true;
            });
            rememberSettings(*w.window, kept);
        }
        Window w;
        WindowExtras extras(*w.window, w.messages);
        restoreSettings(*w.window, kept);
        AnalysisExtras analysis(*w.window, *extras.menu());
        QCOMPARE(w.window->settings().value().levelUnit, "spl");
        QVERIFY(w.window->settings().value().noteGrid);
        QVERIFY(analysis.reading().noteGrid());
        QCOMPARE(analysis.reading().levelUnit().unitName(), "dB (design)");
        w.window->settings().edit([](AnalysisSettings& s) { s.splOffset = 100.0; });
        QCOMPARE(analysis.reading().levelUnit().unitName(), "dB SPL");
        QVERIFY(w.window->levelNotation() == &analysis.reading().levelUnit());
    }

    void peakHold()
    {
        Window plain, held;
        WindowExtras extras(*held.window, held.messages);
        for (Window* w : {&plain, &held}) {
            w->window->resize(900, 600);
            w->window->show();
            w->start("44100", "1024");
        }
        const auto chartOf = [](Window& w) { return w.window->chart().widget()->grab().toImage(); };
        const auto olive = [&](Window& w) {
            const QImage chart = chartOf(w).convertToFormat(QImage::Format_RGB32);
            int count = 0;
            for (int y = 0; y < chart.height(); ++y)
                for (int x = 0; x < chart.width(); ++x)
                    count += chart.pixel(x, y) == qRgb(0x80, 0x80, 0x00);  // the second channel's trace
            return count;
        };
        const auto tone = [](Window& w, int bin) {
            const int n = w.state().FFTSize;
            return w.tickDraws(n / 512, capture_test::binSine(bin, n, 3276.7));
        };

        // Off, the chart gets exactly what it gets without the extras.
        for (int bin : {40, 60}) {
            QVERIFY(tone(plain, bin) && tone(held, bin));
            QCOMPARE(chartOf(held), chartOf(plain));
        }
        QCOMPARE(olive(held), 0);

        extras.togglePeakHold();
        std::vector<int16_t> before;
        for (int bin : {40, 60, 80}) {
            QVERIFY(tone(held, bin));
            const std::vector<int16_t>& peaks = extras.peakHold().peaks();
            for (size_t i = 0; i < before.size(); ++i)
                QVERIFY(peaks[i] >= before[i]);
            before = peaks;
        }
        QVERIFY(before[40] > 25000 && before[60] > 25000 && before[80] > 25000);
        QVERIFY(olive(held) > 0);

        // Another scaling, or another size at the next Start: the peaks start afresh.
        const auto freshPeaks = [&] {
            const std::vector<int16_t>& peaks = extras.peakHold().peaks();
            return peaks.size() > 60 && peaks[40] < 25000 && peaks[60] < 25000;
        };
        held.window->LogX->click();
        QVERIFY(tone(held, 80));
        QVERIFY(freshPeaks());
        held.window->Command2->click();
        held.window->StandardX->setChecked(true);
        held.start("44100", "2048");
        QVERIFY(tone(held, 80));
        QVERIFY(freshPeaks());
    }

    // Where the held peaks and the live line meet, the line is on top in its
    // own colour: a tone that repeats every 512 samples gives every frame the
    // same line, so the peaks lie all along it and no olive shows.
    void liveLineOverHeldPeaks()
    {
        Window held;
        WindowExtras extras(*held.window, held.messages);
        held.window->resize(900, 600);
        held.window->show();
        held.start("44100", "1024");
        TrazelBinding& chart = held.window->chart();
        const int32_t lineColour = chart.lineColour(0), peaksColour = chart.lineColour(1);
        const auto pixels = [&](int32_t colour) {
            const QImage picture = chart.widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
            const QRgb wanted = qRgb(colour & 0xff, (colour >> 8) & 0xff, (colour >> 16) & 0xff);
            int count = 0;
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < picture.width(); ++x)
                    count += picture.pixel(x, y) == wanted;
            return count;
        };
        extras.togglePeakHold();
        for (int i = 0; i < 3; ++i)
            QVERIFY(held.tickDraws(2, capture_test::binSine(40, 1024, 3276.7)));
        QVERIFY(pixels(lineColour) > 100);
        QCOMPARE(pixels(peaksColour), 0);

        // Peaks above the line still show in their own colour.
        QVERIFY(held.tickDraws(2, capture_test::binSine(40, 1024, 300)));
        QVERIFY(pixels(peaksColour) > 20);
        QVERIFY(pixels(lineColour) > 20);

        // Off again, the chart keeps its own colours.
        extras.togglePeakHold();
        QCOMPARE(chart.lineColour(0), lineColour);
        QCOMPARE(chart.lineColour(1), peaksColour);
    }

    void peakHoldItemShowsItsState()
    {
        Window w;
        WindowExtras extras(*w.window, w.messages);
        QAction* item = nullptr;
        for (QAction* action : w.window->findChild<QMenu*>()->actions())
            if (action->text().startsWith("Peak Hold"))
                item = action;
        QVERIFY(item && item->isCheckable() && !item->isChecked());
        extras.togglePeakHold();  // as Ctrl+P does
        QVERIFY(item->isChecked());
        item->trigger();  // as the menu does
        QVERIFY(!item->isChecked() && !extras.peakHold().isOn());
    }

    void shortcuts_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<QString>("effect");
        QTest::newRow("F5") << int(Qt::Key_F5) << Qt::KeyboardModifiers() << "capturing";
        QTest::newRow("Ctrl+P") << int(Qt::Key_P) << Qt::KeyboardModifiers(Qt::ControlModifier) << "peak hold";
        QTest::newRow("Ctrl+Shift+E") << int(Qt::Key_E) << (Qt::ControlModifier | Qt::ShiftModifier)
                                      << "asked: Export Spectrum";
        QTest::newRow("Ctrl+S") << int(Qt::Key_S) << Qt::KeyboardModifiers(Qt::ControlModifier)
                                << "asked: Save Window Picture";
    }

    void shortcuts()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(QString, effect);
        Window w;
        QString asked;
        WindowExtras extras(*w.window, w.messages, [&](const QString& title, const QString&, const QString&) {
            asked = "asked: " + title;
            return QString();
        });
        w.window->show();
        w.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
        w.start();
        w.tick(2);
        w.window->Command2->click();
        // Typed into a drop-down, whose line editing keeps its own keys
        // (on X11 Ctrl+E goes to the end of the line).
        w.window->Combo1->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
        const QString happened = w.capturing() ? "capturing" : extras.peakHold().isOn() ? "peak hold" : asked;
        QCOMPARE(happened, effect);
    }

    void pictures()
    {
        Window w;
        w.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
        QString suggestedName;
        WindowExtras extras(*w.window, w.messages, [&](const QString&, const QString& suggested, const QString&) {
            suggestedName = QFileInfo(suggested).fileName();
            return path(suggestedName);
        });
        const struct {
            WindowExtras::Picture which;
            QWidget* widget;
        } cases[] = {{WindowExtras::Picture::chart, w.window->chart().widget()},
                     {WindowExtras::Picture::waterfall, w.window->waterfall().widget()},
                     {WindowExtras::Picture::window, w.window.get()}};
        for (const auto& c : cases) {
            extras.savePicture(c.which);
            QVERIFY2(QRegularExpression(R"(^vellarin-(chart|waterfall|window)-\d{4}-\d\d-\d\d-\d{6}\.png$)")
                         .match(suggestedName).hasMatch(), qPrintable(suggestedName));
            const QImage saved(path(suggestedName));
            QCOMPARE(saved.convertToFormat(QImage::Format_RGB32),
                     c.widget->grab().toImage().convertToFormat(QImage::Format_RGB32));
        }
        QCOMPARE(w.messages.shown, QStringList{});
    }
};

QTEST_MAIN(ExtrasTest)
#include "test_extras.moc"
