// The pointer readouts and the level window: the cross-hair and waterfall
// readings in Label5, the chart's zoom and Best Dynamic Range, on a window
// with the real chart and waterfall and the levels of a known last frame.
#include "component_site.h"
#include "test_capture_fixture.h"

#include <QLabel>
#include <QScrollBar>
#include <QTest>

using namespace vellarin;
using Points = QList<QPair<int, int>>;  // (bin, level)

namespace {

constexpr int chartColumns = 600;
constexpr double waterfallWidth = 700;
// Not a whole number of pixels, as a height in twips often is not.
constexpr double waterfallHeight = 300.5;

struct Window : capture_test::LiveWindow {
    // A stopped window whose last frame had these levels (`base` everywhere else).
    Window(int16_t scaling, int fftSize, int firstBin, int base = 0, const Points& levels = {})
    {
        Form1& w = *window;
        const TwipsScale scale = TwipsScale::of(&w);
        w.chart().setXmax(chartColumns);
        w.Cascadra1->setWidthTwips(float(waterfallWidth * scale.perPixelX));
        w.Cascadra1->setHeightTwips(float(waterfallHeight * scale.perPixelY));
        AnalyserState& s = mutableState();
        s.FFTSize = fftSize;
        s.FreqScaling = scaling;
        w.buildBinMaps();
        w.HScroll1->setMaximum(fftSize / 2);
        w.HScroll1->setValue(firstBin);
        s.BinLevel.fill(int16_t(base));
        for (const auto& [bin, level] : levels)
            s.BinLevel[bin] = int16_t(level);
    }
};

}  // namespace

class ReadoutTest : public QObject {
    Q_OBJECT
private slots:
    void crossHair_data()
    {
        QTest::addColumn<int>("scaling");
        QTest::addColumn<int>("fftSize");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<int>("firstBin");
        QTest::addColumn<Points>("levels");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("caption");

        QTest::newRow("bin 1 at full scale") << 0 << 1024 << "44100" << 0 << Points{{1, 32767}} << 1
                                             << "43.1Hz 90.31dB";
        QTest::newRow("logarithmic: column 0 reads bin 1")
            << 1 << 1024 << "44100" << 0 << Points{{0, -5}, {1, 32767}} << 0 << "43.1Hz 90.31dB";
        QTest::newRow("full-fit: column 300 reads bin 256")
            << 2 << 1024 << "44100" << 0 << Points{{255, 9}, {256, 0}} << 300 << "11025.0Hz 0.00dB";
        QTest::newRow("two-axis cross-hair reads column 0, silence")
            << 0 << 4096 << "8000" << 7 << Points{{7, -31211}} << -1860120 << "13.7Hz -86.02dB";
        QTest::newRow("past the last column, NoData past the spectrum")
            << 0 << 1024 << "22050" << 0 << Points{{599, NoData}} << 5000 << "12898.4Hz -90.31dB";
        QTest::newRow("standard, panned") << 0 << 4096 << "11025 Hz" << 100 << Points{{150, 7257}} << 50
                                          << "403.7Hz 20.00dB";
        QTest::newRow("a rate without a number reads 0 Hz")
            << 0 << 1024 << "auto" << 0 << Points{{40, -7257}} << 40 << "0.0Hz -20.00dB";
    }

    void crossHair()
    {
        QFETCH(int, scaling);
        QFETCH(int, fftSize);
        QFETCH(QString, rate);
        QFETCH(int, firstBin);
        QFETCH(Points, levels);
        QFETCH(int, offset);
        QFETCH(QString, caption);

        Window w(int16_t(scaling), fftSize, firstBin, 1000, levels);
        w.window->Combo1->setEditText(rate);
        w.window->crossHairMoved(offset);
        QCOMPARE(w.window->Label5->text(), caption);
    }

    void waterfallPointer_data()
    {
        QTest::addColumn<int>("scaling");
        QTest::addColumn<int>("direction");
        QTest::addColumn<int>("firstBin");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<QString>("caption");

        // 22050 Hz, 1024 points: 21.533 Hz a bin.
        QTest::newRow("bottom to top, panned") << 0 << 1 << 100 << 50 << 0 << "3230.0Hz";
        QTest::newRow("standard, past the spectrum reads bin 512") << 0 << 3 << 0 << 650 << 9 << "11025.0Hz";
        QTest::newRow("right to left, two decimals") << 0 << 2 << 0 << 9 << 1 << "21.53Hz";
        QTest::newRow("right to left, below the picture reads its last row") << 0 << 2 << 0 << 9 << 1000 << "6459.96Hz";
        QTest::newRow("left of the picture reads its first column") << 0 << 1 << 100 << -5 << 0 << "2153.3Hz";
        QTest::newRow("i right to left, a fraction of a bin") << 0 << 5 << 0 << 9 << 100 << "4317.41Hz";
        QTest::newRow("i right to left, logarithmic rounds the row") << 1 << 5 << 0 << 9 << 100 << "1399.66Hz";
        QTest::newRow("45 degree, logarithmic, left of the line's start") << 1 << 0 << 0 << 10 << 200 << "0.0Hz";
        QTest::newRow("45 degree, standard, left of the line's start") << 0 << 0 << 0 << 10 << 200 << "0.0Hz";
        QTest::newRow("45 degree, full-fit") << 2 << 0 << 0 << 300 << 280 << "5168.0Hz";
        QTest::newRow("full-fit, past the last mapped pixel reads bin 512")
            << 2 << 1 << 0 << 20000 << -3 << "11025.0Hz";
        QTest::newRow("right to left, full-fit uses the waterfall's own map") << 2 << 2 << 0 << 9 << 150 << "5534.03Hz";
    }

