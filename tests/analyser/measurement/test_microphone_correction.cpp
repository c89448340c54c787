// The microphone correction file: what is read from good files, the line and
// reason of each bad one, and the response between and beyond the points.
#include "microphone_correction.h"

#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace vellarin;

class MicrophoneCorrectionTest : public QObject {
    Q_OBJECT
private slots:
    void goodFile_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("points");
        QTest::addColumn<double>("lastHz");
        QTest::addColumn<double>("lastDb");
        QTest::addColumn<QString>("sensitivity");
        QTest::newRow("plain") << QByteArray("20 -1.5\n1000 0\n20000 2.25\n") << 3 << 20000.0 << 2.25 << QString();
        QTest::newRow("sensitivity first") << QByteArray("*1000Hz -38.6\n20 -1\n1000 0\n") << 2 << 1000.0 << 0.0
                                           << "1000Hz -38.6";
        QTest::newRow("comments before the sensitivity")
            << QByteArray("# mic 123\n\n*1000Hz -38.6\n10 0.1\n") << 1 << 10.0 << 0.1 << "1000Hz -38.6";
        QTest::newRow("crlf, tabs, blanks and a byte order mark")
            << QByteArray("\xEF\xBB\xBF# made by hand\r\n\r\n  20\t-0.5\r\n\t1000   +0.0\r\n") << 2 << 1000.0 << 0.0
            << QString();
        QTest::newRow("phase column left aside") << QByteArray("20 -1 12.5\n40 -0.5 6\n") << 2 << 40.0 << -0.5
                                                 << QString();
        QTest::newRow("comment after the numbers, exponent") << QByteArray("2e1 -1 # low\n1.5e4 1e0\n") << 2 << 15000.0
                                                             << 1.0 << QString();
        QTest::newRow("no newline at the end") << QByteArray("100 3") << 1 << 100.0 << 3.0 << QString();
        QTest::newRow("UTF-8 in a comment") << QByteArray("# Mikrofon \xC3\xBC\xE2\x82\xAC\n100 60\n") << 1 << 100.0
                                            << 60.0 << QString();
        QTest::newRow("limits") << QByteArray("0.001 -60\n96000 60\n") << 2 << 96000.0 << 60.0 << QString();
    }

    void goodFile()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, points);
        QFETCH(double, lastHz);
        QFETCH(double, lastDb);
        QFETCH(QString, sensitivity);
        const CorrectionFileResult result = parseCorrectionFile(text);
        if (const auto* error = std::get_if<CorrectionFileError>(&result))
            QFAIL(qPrintable(error->message()));
        const auto& correction = std::get<MicrophoneCorrection>(result);
        QCOMPARE(int(correction.points().size()), points);
        QCOMPARE(correction.points().back().hz, lastHz);
        QCOMPARE(correction.points().back().db, lastDb);
        QCOMPARE(correction.sensitivity(), sensitivity);
    }

    void badFile_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << QByteArray() << "The file is empty";
        QTest::newRow("only comments") << QByteArray("# nothing\n\n*1000Hz -38\n")
                                       << "The file holds no lines of frequency and dB";
        QTest::newRow("Latin-1 text") << QByteArray("20 0\n# Mikrofon \xFC\n100 1\n") << "line 2: the text is not UTF-8";
        QTest::newRow("overlong UTF-8") << QByteArray("# \xC0\xAF\n") << "line 1: the text is not UTF-8";
        QTest::newRow("UTF-16 surrogate in UTF-8") << QByteArray("20 0\n\n# \xED\xA0\x80\n")
                                                   << "line 3: the text is not UTF-8";
        QTest::newRow("cut-off UTF-8 at the end") << QByteArray("20 0\n# \xE2\x82") << "line 2: the text is not UTF-8";
        QTest::newRow("unsorted") << QByteArray("20 0\n1000 0\n998 0.5\n")
                                  << "line 3: frequencies must rise (998 after 1000)";
        QTest::newRow("duplicate") << QByteArray("20 0\n# x\n1000 0\n1000 0.5\n")
                                   << "line 4: frequency 1000 is given twice (also on line 3)";
        QTest::newRow("zero frequency") << QByteArray("0 0\n") << "line 1: frequencies must be above 0 Hz (found 0)";
        QTest::newRow("negative frequency") << QByteArray("20 0\n-5 1\n")
                                            << "line 2: frequencies must be above 0 Hz (found -5)";
        QTest::newRow("beyond +60 dB") << QByteArray("20 0\n100 60.5\n")
                                       << "line 2: a correction of 60.5 dB is beyond +/- 60 dB";
        QTest::newRow("beyond -60 dB") << QByteArray("20 -75\n") << "line 1: a correction of -75 dB is beyond +/- 60 dB";
        QTest::newRow("one number") << QByteArray("20\n") << "line 1: expected a frequency and a level in dB, found \"20\"";
        QTest::newRow("words") << QByteArray("Frequency Level\n")
                               << "line 1: expected a frequency and a level in dB, found \"Frequency Level\"";
        QTest::newRow("decimal comma") << QByteArray("20 -1,5\n")
                                       << "line 1: expected a frequency and a level in dB, found \"20 -1,5\"";
        QTest::newRow("comma separated") << QByteArray("20,-1.5\n")
                                         << "line 1: expected a frequency and a level in dB, found \"20,-1.5\"";
        QTest::newRow("not a number") << QByteArray("20 nan\n")
                                      << "line 1: expected a frequency and a level in dB, found \"20 nan\"";
        QTest::newRow("infinite frequency") << QByteArray("inf 0\n")
                                            << "line 1: expected a frequency and a level in dB, found \"inf 0\"";
        QTest::newRow("beyond a double") << QByteArray("1e999 0\n")
                                         << "line 1: expected a frequency and a level in dB, found \"1e999 0\"";
        QTest::newRow("sensitivity after the points") << QByteArray("20 0\n*1000Hz -38\n")
                                                      << "line 2: the sensitivity line (starting with *) may only come first";
        QTest::newRow("two sensitivity lines") << QByteArray("*1000Hz -38\n*1000Hz -38\n")
                                               << "line 2: the sensitivity line (starting with *) may only come first";
        QTest::newRow("long line cut short in the message")
            << QByteArray("20 0 ") + QByteArray(60, 'x') + "\n20x 1\n" << "line 2: expected a frequency and a level in dB, found \"20x 1\"";
    }

    // Refused with the line and the reason, as the user reads them.
    void badFile()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, message);
        const CorrectionFileResult result = parseCorrectionFile(text);
        const auto* error = std::get_if<CorrectionFileError>(&result);
        QVERIFY2(error, "the file was taken");
        QCOMPARE(error->message(), message);
    }

    void response_data()
    {
        QTest::addColumn<double>("hz");
        QTest::addColumn<double>("db");
        QTest::newRow("below the first point: held") << 5.0 << -2.0;
        QTest::newRow("on the first point") << 10.0 << -2.0;
        QTest::newRow("half way in log frequency") << std::sqrt(10.0 * 1000.0) << -1.0;
        QTest::newRow("a quarter of the way") << std::pow(10.0, 1.5) << -1.5;
        QTest::newRow("on an inner point") << 1000.0 << 0.0;
        QTest::newRow("between the last two") << 2000.0 << 3.0;
        QTest::newRow("beyond the last point: held") << 30000.0 << 6.0;
        QTest::newRow("0 Hz") << 0.0 << -2.0;
    }

    void response()
    {
        QFETCH(double, hz);
        QFETCH(double, db);
        const MicrophoneCorrection correction({{10, -2}, {1000, 0}, {4000, 6}}, {});
        QVERIFY2(std::fabs(correction.responseDb(hz) - db) < 1e-9, qPrintable(QString::number(correction.responseDb(hz))));
    }

    void perBin()
    {
        const MicrophoneCorrection correction({{100, 0}, {10000, 4}}, {});
        std::vector<double> db(16384 / 2 + 1);
        correction.responsePerBin(16384, 44100, db);
        QCOMPARE(db[0], 0.0);
        const double hz = 371 * 44100.0 / 16384;
        QVERIFY(std::fabs(db[371] - 2 * std::log10(hz / 100)) < 1e-9);
        QCOMPARE(db.back(), 4.0);
    }

    void fromDisk()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const auto missing = readCorrectionFile(dir.filePath("none.txt"));
        QVERIFY(std::holds_alternative<CorrectionFileError>(missing));
        QVERIFY(std::get<CorrectionFileError>(missing).message().startsWith("The file cannot be read"));

        QFile file(dir.filePath("mic.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("*1000Hz -38.6\n20 -3\n1000 0\n");
        file.close();
        const auto read = readCorrectionFile(file.fileName());
        QVERIFY(std::holds_alternative<MicrophoneCorrection>(read));
        QCOMPARE(std::get<MicrophoneCorrection>(read).sensitivity(), QStringLiteral("1000Hz -38.6"));
    }
};

QTEST_GUILESS_MAIN(MicrophoneCorrectionTest)
#include "test_microphone_correction.moc"
