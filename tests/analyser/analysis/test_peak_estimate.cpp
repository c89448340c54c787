// The peak estimate on tones of known frequency, level and phase seen
// through each of the analyser's windows.
#include "window_functions.h"
#include "peak_estimate.h"

#include <synthetic_sound.h>

#include <QTest>

#include <cmath>
#include <numbers>

using namespace vellarin;

namespace {

struct Reading {
    std::optional<PeakEstimate> peak;
};

Reading read(std::span<const int16_t> samples, WindowFunction function)
{
    WindowWeights weights;
    weights.choose(function);
    const auto w = weights.weights(int32_t(samples.size()));
    PeakEstimator estimator;
    estimator.prepare(w);
    const auto spectrum = synthetic::spectrum(samples, w);
    return {estimator.estimate(spectrum, 44100.0)};
}

double decibels(double amplitude) { return 20 * std::log10(amplitude); }

// Every window at both ends of the FFT sizes.
template <class Row>
void forEachWindow(Row&& row)
{
    for (const WindowShape& shape : windowShapes())
        for (int32_t n : {1024, 16384})
            row(shape, n);
}

}  // namespace

Q_DECLARE_METATYPE(WindowFunction)

class PeakEstimateTest : public QObject {
    Q_OBJECT
private slots:
    // Anywhere between two bins from bin 12 to N/2 - 12, any phase.
    void toneBetweenBins_data()
    {
        QTest::addColumn<WindowFunction>("window");
        QTest::addColumn<int>("n");
        QTest::addColumn<double>("cycles");
        QTest::addColumn<double>("phase");
        QTest::addColumn<double>("amplitude");
        forEachWindow([](const WindowShape& shape, int32_t n) {
            const int32_t bases[] = {12, 97, n / 4 + 3, n / 2 - 13};
            for (int step = 0; step <= 20; ++step)
                for (int p = 0; p < 4; ++p) {
                    const int32_t base = bases[(step + p) % 4];
                    const double cycles = base + step * 0.05;
                    // Full scale, and 40 dB down where nothing limits the reading.
                    const double amplitude = p % 2 ? 32767.0 : 327.67;
                    QTest::addRow("%s N=%d bin %.2f phase %d", shape.name, n, cycles, p)
                        << shape.function << n << cycles << p * std::numbers::pi / 2.7 << amplitude;
                }
        });
    }
    void toneBetweenBins()
    {
        QFETCH(WindowFunction, window);
        QFETCH(int, n);
        QFETCH(double, cycles);
        QFETCH(double, phase);
        QFETCH(double, amplitude);
        const auto peak = read(synthetic::tone(n, cycles, amplitude, phase), window).peak;
        QVERIFY(peak);
        QVERIFY2(std::fabs(peak->bin - cycles) <= 0.02, qPrintable(QString::number(peak->bin, 'f', 4)));
        QVERIFY2(std::fabs(peak->decibels - decibels(amplitude)) <= 0.1, qPrintable(QString::number(peak->decibels)));
        QVERIFY(peak->decibels <= decibels(32767.0) + 0.05);
        QCOMPARE_LE(std::fabs(peak->hertz - cycles * 44100.0 / n), 0.02 * 44100.0 / n);
    }

    // Near the ends the tone's mirror image and the edge crowd the lobe. Where
    // the peak bin is a true local maximum it is named and read closely; a
    // wide window's lobe may merge with the mirror's, and then nothing is named.
    void toneNearTheEnds_data()
    {
        QTest::addColumn<WindowFunction>("window");
        QTest::addColumn<int>("n");
        QTest::addColumn<double>("cycles");
        QTest::addColumn<double>("phase");
        QTest::addColumn<bool>("named");
        forEachWindow([](const WindowShape& shape, int32_t n) {
            const bool narrow = shape.function == WindowFunction::rectangular;
            for (int p = 0; p < 4; ++p) {
                const double phase = 0.3 + p * std::numbers::pi / 2;
                QTest::addRow("%s N=%d bin 1 phase %d", shape.name, n, p)
                    << shape.function << n << 1.0 << phase << narrow;
                QTest::addRow("%s N=%d bin N/2-1 phase %d", shape.name, n, p)
                    << shape.function << n << n / 2 - 1.0 << phase << narrow;
                for (double cycles : {6.3, 9.5, n / 2 - 9.5, n / 2 - 6.7})
                    QTest::addRow("%s N=%d bin %.1f phase %d", shape.name, n, cycles, p)
                        << shape.function << n << cycles << phase << true;
            }
        });
    }
    void toneNearTheEnds()
    {
        QFETCH(WindowFunction, window);
        QFETCH(int, n);
        QFETCH(double, cycles);
        QFETCH(double, phase);
        QFETCH(bool, named);
        const double amplitude = 10000;
        const auto peak = read(synthetic::tone(n, cycles, amplitude, phase), window).peak;
        if (!peak) {
            QVERIFY2(!named, "no peak named");
            return;
        }
        QVERIFY2(std::fabs(peak->bin - cycles) <= 0.05, qPrintable(QString::number(peak->bin, 'f', 4)));
        QVERIFY2(std::fabs(peak->decibels - decibels(amplitude)) <= 0.3, qPrintable(QString::number(peak->decibels)));
    }

