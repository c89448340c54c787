// Spectrum frame processing: display levels, the waterfall's level window,
// the chart and waterfall lines in the three scalings, and the levels that a
// scripted tone leaves after a tick through the real FFT component.
#include "component_site.h"
#include "frequency_scaling.h"
#include "levels.h"
#include "spectrum_lines.h"
#include "test_capture_fixture.h"

#include <QRadioButton>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace vellarin;
using capture_test::LiveWindow;

using Points = QList<QPair<int, int>>;  // (index, value)

namespace {

struct Maps {
    BinMap chartLog{}, waterfallLog{}, chartFit{}, waterfallFit{};
};

std::unique_ptr<Maps> mapsFor(int fftSize, int columns)
{
    auto m = std::make_unique<Maps>();
    buildBinMaps(fftSize, columns, columns, {m->chartLog, m->waterfallLog, m->chartFit, m->waterfallFit});
    return m;
}

int peakIndex(const std::vector<int16_t>& line)
{
    return int(std::max_element(line.begin(), line.end()) - line.begin());
}

}  // namespace

class FrameTest : public QObject {
    Q_OBJECT
private slots:
    void levels_data()
    {
        QTest::addColumn<double>("amplitude");
        QTest::addColumn<int>("level");
        QTest::newRow("silence") << 0.0 << -31211;
        QTest::newRow("the floor") << 5e-5 << -31211;
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << -31211;
        QTest::newRow("one") << 1.0 << 0;
        QTest::newRow("one decade") << 10.0 << 7257;  // 7256.66
        QTest::newRow("four decades") << 10000.0 << 29027;
        QTest::newRow("full scale") << 32767.0 << 32767;
        QTest::newRow("beyond full scale") << 40000.0 << 32767;
    }

    void levels()
    {
        QFETCH(double, amplitude);
        QFETCH(int, level);
        QCOMPARE(int(amplitudeLevel(amplitude)), level);
    }

    // Against the formula in long double: a few million amplitudes spread
    // over the whole scale, and the doubles on each side of every boundary
    // between two levels.
    void levelsMatchTheFormula()
    {
        const long double scale = 32767.0L / std::log(32767.0L);
        const auto reference = [scale](double m) {
            m = std::clamp(m, LevelFloor, LevelCeiling);
            return int(std::nearbyint(std::log(static_cast<long double>(m)) * scale));  // ties to even
        };
        int mismatches = 0;
        double first = 0;
        const auto check = [&](double m) {
            if (amplitudeLevel(m) != reference(m) && mismatches++ == 0)
                first = m;
        };
        uint64_t noise = 1;
        for (int i = 0; i < 3'000'000; ++i) {
            noise = noise * 6364136223846793005u + 1442695040888963407u;
            check(LevelFloor * std::exp(double(noise >> 11) * 0x1p-53 * std::log(LevelCeiling / LevelFloor * 1.01)));
        }
        for (int level = -31211; level <= 32767; ++level) {
            double m = static_cast<double>(std::exp((level - 0.5L) / scale));
            for (int k = 0; k < 3; ++k)
                m = std::nextafter(m, 0.0);
            for (int k = 0; k < 7; ++k, m = std::nextafter(m, LevelCeiling))
                check(m);
        }
        QVERIFY2(mismatches == 0, qPrintable(QString("%1 mismatches, first at %2").arg(mismatches).arg(first, 0, 'g', 17)));
    }

    void waterfallValues_data()
    {
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("value");
        QTest::newRow("full window, negative") << 0 << 32767 << -5 << 0;
        QTest::newRow("full window, NoData") << 0 << 32767 << int(NoData) << 0;
        QTest::newRow("full window, inside") << 0 << 32767 << 16000 << 16000;
        QTest::newRow("full window, top") << 0 << 32767 << 32767 << 32767;
        QTest::newRow("zoomed, below") << 1000 << 2000 << 999 << 0;
        QTest::newRow("zoomed, half way ties to even") << 1000 << 2000 << 1500 << 16384;
        QTest::newRow("zoomed, above") << 1000 << 2000 << 2500 << 32767;
        QTest::newRow("window below NoData") << -70000 << 0 << int(NoData) << 17428;
    }

    void waterfallValues()
    {
        QFETCH(int, min);
        QFETCH(int, max);
        QFETCH(int, level);
        QFETCH(int, value);
        QCOMPARE(int(waterfallValue(level, {min, max, max - min})), value);
    }

