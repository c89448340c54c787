// Reading a file without a window: a tone reads its frequency and level, the
// meter its RMS, each line carries every key with its type, the unit moves
// every level alike, and a file that cannot be read, or SPL without a
// calibration, is refused with the status a script can test.
#include "analyse_command.h"
#include "file_analysis.h"

#include <sound_fixtures.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace vellarin;
using namespace test_support;

namespace {

struct Run {
    int status = -1;
    QList<QJsonObject> lines;
    QString errors;
};

Run analyse(const QStringList& arguments)
{
    QProcess program;
    program.start(QStringLiteral(VELLARIN_PROGRAM), QStringList{QStringLiteral("--analyse")} + arguments);
    Run run;
    if (!program.waitForFinished(120000))
        return run;
    run.status = program.exitCode();
    run.errors = QString::fromLocal8Bit(program.readAllStandardError());
    for (const QByteArray& line : program.readAllStandardOutput().split('\n'))
        if (!line.isEmpty())
            run.lines << QJsonDocument::fromJson(line).object();
    return run;
}

}  // namespace

class TestFileAnalysis : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString toneFile(double hz, int rate, double amplitude, double seconds = 2)
    {
        const QString path = m_dir.filePath(QStringLiteral("tone-%1-%2-%3.wav").arg(hz).arg(rate).arg(amplitude));
        writeBytes(path, waveBytes(rate, 1, sine(hz, rate, int(rate * seconds), amplitude)));
        return path;
    }