    // A steady offset is no tone, whatever its skirt does; a tone beside it is
    // still the peak.
    void offset_data()
    {
        QTest::addColumn<WindowFunction>("window");
        QTest::addColumn<int>("n");
        QTest::addColumn<double>("toneCycles");  // 0 for none
        for (const WindowShape& shape : windowShapes())
            for (int32_t n : {1024, 16384}) {
                QTest::addRow("%s N=%d offset alone", shape.name, n) << shape.function << n << 0.0;
                QTest::addRow("%s N=%d offset and a tone", shape.name, n) << shape.function << n << n / 20.0 + 0.3;
            }
    }
    void offset()
    {
        QFETCH(WindowFunction, window);
        QFETCH(int, n);
        QFETCH(double, toneCycles);
        auto samples = synthetic::noise(n, 3.0, 300.0);
        if (toneCycles > 0) {
            const auto tone = synthetic::tone(n, toneCycles, 100.0, 1.0);
            for (size_t i = 0; i < samples.size(); ++i)
                samples[i] = int16_t(samples[i] + tone[i]);
        }
        const auto peak = read(samples, window).peak;
        if (toneCycles == 0) {
            QVERIFY2(!peak, qPrintable(QStringLiteral("named bin %1").arg(peak ? peak->bin : 0)));
            return;
        }
        QVERIFY(peak);
        QCOMPARE_LE(std::fabs(peak->bin - toneCycles), 0.02);
    }

    // A peak is named only when it stands 20 dB above the median bin.
    void prominence_data()
    {
        QTest::addColumn<double>("height");  // dB above the median
        QTest::addColumn<bool>("named");
        QTest::newRow("silence") << -400.0 << false;
        QTest::newRow("19.9 dB") << 19.9 << false;
        QTest::newRow("20.1 dB") << 20.1 << true;
        QTest::newRow("60 dB") << 60.0 << true;
    }
    void prominence()
    {
        QFETCH(double, height);
        QFETCH(bool, named);
        const int32_t n = 1024;
        WindowWeights weights;
        PeakEstimator estimator;
        estimator.prepare(weights.weights(n));
        // A floor of equal bins, the highest rising above it and its neighbours
        // halfway, as a tone between bins leaves them.
        const bool silent = height < -300;
        std::vector<double> spectrum(size_t(n) + 2, 0.0);
        for (int32_t k = 0; k <= n / 2; ++k)
            spectrum[2 * size_t(k)] = silent ? 0.0 : 1.0;
        const double peak = std::pow(10.0, height / 20);
        for (auto [bin, value] : {std::pair{300, peak}, {299, std::sqrt(peak)}, {301, std::sqrt(peak)}})
            spectrum[2 * size_t(bin)] = silent ? 0.0 : value;
        QCOMPARE(estimator.estimate(spectrum, 44100.0).has_value(), named);
    }

    void badInput()
    {
        PeakEstimator estimator;
        const std::vector<double> spectrum(1026, 1.0);
        QVERIFY(!estimator.estimate(spectrum, 44100.0));  // not prepared
        WindowWeights weights;
        estimator.prepare(weights.weights(1024));
        QVERIFY(!estimator.estimate(std::span(spectrum).first(100), 44100.0));
        QVERIFY(!estimator.estimate(spectrum, 0.0));
        std::vector<double> broken(1026, std::nan(""));
        QVERIFY(!estimator.estimate(broken, 44100.0));
    }
};

QTEST_GUILESS_MAIN(PeakEstimateTest)
#include "test_peak_estimate.moc"