    void waterfallPointer()
    {
        QFETCH(int, scaling);
        QFETCH(int, direction);
        QFETCH(int, firstBin);
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(QString, caption);

        Window w(int16_t(scaling), 1024, firstBin);
        w.window->waterfall().setScrollDirection(direction);
        w.window->waterfall().setView3D(0);
        w.window->waterfallPointerMoved(int16_t(x), int16_t(y));
        QCOMPARE(w.window->Label5->text(), caption);
    }

    void waterfallReliefShiftsOnlyTheMinus45Direction()
    {
        Window w(StandardScaling, 1024, 0);
        Form1& f = *w.window;
        f.Combo1->setEditText("1024");  // one hertz a bin
        const auto reading = [&](int direction, int view3D) {
            f.waterfall().setScrollDirection(direction);
            f.waterfall().setView3D(view3D);
            f.waterfallPointerMoved(100, 30);
            return f.Label5->text();
        };
        QCOMPARE(reading(3, 1), QString("100.0Hz"));
        QCOMPARE(reading(3, 0), QString("100.0Hz"));
        QCOMPARE(reading(4, 0), QString("70.0Hz"));
        QVERIFY(f.waterfall().depth3D() > 0);
        QCOMPARE(reading(4, 1), QString::number(70 + f.waterfall().depth3D()) + ".0Hz");
    }

    void chartZoomSetsTheLevelWindow_data()
    {
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::addColumn<bool>("zoomed");
        QTest::newRow("the full range") << 0 << 32767 << false;
        QTest::newRow("one short of it") << 0 << 32766 << true;
        QTest::newRow("below zero") << -65536 << 65536 << true;
    }

    void chartZoomSetsTheLevelWindow()
    {
        QFETCH(int, min);
        QFETCH(int, max);
        QFETCH(bool, zoomed);
        Window w(StandardScaling, 1024, 0);
        w.mutableState().LevelZoomed = zoomed ? False : True;
        w.window->Label5->setText("kept");
        w.window->chartRangeChanged(min, max);
        const AnalyserState& s = w.state();
        QCOMPARE(s.LevelMin, min);
        QCOMPARE(s.LevelMax, max);
        QCOMPARE(s.LevelSpan, max - min);
        QCOMPARE(s.LevelZoomed, zoomed ? True : False);
        QCOMPARE(w.window->Label5->text(), QString("kept"));
    }

    void bestDynamicRange_data()
    {
        QTest::addColumn<int>("fftSize");
        QTest::addColumn<int>("firstBin");
        QTest::addColumn<int>("base");
        QTest::addColumn<Points>("levels");
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");

        QTest::newRow("silence") << 1024 << 0 << -31211 << Points{} << -31211 << 0;
        QTest::newRow("all full scale") << 1024 << 0 << 32767 << Points{} << 0 << 32767;
        QTest::newRow("NoData past the spectrum") << 1024 << 0 << 1000 << Points{{513, NoData}} << -32768 << 1500;
        QTest::newRow("-5000..20000") << 1024 << 0 << 0 << Points{{3, -5000}, {400, 20000}} << -5000 << 30000;
        QTest::newRow("highest level 1 goes to the even 2") << 1024 << 0 << -100 << Points{{9, 1}} << -100 << 2;
        QTest::newRow("highest level 3 goes to the even 4") << 1024 << 0 << -100 << Points{{9, 3}} << -100 << 4;
        QTest::newRow("too narrow: the chart widens it") << 1024 << 0 << 0 << Points{{9, 10}} << -9 << 23;
        QTest::newRow("only the bins on show")
            << 4096 << 1000 << 2000 << Points{{100, -20000}, {999, 30000}, {1600, 31000}} << 2000 << 3000;
    }

    void bestDynamicRange()
    {
        QFETCH(int, fftSize);
        QFETCH(int, firstBin);
        QFETCH(int, base);
        QFETCH(Points, levels);
        QFETCH(int, min);
        QFETCH(int, max);

        Window w(StandardScaling, fftSize, firstBin, base, levels);
        w.window->bestDynamicRange();
        const AnalyserState& s = w.state();
        QCOMPARE(w.window->chart().ymin(0), min);
        QCOMPARE(w.window->chart().ymax(0), max);
        QCOMPARE(s.LevelMin, min);
        QCOMPARE(s.LevelMax, max);
        QCOMPARE(s.LevelSpan, max - min);
        QCOMPARE(s.LevelZoomed, True);
    }
};

QTEST_MAIN(ReadoutTest)
#include "test_readouts.moc"
