// The pitch estimate on notes whose pitch is known: partials 1..6, the same
// with a weak fundamental, the fundamental missing, and plucked strings;
// and no pitch where there is none.
#include "note_names.h"
#include "pitch_estimate.h"

#include <synthetic_sound.h>

#include <QTest>

#include <cmath>

using namespace vellarin;

namespace {

constexpr double seconds = 0.15;
const int lowestNote = 21;    // A0
const int highestNote = 108;  // C8

double cents(double hertz, double reference) { return 1200.0 * std::log2(hertz / reference); }

enum class Partials { all, weakFundamental, missingFundamental };

}  // namespace

Q_DECLARE_METATYPE(Partials)

class PitchEstimateTest : public QObject {
    Q_OBJECT
private slots:
    void notes_data()
    {
        QTest::addColumn<double>("rate");
        QTest::addColumn<Partials>("partials");
        QTest::addColumn<int>("note");
        const std::pair<Partials, const char*> kinds[] = {{Partials::all, "partials 1-6"},
                                                         {Partials::weakFundamental, "fundamental -20 dB"},
                                                         {Partials::missingFundamental, "partials 2-6"}};
        for (double rate : {44100.0, 48000.0})
            for (const auto& [partials, kind] : kinds)
                for (int note = lowestNote; note <= highestNote; ++note)
                    QTest::addRow("%g Hz %s %s", rate, kind, qPrintable(noteName(note))) << rate << partials << note;
    }
    void notes()
    {
        QFETCH(double, rate);
        QFETCH(Partials, partials);
        QFETCH(int, note);
        // A little off the note, as a real one is.
        const double hertz = noteHertz(note) * std::exp2(1.7 / 1200);
        const auto sound = synthetic::harmonics(rate, hertz, partials == Partials::missingFundamental ? 2 : 1, 6, 4000.0,
                                                partials == Partials::weakFundamental ? -20.0 : 0.0, seconds);
        PitchEstimator estimator;
        const auto pitch = estimator.estimate(sound, rate);
        QVERIFY(pitch);
        // A tuner needs 3 cents to C7 and 5 to C8; the refinement on
        // multiples of the period keeps every note well inside 1.
        const double tolerance = 1.0;
        QVERIFY2(std::fabs(cents(pitch->hertz, hertz)) <= tolerance, qPrintable(QString::number(pitch->hertz)));
        const auto named = nearestNote(pitch->hertz);
        QVERIFY(named);
        QCOMPARE(named->note, note);
    }

    // Karplus-Strong strings: a delay of L samples sounds at rate / (L + 1/2).
    void pluckedString_data()
    {
        QTest::addColumn<double>("rate");
        QTest::addColumn<int>("delay");
        for (double rate : {44100.0, 48000.0})
            for (double hertz : {41.2, 82.41, 110.0, 146.8, 196.0, 246.9, 329.6, 659.3, 1318.5})
                QTest::addRow("%g Hz, %g Hz string", rate, hertz) << rate << int(std::lround(rate / hertz - 0.5));
    }
    void pluckedString()
    {
        QFETCH(double, rate);
        QFETCH(int, delay);
        const double hertz = rate / (delay + 0.5);
        const auto sound = synthetic::pluckedString(delay, 12000.0, int32_t(rate * 0.4));
        PitchEstimator estimator;
        // Just after the pluck and once it has rung a while.
        for (double at : {0.15, 0.35}) {
            const auto heard = std::span(sound).first(size_t(rate * at));
            const auto pitch = estimator.estimate(heard, rate);
            QVERIFY2(pitch, qPrintable(QStringLiteral("none at %1 s").arg(at)));
            QVERIFY2(std::fabs(cents(pitch->hertz, hertz)) <= 3.0, qPrintable(QString::number(pitch->hertz)));
        }
    }

    void noPitch_data()
    {
        QTest::addColumn<double>("rate");
        QTest::addColumn<QVector<int16_t>>("sound");
        const auto of = [](const std::vector<int16_t>& s) { return QVector<int16_t>(s.begin(), s.end()); };
        for (double rate : {44100.0, 48000.0}) {
            const auto n = int32_t(rate * seconds);
            for (uint32_t seed : {1u, 2u, 3u})
                QTest::addRow("%g Hz white noise %u", rate, seed) << rate << of(synthetic::noise(n, 8000.0, 0.0, seed));
            QTest::addRow("%g Hz silence", rate) << rate << of(std::vector<int16_t>(size_t(n), 0));
            QTest::addRow("%g Hz offset", rate) << rate << of(std::vector<int16_t>(size_t(n), 1200));
            QTest::addRow("%g Hz offset, a step of noise", rate) << rate << of(synthetic::noise(n, 0.6, -300.0));
            QTest::addRow("%g Hz too short", rate)
                << rate << of(synthetic::harmonics(rate, 440.0, 1, 6, 4000.0, 0.0, 0.05));
            QTest::addRow("%g Hz above the range", rate)
                << rate << of(synthetic::harmonics(rate, 6000.0, 1, 1, 4000.0, 0.0, seconds));
        }
    }
    void noPitch()
    {
        QFETCH(double, rate);
        QFETCH(QVector<int16_t>, sound);
        PitchEstimator estimator;
        const auto pitch = estimator.estimate(std::span<const int16_t>(sound.data(), size_t(sound.size())), rate);
        QVERIFY2(!pitch, qPrintable(QStringLiteral("read %1 Hz").arg(pitch ? pitch->hertz : 0)));
    }

    void badRate()
    {
        const auto sound = synthetic::harmonics(44100.0, 440.0, 1, 6, 4000.0, 0.0, seconds);
        PitchEstimator estimator;
        for (double rate : {0.0, -44100.0, std::nan(""), 1000.0})
            QVERIFY(!estimator.estimate(sound, rate));
    }
};

QTEST_GUILESS_MAIN(PitchEstimateTest)
#include "test_pitch_estimate.moc"
