// The pointer readouts and the level window, on a stopped window with the
// real chart and waterfall whose last frame had known levels.
#include "component_site.h"
#include "test_capture_fixture.h"

#include <QLabel>
#include <QScrollBar>
#include <QTest>

using namespace vellarin;
using Points = QList<QPair<int, int>>;  // (bin, level)

namespace {

// Scaling, FFT size, pan, the levels (`base` where not listed), and the rate text.
struct Frame {
    int scaling = 0, fftSize = 1024, firstBin = 0, base = 1000;
    Points levels;
    QString rate = "22050";
};

struct Window : capture_test::LiveWindow {
    explicit Window(const Frame& f)
    {
        Form1& w = *window;
        const TwipsScale scale = TwipsScale::of(&w);
        w.chart().setXmax(600);
        // Not a whole number of pixels high, as a height in twips often is not.
        w.Cascadra1->setWidthTwips(float(700 * scale.perPixelX));
        w.Cascadra1->setHeightTwips(float(300.5 * scale.perPixelY));
        w.Combo1->setEditText(f.rate);
        AnalyserState& s = mutableState();
        s.FFTSize = f.fftSize;
        s.FreqScaling = int16_t(f.scaling);
        w.buildBinMaps();
        w.HScroll1->setMaximum(f.fftSize / 2);
        w.HScroll1->setValue(f.firstBin);
        s.BinLevel.fill(int16_t(f.base));
        for (const auto& [bin, level] : f.levels)
            s.BinLevel[bin] = int16_t(level);
    }
};

}  // namespace

Q_DECLARE_METATYPE(Frame)

class ReadoutTest : public QObject {
    Q_OBJECT
private slots:
    void crossHair_data()
    {
        QTest::addColumn<Frame>("frame");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("caption");
        // Point j of a line is drawn on column j + 1: each column reads the bin drawn on it.
        QTest::newRow("bin 1 at full scale") << Frame{0, 1024, 0, 0, {{1, 32767}}, "44100"} << 2 << "43.1Hz 90.31dB";
        QTest::newRow("panned, the tone's own column") << Frame{0, 16384, 1500, 0, {{1600, 32767}}, "44100"} << 101
                                                       << "4306.6Hz 90.31dB";
        QTest::newRow("column 0 reads the first bin") << Frame{0, 4096, 100, 0, {{100, 7257}}, "11025 Hz"} << 0
                                                      << "269.2Hz 20.00dB";
        QTest::newRow("log: column 0 reads bin 1") << Frame{1, 1024, 0, 0, {{1, 32767}}, "44100"} << 0
                                                   << "43.1Hz 90.31dB";
        QTest::newRow("full-fit: column 300 reads bin 256") << Frame{2, 1024, 0, 9, {{256, 0}}, "44100"} << 300
                                                            << "11025.0Hz 0.00dB";
        // -(x + 60000 (y + 1)): column 120, row 30.
        QTest::newRow("two-line cross-hair reads its column") << Frame{0, 4096, 7, 0, {{126, -31211}}, "8000"}
                                                              << -1860120 << "246.1Hz -86.02dB";
        QTest::newRow("past the last column, NoData") << Frame{0, 1024, 0, 0, {{598, NoData}}} << 5000
                                                      << "12876.9Hz -90.31dB";
        QTest::newRow("no rate reads 0 Hz") << Frame{0, 1024, 0, 0, {{40, -7257}}, "auto"} << 41 << "0.0Hz -20.00dB";
    }

    void crossHair()
    {
        QFETCH(Frame, frame);
        QFETCH(int, offset);
        Window w(frame);
        w.window->crossHairMoved(offset);
        QTEST(w.window->Label5->text(), "caption");
    }

