// Calibration from a calibrator's tone seen through the flat-top window, the
// reasons it refuses, and levels turned into dB SPL.
#include "calibration.h"
#include "level_units.h"
#include "measured_signals.h"

#include <QTest>

#include <cmath>

using namespace vellarin;
using namespace testsignals;

namespace {

// Frames of N = 16384 at 44.1 kHz, one after the other, each looked at.
// `driftDb` spreads over the whole sound.
CalibrationMeasurement::Outcome calibrate(double calibratorDb, double hz, double amplitude, double driftDb = 0,
                                          int clippedFrame = -1, int maxFrames = 100)
{
    const int n = 16384;
    const double rate = 44100;
    const auto w = window(flatTop, n);
    Spectrum spectrum(n);
    CalibrationMeasurement measurement(calibratorDb);
    std::vector<double> sound = sine(size_t(n) * 12, hz, amplitude, rate);
    for (size_t i = 0; i < sound.size(); ++i)
        sound[i] *= std::pow(10.0, driftDb * double(i) / double(sound.size()) / 20);
    for (int frame = 0; frame < maxFrames && !measurement.finished() && size_t(frame + 1) * n <= sound.size(); ++frame) {
        const auto power = spectrum.powers(sound, size_t(frame) * n, w);
        measurement.add(lookAtSpectrum(power, n, rate, frame == clippedFrame, n / rate));
    }
    return measurement.outcome();
}

}  // namespace

class CalibrationTest : public QObject {
    Q_OBJECT
private slots:
    void offset_data()
    {
        QTest::addColumn<double>("calibrator");
        QTest::addColumn<double>("hz");
        QTest::addColumn<double>("amplitude");
        QTest::newRow("94 dB, 1 kHz") << 94.0 << 1000.0 << 3000.0;
        QTest::newRow("114 dB, 1 kHz, loud") << 114.0 << 1000.0 << 25000.0;
        QTest::newRow("typed 104 dB, a calibrator 4 % high") << 104.0 << 1040.0 << 1000.0;
        QTest::newRow("94 dB, tone between bins") << 94.0 << 1001.35 << 10000.0;
    }

    // The offset makes the tone's RMS level read the calibrator's level
    // within 0.05 dB, wherever it falls between bins.
    void offset()
    {
        QFETCH(double, calibrator);
        QFETCH(double, hz);
        QFETCH(double, amplitude);
        const auto outcome = calibrate(calibrator, hz, amplitude);
        const auto* offset = std::get_if<CalibrationMeasurement::Offset>(&outcome);
        if (const auto* refusal = std::get_if<CalibrationMeasurement::Refusal>(&outcome))
            QFAIL(qPrintable(refusal->reason));
        QVERIFY2(offset, "still measuring after 12 frames");
        const double toneDbfs = dbfsFromAmplitude(amplitude) - 3.0103;
        QVERIFY2(std::fabs(offset->offsetDb - (calibrator - toneDbfs)) <= 0.05,
                 qPrintable(QString::number(offset->offsetDb - (calibrator - toneDbfs))));
        SplCalibration spl{offset->offsetDb, {}, {}};
        QVERIFY(std::fabs(spl.splFromDbfs(toneDbfs) - calibrator) <= 0.05);
        // The spectrum reads the tone's amplitude: 20 log10(amplitude) on the design's scale.
        QVERIFY(std::fabs(spl.splFromSpectrumDesignDb(20 * std::log10(amplitude), hz) - calibrator) <= 0.05);
    }

