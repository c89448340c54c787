// The readings of a frame as the window and a windowless analysis share
// them: the peak through the window the frame was weighed by, the pitch of
// the sound history at its own cadence, and what clears them.
#include "frame_readouts.h"
#include "sample_history.h"

#include <synthetic_sound.h>

#include <QTest>

#include <cmath>

using namespace vellarin;

Q_DECLARE_METATYPE(WindowFunction)

namespace {

constexpr double rate = 44100.0;

// The frame of the newest N samples of `sound`, weighed and transformed.
std::vector<double> transformOf(std::span<const int16_t> sound, int32_t n, WindowFunction function)
{
    WindowWeights weights;
    weights.choose(function);
    return synthetic::spectrum(sound.last(size_t(n)), weights.weights(n));
}

}  // namespace

class FrameReadoutsTest : public QObject {
    Q_OBJECT
private slots:
    void peakThroughEachWindow_data()
    {
        QTest::addColumn<WindowFunction>("function");
        QTest::addColumn<int>("fftSize");
        QTest::addColumn<double>("cycles");
        QTest::newRow("rectangular, 1024") << WindowFunction::rectangular << 1024 << 100.3;
        QTest::newRow("Hann, 4096") << WindowFunction::hann << 4096 << 371.5;
        QTest::newRow("Blackman-Harris, 16384") << WindowFunction::blackmanHarris << 16384 << 2000.25;
        QTest::newRow("flat-top, 1024") << WindowFunction::flatTop << 1024 << 40.75;
    }

    // The peak is read through the window chosen: within 0.02 bin and 0.1 dB.
    void peakThroughEachWindow()
    {
        QFETCH(WindowFunction, function);
        QFETCH(int, fftSize);
        QFETCH(double, cycles);
        const std::vector<int16_t> sound = synthetic::tone(fftSize, cycles, 10000, 0.7);
        SampleHistory history;
        history.reset(uint32_t(rate));
        history.append(sound);
        FrameReadouts readouts;
        readouts.setWindowFunction(function);
        readouts.addFrame(transformOf(sound, fftSize, function), fftSize, history);
        QVERIFY(readouts.peak());
        QVERIFY2(std::fabs(readouts.peak()->bin - cycles) <= 0.02, qPrintable(QString::number(readouts.peak()->bin)));
        QVERIFY(std::fabs(readouts.peak()->decibels - 20 * std::log10(10000.0)) <= 0.1);
        QVERIFY(std::fabs(readouts.peak()->hertz - cycles * rate / fftSize) <= 0.02 * rate / fftSize);
    }

    // The readings are taken on the first frame, again once 80 ms of new
    // sound has come in, and at once for a new capture or another window.
    void pitchCadence()
    {
        const std::vector<int16_t> note = synthetic::harmonics(rate, 261.6256, 1, 6, 3000, 0, 1.0);
        SampleHistory history;
        history.reset(uint32_t(rate));
        history.append(std::span(note).first(4608));
        FrameReadouts readouts;
        const std::vector<double> transform = transformOf(std::span(note).first(4608), 1024, WindowFunction::rectangular);
        QList<int> renewedAt;
        for (int frame = 0; frame < 16; ++frame) {
            if (frame > 0)
                history.append(std::span(note).subspan(4608 + 512 * size_t(frame - 1), 512));
            readouts.addFrame(transform, 1024, history);
            if (readouts.renewed())
                renewedAt << frame;
        }
        // 80 ms is 3528 samples: seven frames of 512.
        QCOMPARE(renewedAt, (QList<int>{0, 7, 14}));
        QVERIFY(readouts.note());
        QCOMPARE(readouts.note()->name, "C4");
        QVERIFY(std::abs(readouts.note()->cents) <= 3);
        QVERIFY(readouts.text().startsWith("C4 "));
        QVERIFY(readouts.text().contains(QString::fromUtf8(" Hz) \u00b7 peak ")));

        // A new capture starts its history afresh: the pitch is taken at once.
        history.reset(uint32_t(rate));
        history.append(std::span(note).first(4608));
        readouts.addFrame(transform, 1024, history);
        QVERIFY(readouts.renewed());
        readouts.addFrame(transform, 1024, history);
        QVERIFY(!readouts.renewed());
        readouts.setWindowFunction(WindowFunction::hann);
        readouts.addFrame(transformOf(std::span(note).first(4608), 1024, WindowFunction::hann), 1024, history);
        QVERIFY(readouts.renewed());
    }

    void nothingToRead_data()
    {
        QTest::addColumn<int>("fftSize");
        QTest::addColumn<int>("transformValues");
        QTest::addColumn<uint32_t>("historyRate");
        QTest::newRow("transform too short") << 1024 << 1025 << 44100u;
        QTest::newRow("no size") << 0 << 1026 << 44100u;
        QTest::newRow("no rate") << 1024 << 1026 << 0u;
    }

    // A frame that cannot be read clears the readings rather than keep old ones.
    void nothingToRead()
    {
        QFETCH(int, fftSize);
        QFETCH(int, transformValues);
        QFETCH(uint32_t, historyRate);
        const std::vector<int16_t> sound = synthetic::tone(1024, 100, 10000, 0);
        SampleHistory history;
        history.reset(44100);
        history.append(sound);
        FrameReadouts readouts;
        readouts.addFrame(transformOf(sound, 1024, WindowFunction::rectangular), 1024, history);
        QVERIFY(readouts.peak());
        std::vector<double> transform(size_t(transformValues), 1.0);
        SampleHistory other;
        other.reset(historyRate);
        other.append(sound);
        readouts.addFrame(transform, fftSize, other);
        QVERIFY(!readouts.peak() && !readouts.pitch() && readouts.renewed());
        QCOMPARE(readouts.text(), QString::fromUtf8("peak \u2013"));
    }
};

QTEST_GUILESS_MAIN(FrameReadoutsTest)
#include "test_frame_readouts.moc"
