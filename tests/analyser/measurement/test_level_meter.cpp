// The level meter on synthetic sound: RMS against peak, Leq of a tone burst,
// the Fast and Slow decay, the maximum, and the over and clip flags.
#include "level_meter.h"
#include "level_units.h"

#include <QTest>

#include <cmath>
#include <numbers>
#include <span>
#include <vector>

using namespace vellarin;

namespace {

// A tone in 16-bit samples, on for `onSeconds` of every `period` (all of it when period is 0).
std::vector<int16_t> tone(double seconds, double hz, double amplitude, double rate, double period = 0,
                          double onSeconds = 0)
{
    std::vector<int16_t> x(size_t(seconds * rate));
    for (size_t i = 0; i < x.size(); ++i) {
        const double t = double(i) / rate;
        const bool on = period == 0 || std::fmod(t, period) < onSeconds;
        x[i] = on ? int16_t(std::lround(amplitude * std::sin(2 * std::numbers::pi * hz * t))) : 0;
    }
    return x;
}

}  // namespace

class LevelMeterTest : public QObject {
    Q_OBJECT
private slots:
    void sineRmsUnderPeak_data()
    {
        QTest::addColumn<int>("weighting");
        QTest::addColumn<int>("timeWeighting");
        QTest::addColumn<double>("hz");
        QTest::addColumn<double>("rate");
        QTest::newRow("Z, Fast, 1 kHz") << int(Weighting::z) << int(TimeWeighting::fast) << 1000.0 << 44100.0;
        QTest::newRow("Z, Slow, 1 kHz") << int(Weighting::z) << int(TimeWeighting::slow) << 1000.0 << 44100.0;
        QTest::newRow("A, Fast, 1 kHz") << int(Weighting::a) << int(TimeWeighting::fast) << 1000.0 << 48000.0;
        QTest::newRow("A, Slow, 250 Hz") << int(Weighting::a) << int(TimeWeighting::slow) << 250.0 << 44100.0;
        QTest::newRow("C, Fast, 63 Hz") << int(Weighting::c) << int(TimeWeighting::fast) << 63.0 << 48000.0;
        // Sample peaks: enough samples per period that they meet the crest.
        QTest::newRow("A, Slow, 125 Hz at 22.05 kHz") << int(Weighting::a) << int(TimeWeighting::slow) << 125.0 << 22050.0;
    }

    // A steady sine's RMS is 3.01 dB under its peak, and reads its level
    // (the weighting's at its frequency taken off) within 0.1 dB.
    void sineRmsUnderPeak()
    {
        QFETCH(int, weighting);
        QFETCH(int, timeWeighting);
        QFETCH(double, hz);
        QFETCH(double, rate);
        const double amplitude = 20000;
        LevelMeter meter;
        meter.configure(rate, Weighting(weighting), TimeWeighting(timeWeighting));
        // The first reading takes the filter's and the average's settling.
        const std::vector<int16_t> sound = tone(6, hz, amplitude, rate);
        const auto settle = std::span(sound).first(size_t(rate));
        meter.add(settle);
        meter.read();
        meter.add(std::span(sound).subspan(settle.size()));
        const MeterReading r = meter.read();
        const double weight = weightingDb(Weighting(weighting), hz);
        QVERIFY2(std::fabs(r.peakDb - r.rmsDb - 3.0103) <= 0.05, qPrintable(QString::number(r.peakDb - r.rmsDb)));
        QVERIFY2(std::fabs(r.rmsDb - (dbfsFromAmplitude(amplitude) - 3.0103 + weight)) <= 0.1, qPrintable(QString::number(r.rmsDb)));
        QVERIFY(!r.over);
    }

    // A full-scale sine peaks at 0 dBFS, 90.31 on the design's scale.
    void fullScale()
    {
        LevelMeter meter;
        meter.configure(44100, Weighting::z, TimeWeighting::fast);
        meter.add(tone(1, 1000, FullScale, 44100));
        const MeterReading r = meter.read();
        QVERIFY(std::fabs(r.peakDb) <= 0.01);
        QVERIFY(std::fabs(designDbFromDbfs(r.peakDb) - 90.31) <= 0.01);
        QVERIFY(std::fabs(designDbFromDbfs(r.rmsDb) - 87.30) <= 0.02);
        QVERIFY(r.over);
    }

    void burstLeq_data()
    {
        QTest::addColumn<int>("weighting");
        QTest::addColumn<double>("period");
        QTest::newRow("Z, 1 s period") << int(Weighting::z) << 1.0;
        QTest::newRow("Z, 100 ms period") << int(Weighting::z) << 0.1;
        QTest::newRow("A, 1 s period") << int(Weighting::a) << 1.0;
    }