    void spectrumOfATone_data()
    {
        QTest::addColumn<QString>("fftSize");
        QTest::addColumn<int>("bin");
        QTest::addColumn<double>("amplitude");
        QTest::addColumn<int>("peak");
        QTest::newRow("silence") << "1024" << 0 << 0.0 << -31211;
        QTest::newRow("full scale on bin 64") << "1024" << 64 << 32767.0 << 32767;
        QTest::newRow("full scale on bin 3000 of 16384") << "16384" << 3000 << 32767.0 << 32767;
        QTest::newRow("one decade down") << "4096" << 500 << 3276.7 << 25510;
    }

    void spectrumOfATone()
    {
        QFETCH(QString, fftSize);
        QFETCH(int, bin);
        QFETCH(double, amplitude);
        QFETCH(int, peak);

        LiveWindow w;
        w.start("44100", fftSize);
        const int n = w.state().FFTSize;
        QVERIFY(w.tickDraws(n / 512, capture_test::binSine(bin, n, amplitude)));
        const auto& levels = w.state().BinLevel;
        QVERIFY(qAbs(levels[bin] - peak) <= 2);
        for (int k = 0; k <= n / 2; ++k) {
            QVERIFY(levels[k] >= -31211);
            if (amplitude == 0)
                QCOMPARE(int(levels[k]), -31211);
            else if (qAbs(k - bin) > 1)
                QVERIFY2(levels[k] < peak - 20000, qPrintable(QString("bin %1: %2").arg(k).arg(levels[k])));
        }
    }

    void standardScalingBlanksPastTheSpectrum()
    {
        LiveWindow w;
        w.window->chart().setXmax(600);
        QCOMPARE(w.window->chart().xmax(), 600);
        w.start("44100", "1024");
        QVERIFY(w.tickDraws(2, capture_test::binSine(30, 1024, 1000)));
        const auto& levels = w.state().BinLevel;
        QVERIFY(levels[512] != NoData);
        for (int k = 513; k <= 599; ++k)
            QCOMPARE(levels[k], NoData);
    }

    void mappedLines_data()
    {
        QTest::addColumn<int>("fftSize");
        QTest::addColumn<int>("columns");
        QTest::addColumn<bool>("logarithmic");
        QTest::addColumn<bool>("waterfall");
        QTest::addColumn<int>("background");  // level of every bin not listed
        QTest::addColumn<Points>("bins");
        QTest::addColumn<Points>("expected");

        QTest::newRow("log: bin 1 beats bin 0 on column 0")
            << 1024 << 500 << true << false << -20000 << Points{{0, 100}, {1, 200}} << Points{{0, 200}};
        QTest::newRow("log: bin 2 on column 56, interpolated towards")
            << 1024 << 500 << true << false << 0 << Points{{0, 0}, {1, 0}, {2, 5600}}
            << Points{{1, 100}, {28, 2800}, {55, 5500}, {56, 5600}};
        QTest::newRow("full-fit: the highest of many bins per column")
            << 16384 << 500 << false << false << -1000 << Points{{0, -2000}, {5, 4000}, {20, 7000}}
            << Points{{0, 4000}, {1, 7000}, {2, -1000}};
        QTest::newRow("full-fit: interpolation across empty columns")
            << 1024 << 1000 << false << false << 0 << Points{{0, 0}, {1, 1000}, {2, 3000}}
            << Points{{1, 500}, {2, 1000}, {3, 2000}, {4, 3000}};
        QTest::newRow("full-fit: last column leans towards bin N/2")
            << 1024 << 1000 << false << false << 0 << Points{{511, 0}, {512, 2000}} << Points{{998, 0}, {999, 1000}};
        QTest::newRow("waterfall: through the level window")
            << 1024 << 1000 << false << true << 0 << Points{{0, -500}, {1, 1000}, {2, 3000}}
            << Points{{0, 0}, {1, 500}, {2, 1000}, {3, 2000}};
        QTest::newRow("chart wider than the line")
            << 1024 << 20000 << false << false << 7 << Points{{0, 1}, {400, 900}}
            << Points{{0, 1}, {15625, 900}};
    }