    void waterfallPointer_data()
    {
        QTest::addColumn<Frame>("frame");
        QTest::addColumn<int>("direction");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<QString>("caption");
        // 22050 Hz, 1024 points: 21.533 Hz a bin; the picture is 700 x 300.5.
        QTest::newRow("bottom to top, panned") << Frame{0, 1024, 100} << 1 << QPoint(50, 0) << "3230.0Hz";
        QTest::newRow("left of the picture") << Frame{0, 1024, 100} << 1 << QPoint(-5, 0) << "2153.3Hz";
        QTest::newRow("past the spectrum reads bin 512") << Frame{} << 3 << QPoint(650, 9) << "11025.0Hz";
        QTest::newRow("below the picture reads its last row") << Frame{} << 2 << QPoint(9, 1000) << "6459.96Hz";
        QTest::newRow("i right to left, a fraction of a bin") << Frame{} << 5 << QPoint(9, 100) << "4317.41Hz";
        QTest::newRow("i right to left, log rounds the row") << Frame{1} << 5 << QPoint(9, 100) << "1399.66Hz";
        QTest::newRow("45 degree, log, left of the line") << Frame{1} << 0 << QPoint(10, 200) << "0.0Hz";
        QTest::newRow("45 degree, standard, left of the line") << Frame{} << 0 << QPoint(10, 200) << "0.0Hz";
        QTest::newRow("45 degree, full-fit") << Frame{2} << 0 << QPoint(300, 280) << "5168.0Hz";
        QTest::newRow("full-fit, past the last pixel") << Frame{2} << 1 << QPoint(20000, -3) << "11025.0Hz";
        QTest::newRow("right to left, the waterfall's own map") << Frame{2} << 2 << QPoint(9, 150) << "5534.03Hz";
    }

    void waterfallPointer()
    {
        QFETCH(Frame, frame);
        QFETCH(int, direction);
        QFETCH(QPoint, at);
        Window w(frame);
        w.window->waterfall().setScrollDirection(direction);
        w.window->waterfall().setView3D(0);
        w.window->waterfallPointerMoved(int16_t(at.x()), int16_t(at.y()));
        QTEST(w.window->Label5->text(), "caption");
    }

    void reliefShiftsOnlyTheMinus45Direction()
    {
        Window w(Frame{0, 1024, 0, 0, {}, "1024"});  // one hertz a bin
        Form1& f = *w.window;
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

    void chartZoom_data()
    {
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::addColumn<int16_t>("zoomed");
        QTest::newRow("the full range") << 0 << 32767 << False;
        QTest::newRow("one short of it") << 0 << 32766 << True;
    }

    void chartZoom()
    {
        QFETCH(int, min);
        QFETCH(int, max);
        Window w(Frame{});
        w.window->Label5->setText("kept");
        w.window->chartRangeChanged(min, max);
        const AnalyserState& s = w.state();
        QCOMPARE(QList<int>({s.LevelMin, s.LevelMax, s.LevelSpan}), QList<int>({min, max, max - min}));
        QTEST(s.LevelZoomed, "zoomed");
        QCOMPARE(w.window->Label5->text(), QString("kept"));
    }

    void bestDynamicRange_data()
    {
        QTest::addColumn<Frame>("frame");
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::newRow("silence") << Frame{0, 1024, 0, -31211} << -31211 << 0;
        QTest::newRow("all full scale") << Frame{0, 1024, 0, 32767} << 0 << 32767;
        QTest::newRow("NoData past the spectrum") << Frame{0, 1024, 0, 1000, {{513, NoData}}} << -32768 << 1500;
        QTest::newRow("-5000..20000") << Frame{0, 1024, 0, 0, {{3, -5000}, {400, 20000}}} << -5000 << 30000;
        QTest::newRow("highest level 1 goes to 2") << Frame{0, 1024, 0, -100, {{9, 1}}} << -100 << 2;
        QTest::newRow("highest level 3 goes to the even 4") << Frame{0, 1024, 0, -100, {{9, 3}}} << -100 << 4;
        QTest::newRow("too narrow: the chart widens it") << Frame{0, 1024, 0, 0, {{9, 10}}} << -9 << 23;
        QTest::newRow("only the bins on show")
            << Frame{0, 4096, 1000, 2000, {{100, -20000}, {999, 30000}, {1600, 31000}}} << 2000 << 3000;
    }

    void bestDynamicRange()
    {
        QFETCH(Frame, frame);
        QFETCH(int, min);
        QFETCH(int, max);
        Window w(frame);
        w.window->bestDynamicRange();
        const AnalyserState& s = w.state();
        TrazelBinding& chart = w.window->chart();
        QCOMPARE(QList<int>({chart.ymin(0), chart.ymax(0), s.LevelMin, s.LevelMax, s.LevelSpan}),
                 QList<int>({min, max, min, max, max - min}));
        QCOMPARE(s.LevelZoomed, True);
    }
};

QTEST_MAIN(ReadoutTest)
#include "test_readouts.moc"
