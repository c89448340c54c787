// The program as a script or a package check starts it: no display, no
// platform named, and the command line alone deciding what happens.
#include <sound_fixtures.h>

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

class ProgramTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_files;

private slots:
    void initTestCase()
    {
        QVERIFY(test_support::writeBytes(m_files.filePath("tone.wav"),
                                         test_support::waveBytes(8000, 1, test_support::sine(440, 8000, 8000, 10000))));
    }

    // SOUND and PICTURE stand for a second of a tone and a picture to write.
    void withoutDisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("stdoutStart");
        QTest::addColumn<QString>("stderrText");
        // Nothing left in the temporary folder; the check's window leaves
        // the toolkit's own stand-in runtime folder there.
        QTest::addColumn<bool>("tidy");
        QTest::newRow("help") << QStringList{"--help"} << 0 << "Usage: " << "" << true;
        QTest::newRow("version") << QStringList{"--version"} << 0 << "vellarin " << "" << true;
        QTest::newRow("render") << QStringList{"--render", "SOUND", "-o", "PICTURE"} << 0 << "" << "" << true;
        QTest::newRow("analyse") << QStringList{"--analyse", "SOUND"} << 0 << "{\"" << "" << true;
        QTest::newRow("check, offscreen") << QStringList{"--check"} << 0 << "chart: created\n" << "" << false;
        QTest::newRow("sources, no server answering") << QStringList{"--list-devices", "--backend", "server"} << 0 << ""
                                                      << "vellarin: no input sources: no sound server answers and no "
                                                         "sound device was found\n"
                                                      << true;
        QTest::newRow("FFT size not one of the sizes")
            << QStringList{"--fft", "1000"} << 2 << ""
            << "vellarin: --fft 1000: the FFT size must be 1024, 2048, 4096, 8192 or 16384 (vellarin --help lists the options)\n"
            << true;
        QTest::newRow("rate past the sound server's limit")
            << QStringList{"--backend", "server", "--rate", "400000"} << 2 << ""
            << "vellarin: --rate 400000: the sample rate must be a whole number from 1000 to 384000 Hz (the sound "
               "server's limit) (vellarin --help lists the options)\n"
            << true;
        QTest::newRow("unknown option") << QStringList{"--bogus"} << 2 << ""
                                        << "vellarin: Unknown option 'bogus'. (vellarin --help lists the options)\n"
                                        << true;
        QTest::newRow("stray argument") << QStringList{"--help", "take.wav", "now"} << 2 << ""
                                        << "vellarin: Unexpected argument 'now'. (vellarin --help lists the options)\n"
                                        << true;
        QTest::newRow("the window needs a display")
            << QStringList{} << 1 << ""
            << "vellarin: no display to open the window on: neither DISPLAY nor WAYLAND_DISPLAY is set\n"
            << true;
    }

    void withoutDisplay()
    {
        QFETCH(QStringList, arguments);
        arguments.replaceInStrings(QRegularExpression("^SOUND$"), m_files.filePath("tone.wav"));
        arguments.replaceInStrings(QRegularExpression("^PICTURE$"), m_files.filePath("tone.png"));
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        // No sound server answers at this address, whatever runs on the machine;
        // and no runtime folder, as under a bare ssh login or a package build.
        environment.insert("PULSE_SERVER", "unix:/nonexistent/native");
        environment.remove("XDG_RUNTIME_DIR");
        // A temporary folder of the run's own, to see what is left in it.
        QTemporaryDir temporary;
        environment.insert("TMPDIR", temporary.path());
        // Under AddressSanitizer the FFT module, unloaded with the window,
        // leaves FFTW's own allocations behind it; the check's answer is
        // what is tested here.
        if (environment.contains("ASAN_OPTIONS"))
            environment.insert("ASAN_OPTIONS", environment.value("ASAN_OPTIONS") + ":detect_leaks=0");
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(VELLARIN_PROGRAM), arguments);
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QTEST(program.exitCode(), "status");
        QFETCH(QString, stdoutStart);
        QFETCH(QString, stderrText);
        const QString out = QString::fromLocal8Bit(program.readAllStandardOutput());
        QVERIFY2(out.left(stdoutStart.size()) == stdoutStart, qPrintable(out));
        // Only what was asked for: where all goes well, nothing on stderr.
        QCOMPARE(QString::fromLocal8Bit(program.readAllStandardError()), stderrText);
        QFETCH(bool, tidy);
        if (tidy)
            QCOMPARE(QDir(temporary.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    }

    // The help names each backend's highest rate.
    void helpNamesTheRateLimits()
    {
        QProcess program;
        program.start(QStringLiteral(VELLARIN_PROGRAM), {"--help"});
        QVERIFY(program.waitForFinished(60000));
        const QString help = QString::fromLocal8Bit(program.readAllStandardOutput()).simplified();
        QVERIFY2(help.contains("from the sound server from 1000 to 384000 Hz (the sound server's limit), over ALSA from 1000 "
                               "to 768000 Hz"),
                 qPrintable(help));
    }
};

QTEST_GUILESS_MAIN(ProgramTest)
#include "test_program.moc"