    // A tone on half the time: Leq 3.01 dB under the steady tone.
    void burstLeq()
    {
        QFETCH(int, weighting);
        QFETCH(double, period);
        const double rate = 48000, amplitude = 10000;
        LevelMeter meter;
        meter.configure(rate, Weighting(weighting), TimeWeighting::fast);
        meter.add(tone(10, 1000, amplitude, rate, period, period / 2));
        const MeterReading r = meter.read();
        const double toneDb = dbfsFromAmplitude(amplitude) - 3.0103;
        QVERIFY2(std::fabs(r.leqDb - (toneDb - 3.0103)) <= 0.05, qPrintable(QString::number(r.leqDb - toneDb)));
        QVERIFY(std::fabs(r.seconds - 10) < 1e-9);
        // The maximum is the tone's, reached within each half period's burst for Fast.
        if (period >= 1.0)
            QVERIFY2(std::fabs(r.maxDb - toneDb) <= 0.1, qPrintable(QString::number(r.maxDb - toneDb)));
    }

    void decay_data()
    {
        QTest::addColumn<int>("timeWeighting");
        QTest::addColumn<double>("rate");
        QTest::addColumn<double>("dbPerSecond");
        // 10 lg(e) / tau.
        QTest::newRow("Fast at 44.1 kHz") << int(TimeWeighting::fast) << 44100.0 << 34.7;
        QTest::newRow("Fast at 8 kHz") << int(TimeWeighting::fast) << 8000.0 << 34.7;
        QTest::newRow("Slow at 48 kHz") << int(TimeWeighting::slow) << 48000.0 << 4.3;
    }

    // After a steady tone stops the level falls at a constant rate.
    void decay()
    {
        QFETCH(int, timeWeighting);
        QFETCH(double, rate);
        QFETCH(double, dbPerSecond);
        LevelMeter meter;
        meter.configure(rate, Weighting::z, TimeWeighting(timeWeighting));
        const double tau = timeConstant(TimeWeighting(timeWeighting));
        meter.add(tone(10 * tau, 1000, 10000, rate));
        const std::vector<int16_t> silence(size_t(rate * tau / 2), 0);
        meter.add(silence);
        const double first = meter.read().rmsDb;
        meter.add(silence);
        meter.add(silence);
        const double second = meter.read().rmsDb;
        const double got = (first - second) / tau;
        QVERIFY2(std::fabs(got - dbPerSecond) <= 0.05 * dbPerSecond, qPrintable(QString::number(got)));
    }

    // Leq and the maximum start again at a reset; the running level too.
    void reset()
    {
        LevelMeter meter;
        meter.configure(44100, Weighting::z, TimeWeighting::fast);
        meter.add(tone(1, 1000, 20000, 44100));
        meter.reset();
        meter.add(tone(1, 1000, 2000, 44100));
        const MeterReading r = meter.read();
        const double toneDb = dbfsFromAmplitude(2000) - 3.0103;
        QVERIFY(std::fabs(r.leqDb - toneDb) <= 0.05);
        QVERIFY(std::fabs(r.maxDb - toneDb) <= 0.05);
        QVERIFY(std::fabs(r.seconds - 1) < 1e-9);
    }

    void overAndClip_data()
    {
        QTest::addColumn<int>("sample");
        QTest::addColumn<bool>("over");
        QTest::addColumn<bool>("clipped");
        // -1 dBFS is 32767 x 10^(-1/20) = 29203.7.
        QTest::newRow("under -1 dBFS") << 29203 << false << false;
        QTest::newRow("at -1 dBFS") << 29204 << true << false;
        QTest::newRow("negative, over") << -29300 << true << false;
        QTest::newRow("full scale") << 32767 << true << true;
        QTest::newRow("lowest sample") << -32768 << true << true;
    }

    // On the input's samples, whatever the weighting, and once per reading.
    void overAndClip()
    {
        QFETCH(int, sample);
        QFETCH(bool, over);
        QFETCH(bool, clipped);
        LevelMeter meter;
        meter.configure(44100, Weighting::a, TimeWeighting::fast);
        std::vector<int16_t> x(4410, 0);
        x[100] = int16_t(sample);
        meter.add(x);
        const MeterReading r = meter.read();
        QCOMPARE(r.over, over);
        QCOMPARE(r.clipped, clipped);
        meter.add(std::vector<int16_t>(100, 0));
        QVERIFY(!meter.read().over);
    }

    void silence()
    {
        LevelMeter meter;
        meter.configure(44100, Weighting::c, TimeWeighting::slow);
        const MeterReading before = meter.read();
        QCOMPARE(before.leqDb, SilenceDb);
        meter.add(std::vector<int16_t>(44100, 0));
        const MeterReading r = meter.read();
        QCOMPARE(r.rmsDb, SilenceDb);
        QCOMPARE(r.peakDb, SilenceDb);
        QVERIFY(std::isfinite(r.leqDb));
    }
};

QTEST_GUILESS_MAIN(LevelMeterTest)
#include "test_level_meter.moc"
