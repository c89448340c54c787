// The program as a script or a package check starts it: no display, no
// platform named, and the command line alone deciding what happens.
#include <QProcess>
#include <QTest>

class ProgramTest : public QObject {
    Q_OBJECT
private slots:
    void withoutDisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("stdoutStart");
        QTest::addColumn<QString>("stderrText");
        QTest::newRow("help") << QStringList{"--help"} << 0 << "Usage: " << "";
        QTest::newRow("version") << QStringList{"--version"} << 0 << "vellarin " << "";
        QTest::newRow("check, offscreen") << QStringList{"--check"} << 0 << "chart: created\n" << "";
        QTest::newRow("sources, no server answering") << QStringList{"--list-devices", "--backend", "server"} << 0 << ""
                                                      << "vellarin: no input sources: no sound server answers and no "
                                                         "sound device was found\n";
        QTest::newRow("FFT size not one of the sizes")
            << QStringList{"--fft", "1000"} << 2 << ""
            << "vellarin: --fft 1000: the FFT size must be 1024, 2048, 4096, 8192 or 16384 (vellarin --help lists the options)\n";
        QTest::newRow("rate past the sound server's limit")
            << QStringList{"--backend", "server", "--rate", "400000"} << 2 << ""
            << "vellarin: --rate 400000: the sample rate must be a whole number from 1000 to 384000 Hz (the sound "
               "server's limit) (vellarin --help lists the options)\n";
        QTest::newRow("unknown option") << QStringList{"--bogus"} << 2 << ""
                                        << "vellarin: Unknown option 'bogus'. (vellarin --help lists the options)\n";
        QTest::newRow("stray argument") << QStringList{"--help", "take.wav", "now"} << 2 << ""
                                        << "vellarin: Unexpected argument 'now'. (vellarin --help lists the options)\n";
        QTest::newRow("the window needs a display")
            << QStringList{} << 1 << ""
            << "vellarin: no display to open the window on: neither DISPLAY nor WAYLAND_DISPLAY is set\n";
    }

    void withoutDisplay()
    {
        QFETCH(QStringList, arguments);
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        // No sound server answers at this address, whatever runs on the machine;
        // and no runtime folder, as under a bare ssh login or a package build.
        environment.insert("PULSE_SERVER", "unix:/nonexistent/native");
        environment.remove("XDG_RUNTIME_DIR");
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