private slots:
    // A steady sine: its peak where it is and at its amplitude, its pitch,
    // and the meter's RMS 3.01 dB under the peak, whatever window or rate.
    void sineReadsItsFrequencyAndLevel_data()
    {
        QTest::addColumn<double>("hz");
        QTest::addColumn<int>("rate");
        QTest::addColumn<double>("amplitude");
        QTest::addColumn<WindowFunction>("window");
        QTest::addColumn<int>("fft");
        QTest::newRow("1 kHz hann") << 1000.0 << 44100 << 16384.0 << WindowFunction::hann << 4096;
        QTest::newRow("1 kHz flat top 48k") << 1000.0 << 48000 << 8000.0 << WindowFunction::flatTop << 4096;
        QTest::newRow("1 kHz blackman-harris 8192") << 1000.0 << 44100 << 30000.0 << WindowFunction::blackmanHarris << 8192;
        QTest::newRow("440 Hz rectangular") << 440.0 << 44100 << 12000.0 << WindowFunction::rectangular << 4096;
        QTest::newRow("1234.5 Hz hann 96k") << 1234.5 << 96000 << 16384.0 << WindowFunction::hann << 16384;
    }
    void sineReadsItsFrequencyAndLevel()
    {
        QFETCH(double, hz);
        QFETCH(int, rate);
        QFETCH(double, amplitude);
        QFETCH(WindowFunction, window);
        QFETCH(int, fft);
        FileAnalysisOptions options;
        options.window = window;
        options.fftSize = fft;
        options.unit = AnalysisUnit::dbfs;
        std::vector<FileReading> readings;
        FileSummary summary;
        QString error;
        QVERIFY2(analyseFile(toneFile(hz, rate, amplitude), options, [&](const FileReading& r) { readings.push_back(r); },
                             summary, error),
                 qPrintable(error));
        QVERIFY(readings.size() >= 15);
        const double peakDbfs = 20 * std::log10(amplitude / 32767.0);
        for (const FileReading& r : readings) {
            QVERIFY(r.peakHz && r.peakDb);
            QVERIFY2(std::fabs(*r.peakHz - hz) < 0.05, qPrintable(QString::number(*r.peakHz)));
            QVERIFY2(std::fabs(*r.peakDb - peakDbfs) < 0.1, qPrintable(QString::number(*r.peakDb)));
            QVERIFY(r.pitchHz);
            QVERIFY2(std::fabs(*r.pitchHz - hz) < hz * 0.002, qPrintable(QString::number(*r.pitchHz)));
            QVERIFY2(std::fabs(r.peakMeterDb - peakDbfs) < 0.05, qPrintable(QString::number(r.peakMeterDb)));
            // Fast time weighting has settled after ten time constants.
            if (r.seconds >= 1.25)
                QVERIFY2(std::fabs(r.rmsDb - (peakDbfs - 3.0103)) < 0.1, qPrintable(QString::number(r.rmsDb)));
        }
        QVERIFY(std::fabs(readings.back().seconds - 2.0) < 0.1 + 1e-9);
        QVERIFY2(std::fabs(summary.leqDb - (peakDbfs - 3.0103)) < 0.05, qPrintable(QString::number(summary.leqDb)));
        QVERIFY(std::fabs(summary.maxPeakMeterDb - peakDbfs) < 0.05);
        QVERIFY(summary.maxPeakHz && std::fabs(*summary.maxPeakHz - hz) < 0.05);
    }

    // Readings come every tenth of a second of the file.
    void readingsComeEveryTenthOfASecond()
    {
        std::vector<double> times;
        FileSummary summary;
        QString error;
        QVERIFY(analyseFile(toneFile(1000, 44100, 10000, 3), {}, [&](const FileReading& r) { times.push_back(r.seconds); },
                            summary, error));
        QCOMPARE(int(times.size()), 30);
        for (size_t i = 0; i < times.size(); ++i)
            QVERIFY(std::fabs(times[i] - 0.1 * double(i + 1)) < 1e-9);
        QVERIFY(std::fabs(summary.seconds - 3.0) < 1e-9);
    }

    // The command: every key, in its spelling and type, on every line.
    void everyLineHasEveryKey_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("bands");
        QTest::addColumn<bool>("named");  // a peak and a pitch are named
        QTest::newRow("defaults") << QStringList{} << false << true;
        QTest::newRow("third bands, A, dBFS") << QStringList{"--bands", "third", "--weighting", "a", "--unit", "dbfs"} << true
                                              << true;
        QTest::newRow("octaves, slow, C") << QStringList{"--bands", "octave", "--averaging", "slow", "--weighting", "c"}
                                          << true << true;
        QTest::newRow("silence") << QStringList{"--window", "flat-top"} << false << false;
    }
    void everyLineHasEveryKey()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, bands);
        QFETCH(bool, named);
        const QString file = named ? toneFile(1000, 44100, 16384) : toneFile(1000, 44100, 0);
        const Run run = analyse(QStringList{file} + arguments);
        QVERIFY2(run.status == 0, qPrintable(run.errors));
        QVERIFY(run.lines.size() == 21);
        for (int i = 0; i < run.lines.size() - 1; ++i) {
            const QJsonObject& line = run.lines[i];
            QVERIFY(!line.contains(QStringLiteral("summary")));
            for (const char* number : {"t", "rms_db", "peak_meter_db", "leq_db"})
                QVERIFY2(line.value(QLatin1String(number)).isDouble(), number);
            for (const char* maybe : {"peak_hz", "peak_db", "pitch_hz", "cents"})
                QVERIFY2(named ? line.value(QLatin1String(maybe)).isDouble() : line.value(QLatin1String(maybe)).isNull(), maybe);
            QVERIFY(named ? line.value(QStringLiteral("note")).isString() : line.value(QStringLiteral("note")).isNull());
            for (const char* text : {"unit", "weighting", "window"})
                QVERIFY2(line.value(QLatin1String(text)).isString(), text);
            QCOMPARE(line.contains(QStringLiteral("bands")), bands);
            if (bands) {
                const QJsonObject levels = line.value(QStringLiteral("bands")).toObject();
                QVERIFY(levels.value(QStringLiteral("1000")).isDouble());
                QVERIFY(levels.value(QStringLiteral("125")).isDouble());
            }
        }
        const QJsonObject summary = run.lines.back();
        QCOMPARE(summary.value(QStringLiteral("summary")), QJsonValue(true));
        for (const char* number : {"leq_db", "max_rms_db", "max_peak_meter_db"})
            QVERIFY2(summary.value(QLatin1String(number)).isDouble(), number);
    }

    // The unit moves every level by the same step: design is dBFS + 90.31,
    // SPL dBFS + the calibration; a 1 kHz sine's third-octave band holds its
    // RMS; the note is named.
    void unitsMoveEveryLevelAlike_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<double>("offset");
        QTest::newRow("dBFS") << QStringList{"--unit", "dbfs"} << 0.0;
        QTest::newRow("design") << QStringList{"--unit", "design"} << 90.3087;
        QTest::newRow("SPL at 94") << QStringList{"--unit", "spl", "--calibration", "94"} << 94.0;
        QTest::newRow("SPL at 120.5") << QStringList{"--unit", "spl", "--calibration", "120.5"} << 120.5;
    }
    void unitsMoveEveryLevelAlike()
    {
        QFETCH(QStringList, arguments);
        QFETCH(double, offset);
        const Run run = analyse(QStringList{toneFile(1000, 48000, 16384), "--bands", "third"} + arguments);
        QVERIFY2(run.status == 0, qPrintable(run.errors));
        const double peakDbfs = 20 * std::log10(16384 / 32767.0);
        const QJsonObject line = run.lines.at(15);
        QVERIFY(std::fabs(line.value(QStringLiteral("peak_db")).toDouble() - (peakDbfs + offset)) < 0.1);
        QVERIFY(std::fabs(line.value(QStringLiteral("rms_db")).toDouble() - (peakDbfs - 3.0103 + offset)) < 0.1);
        QVERIFY(std::fabs(line.value(QStringLiteral("peak_hz")).toDouble() - 1000) < 0.05);
        QCOMPARE(line.value(QStringLiteral("note")).toString(), QStringLiteral("B5"));
        const double band = line.value(QStringLiteral("bands")).toObject().value(QStringLiteral("1000")).toDouble();
        QVERIFY2(std::fabs(band - (peakDbfs - 3.0103 + offset)) < 0.2, qPrintable(QString::number(band)));
        const QJsonObject summary = run.lines.back();
        QVERIFY(std::fabs(summary.value(QStringLiteral("leq_db")).toDouble() - (peakDbfs - 3.0103 + offset)) < 0.1);
    }

    // What cannot be done is refused before anything is printed.
    void refusals_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said");
        QTest::newRow("missing file") << QStringList{"/nonexistent/take.wav"} << 1 << "/nonexistent/take.wav";
        QTest::newRow("a folder") << QStringList{"/tmp"} << 1 << "/tmp";
        QTest::newRow("spl without calibration") << QStringList{"TONE", "--unit", "spl"} << 2 << "--calibration";
        QTest::newRow("calibration without spl") << QStringList{"TONE", "--calibration", "94"} << 2 << "--unit spl";
        QTest::newRow("calibration not a number") << QStringList{"TONE", "--unit", "spl", "--calibration", "loud"} << 2
                                                  << "loud";
        QTest::newRow("unknown window") << QStringList{"TONE", "--window", "kaiser"} << 2 << "kaiser";
        QTest::newRow("unknown bands") << QStringList{"TONE", "--bands", "sixth"} << 2 << "sixth";
        QTest::newRow("unknown weighting") << QStringList{"TONE", "--weighting", "b"} << 2 << "--weighting";
        QTest::newRow("with render") << QStringList{"TONE", "--render", "TONE"} << 2 << "--render";
    }
    void refusals()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, said);
        arguments.replaceInStrings(QStringLiteral("TONE"), toneFile(1000, 44100, 1000, 0.5));
        const Run run = analyse(arguments);
        QCOMPARE(run.status, status);
        QVERIFY(run.lines.isEmpty());
        QVERIFY2(run.errors.contains(said), qPrintable(run.errors));
    }

    // Options of the analysis alone mean nothing without it.
    void optionsNeedAnalyse()
    {
        QProcess program;
        program.start(QStringLiteral(VELLARIN_PROGRAM), {QStringLiteral("--bands"), QStringLiteral("third")});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), 2);
    }
};

QTEST_GUILESS_MAIN(TestFileAnalysis)
#include "test_file_analysis.moc"