    void mappedLines()
    {
        QFETCH(int, fftSize);
        QFETCH(int, columns);
        QFETCH(bool, logarithmic);
        QFETCH(bool, waterfall);
        QFETCH(int, background);
        QFETCH(Points, bins);
        QFETCH(Points, expected);

        std::array<int16_t, MaxFFTSize + 1> levels;
        levels.fill(int16_t(background));
        for (const auto& [k, level] : bins)
            levels[k] = int16_t(level);
        const auto maps = mapsFor(fftSize, columns);
        const BinMap& map = logarithmic ? maps->chartLog : maps->chartFit;

        std::vector<int16_t> line(std::min(columns, MaxFFTSize) + 1, 0);
        if (waterfall)
            buildMappedWaterfallLine(levels, fftSize / 2, map, LevelWindow{}, line);
        else
            buildMappedChartLine(levels, fftSize / 2, map, line);
        for (const auto& [column, value] : expected)
            QVERIFY2(line[column] == value, qPrintable(QString("column %1: %2").arg(column).arg(line[column])));
    }

    void standardWaterfallLine_data()
    {
        QTest::addColumn<int>("firstBin");
        QTest::addColumn<bool>("zoomed");
        QTest::addColumn<Points>("expected");
        // 600 columns over a 1024-point spectrum; bin k holds k - 100.
        // Element 600, past the chart, shows no bin.
        QTest::newRow("raw levels, negatives and NoData past the spectrum")
            << 0 << false << Points{{0, -100}, {512, 412}, {513, NoData}, {599, NoData}, {600, NoData}};
        QTest::newRow("zoomed: window values, 0 past the spectrum")
            << 0 << true << Points{{0, 0}, {100, 0}, {150, 50}, {512, 412}, {513, 0}, {600, NoData}};
        QTest::newRow("panned") << 100 << false << Points{{0, 0}, {412, 412}, {413, NoData}};
        QTest::newRow("panned past the arrays") << 16300 << false << Points{{0, NoData}, {599, NoData}};
    }

    void standardWaterfallLine()
    {
        QFETCH(int, firstBin);
        QFETCH(bool, zoomed);
        QFETCH(Points, expected);

        std::array<int16_t, MaxFFTSize + 1> levels;
        for (int k = 0; k < int(levels.size()); ++k)
            levels[k] = int16_t(k - 100);
        std::vector<int16_t> line(601, 0);
        buildStandardWaterfallLine(levels, 512, firstBin, 600, zoomed, LevelWindow{}, line);
        for (const auto& [column, value] : expected)
            QVERIFY2(line[column] == value, qPrintable(QString("column %1: %2").arg(column).arg(line[column])));
    }

    void waterfallLineFollowsTheDirection_data()
    {
        QTest::addColumn<QString>("scaling");
        QTest::addColumn<int>("direction");
        QTest::addColumn<bool>("alongHeight");
        QTest::newRow("log, right to left") << "LogX" << 2 << true;
        QTest::newRow("log, inverted right to left") << "LogX" << 5 << true;
        QTest::newRow("full-fit, inverted right to left") << "FullFreqX" << 5 << true;
        QTest::newRow("standard, right to left") << "StandardX" << 2 << false;
    }

    void waterfallLineFollowsTheDirection()
    {
        QFETCH(QString, scaling);
        QFETCH(int, direction);
        QFETCH(bool, alongHeight);

        LiveWindow w;
        w.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
        w.start("44100", "1024");
        w.window->findChild<QRadioButton*>(scaling)->click();
        w.window->waterfall().setScrollDirection(direction);
        constexpr int bin = 100;
        QVERIFY(w.tickDraws(2, capture_test::binSine(bin, 1024, 10000)));

        const AnalyserState& s = w.state();
        const int columns = w.window->chart().xmax();
        const int pixels = w.window->Cascadra1->heightTwips() / TwipsScale::of(w.window.get()).perPixelY + 0.5;
        QVERIFY(pixels > 50 && pixels != columns);
        QCOMPARE(int(s.WaterfallLine.size()), (alongHeight ? pixels : columns) + 1);
        if (scaling == "StandardX")
            return;
        const bool logarithmic = scaling == "LogX";
        const BinMap& map = alongHeight ? (logarithmic ? s.WaterfallLogMap : s.WaterfallFitMap)
                                        : (logarithmic ? s.ChartLogMap : s.ChartFitMap);
        QCOMPARE(peakIndex(s.WaterfallLine), int(map[bin][0]));
        const BinMap& chartMap = logarithmic ? s.ChartLogMap : s.ChartFitMap;
        QCOMPARE(int(std::max_element(s.ChartLine.begin(), s.ChartLine.begin() + columns) - s.ChartLine.begin()),
                 int(chartMap[bin][0]));
    }
};

QTEST_MAIN(FrameTest)
#include "test_frame.moc"