    void refusal_data()
    {
        QTest::addColumn<double>("calibrator");
        QTest::addColumn<double>("hz");
        QTest::addColumn<double>("driftDb");
        QTest::addColumn<int>("clippedFrame");
        QTest::addColumn<QString>("reason");
        QTest::newRow("clips") << 94.0 << 1000.0 << 0.0 << 3 << "The input clips";
        QTest::newRow("1100 Hz") << 94.0 << 1100.0 << 0.0 << -1 << "The strongest tone is at 1100 Hz, not within 5 % of 1 kHz";
        QTest::newRow("940 Hz") << 94.0 << 940.0 << 0.0 << -1 << "The strongest tone is at 940 Hz";
        QTest::newRow("rises by 0.9 dB in 4.5 s") << 94.0 << 1000.0 << 0.9 << -1 << "The level varied by 0.";
        QTest::newRow("falls by 1 dB in 4.5 s") << 94.0 << 1000.0 << -1.0 << -1 << "The level varied by 0.";
        QTest::newRow("no calibrator's level") << 12.0 << 1000.0 << 0.0 << -1 << "A calibrator's level lies between 40 and 150 dB SPL";
    }

    void refusal()
    {
        QFETCH(double, calibrator);
        QFETCH(double, hz);
        QFETCH(double, driftDb);
        QFETCH(int, clippedFrame);
        QFETCH(QString, reason);
        const auto outcome = calibrate(calibrator, hz, 5000, driftDb, clippedFrame);
        const auto* refusal = std::get_if<CalibrationMeasurement::Refusal>(&outcome);
        QVERIFY2(refusal, "calibrated");
        QVERIFY2(refusal->reason.startsWith(reason), qPrintable(refusal->reason));
    }

    // A drift within 0.5 dB over the 3 s is taken.
    void steadyEnough()
    {
        const auto outcome = calibrate(94, 1000, 5000, 0.5);
        QVERIFY(std::holds_alternative<CalibrationMeasurement::Offset>(outcome));
    }

    void silence()
    {
        CalibrationMeasurement measurement(94);
        std::vector<double> power(8193, 0.0);
        measurement.add(lookAtSpectrum(power, 16384, 44100, false, 0.37));
        QVERIFY(std::holds_alternative<CalibrationMeasurement::Refusal>(measurement.outcome()));
    }

    void takesThreeSeconds()
    {
        CalibrationMeasurement measurement(94);
        for (int i = 0; i < 29; ++i)
            measurement.add({1000, -20, false, 0.1});
        QVERIFY(!measurement.finished());
        measurement.add({1000, -20, false, 0.1});
        QVERIFY(measurement.finished());
        QVERIFY(std::fabs(std::get<CalibrationMeasurement::Offset>(measurement.outcome()).offsetDb - 114) < 1e-9);
    }

    void spl_data()
    {
        QTest::addColumn<double>("dbfs");
        QTest::addColumn<double>("hz");
        QTest::addColumn<double>("spl");
        // Offset 110 dB; the microphone reads 2 dB high from 10 kHz up, 1 dB low at 31.62 Hz.
        QTest::newRow("1 kHz") << -20.0 << 1000.0 << 90.0;
        QTest::newRow("10 kHz, taken off") << -20.0 << 10000.0 << 88.0;
        QTest::newRow("20 kHz, held") << -20.0 << 20000.0 << 88.0;
        QTest::newRow("half way in log frequency") << -30.0 << std::sqrt(1000.0 * 31.62277660168379) << 80.5;
    }

    void spl()
    {
        QFETCH(double, dbfs);
        QFETCH(double, hz);
        QFETCH(double, spl);
        const SplCalibration calibration{110, MicrophoneCorrection({{31.62277660168379, -1}, {1000, 0}, {10000, 2}}, {}), "mic.txt"};
        QVERIFY(std::fabs(calibration.splFromDbfs(dbfs, hz) - spl) < 1e-9);
        QVERIFY(std::fabs(calibration.splFromDesignDb(designDbFromDbfs(dbfs), hz) - spl) < 1e-9);

        // Per bin, as a factor on power, on top of a gain already there.
        const int n = 1024;
        const double rate = hz * 4;  // bin 256 lies on `hz`
        std::vector<double> gain(n / 2 + 1, 2.0);
        calibration.applyPerBin(n, rate, gain);
        QVERIFY(std::fabs(10 * std::log10(gain[256] / 2) - (spl - dbfs)) < 1e-9);
    }
};

QTEST_GUILESS_MAIN(CalibrationTest)
#include "test_calibration.moc"
