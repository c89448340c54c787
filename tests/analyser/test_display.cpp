// The display options and picture commands, and what the window sends the
// real chart and waterfall, read back from the components themselves.
#include "test_capture_fixture.h"

#include <interfaces/trazel.h>

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

using namespace vellarin;
using automation::Variant;
namespace id = trazel::dispid;

namespace {

struct Window : capture_test::LiveWindow {
    Form1& f = *window;
    automation::Dispatch& chart = *f.chart().component()->dispatch();

    explicit Window(bool shown = false)
    {
        if (shown) {
            f.show();
            QVERIFY(QTest::qWaitForWindowExposed(&f));
        }
    }
    Variant chartGet(automation::DispId member)
    {
        Variant out;
        chart.get(member, out);
        return out;
    }
    // Every axis command clears the chart's text: proof that one came.
    void markChartText() { chart.put(id::ChartText, Variant(QString("mark"))); }
    bool commandSent() { return automation::asString(chartGet(id::ChartText)).isEmpty(); }
    // A frame with a tone of a tenth of full scale in `bin`.
    bool drawTone(int bin)
    {
        return tickDraws(state().FFTSize / 512, capture_test::binSine(bin, state().FFTSize, 3276.7));
    }

    // The chart column where the trace reaches highest on screen.
    int traceTop()
    {
        Variant colour;
        chart.getIndexed(id::PLine, Variant(int16_t(0)), colour);
        const int32_t bgr = toLong(colour);
        const QRgb trace = qRgb(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
        const QImage picture = f.chart().widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        int column = -1;
        for (int y = 0; y < picture.height() && column < 0; ++y)
            for (int x = 0; x < picture.width() && column < 0; ++x)
                column = picture.pixel(x, y) == trace ? x : -1;
        return column;
    }
};

struct PaintCounter final : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

}  // namespace

class DisplayTest : public QObject {
    Q_OBJECT
private slots:
    void directionsAndThe3DView()
    {
        Window w;
        w.start();
        Form1& f = w.f;
        f.Check1->click();
        QCOMPARE(f.waterfall().view3D(), 0);
        const QPair<QRadioButton*, int> options[] = {{f.Option1, 1}, {f.Option2, 4}, {f.Option3, 0},
                                                     {f.Option4, 2}, {f.Option5, 3}, {f.Option6, 5}};
        for (const auto& [option, direction] : options) {
            option->click();
            QCOMPARE(f.waterfall().scrollDirection(), direction);
        }
        // "i Right to Left" stays selected and in force under the 3D view, greyed.
        f.Check1->click();
        QCOMPARE(f.waterfall().view3D(), 1);
        QVERIFY(!f.Option4->isEnabled() && !f.Option6->isEnabled() && f.Option6->isChecked());
        QCOMPARE(f.waterfall().scrollDirection(), 5);
        f.Check1->click();
        QCOMPARE(f.waterfall().view3D(), 0);
        QVERIFY(f.Option4->isEnabled() && f.Option6->isEnabled());
    }

    void persistence()
    {
        Window w;
        w.f.Persist->click();
        QCOMPARE(toLong(w.chartGet(id::SumWaveforms)), -1);
        QVERIFY(w.f.HScroll2->isEnabled());
        w.f.HScroll2->setValue(100);
        // Unchecked: the bar is disabled, the chart keeps its value, and the
        // resize handling that follows rebuilds the bin maps.
        w.mutableState().ChartFitMap[512][0] = -1;
        w.f.Persist->click();
        QCOMPARE(toLong(w.chartGet(id::SumWaveforms)), 0);
        QVERIFY(!w.f.HScroll2->isEnabled());
        QCOMPARE(toLong(w.chartGet(id::Persist)), 100);
        QCOMPARE(int(w.state().ChartFitMap[512][0]), w.f.chart().xmax());
    }

    void copyButtons()
    {
        Window w(true);
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->clear();
        w.f.Command3->click();
        QCOMPARE(clipboard->image().size(), w.f.chart().widget()->size());
        clipboard->clear();
        w.f.Command4->click();
        QCOMPARE(clipboard->image().size(), w.f.waterfall().widget()->size());
    }

    void whatTheWindowSendsItsComponents()
    {
        Window w(true);
        Form1& f = w.f;
        QCOMPARE(toLong(w.chartGet(id::ScrollMode)), 0);
        // The persistence bar sets the chart's value; Start sends it again.
        f.HScroll2->setValue(77);
        QCOMPARE(toLong(w.chartGet(id::Persist)), 77);
        f.chart().setPersist(0);
        f.Persist->setChecked(true);
        f.waterfall().setView3D(0);
        w.markChartText();
        const int columns = f.chart().xmax();
        QVERIFY(columns > 0 && columns < 2048);

        w.start("44100", "4096");
        QVERIFY(w.capturing());
        QCOMPARE(toLong(w.chartGet(id::Persist)), 77);
        QCOMPARE(toLong(w.chartGet(id::SumWaveforms)), -1);
        QVERIFY(w.commandSent());
        QCOMPARE(int(w.state().ChartFitMap[2048][0]), columns);
        QVERIFY(f.HScroll1->isEnabled());
        QCOMPARE(f.HScroll1->maximum(), 2048 - (columns - 1));
        QCOMPARE(f.waterfall().view3D(), 1);
        // Old traces neither kept nor faded, so only the newest is on screen.
        f.Persist->click();
        f.HScroll2->setValue(0);

        // Standard scaling shows the bins from the pan position on; the others the mapped line.
        f.HScroll1->setValue(100);
        QVERIFY(w.drawTone(300));
        QVERIFY(qAbs(w.traceTop() - 200) <= 1);
        for (QRadioButton* scaling : {f.LogX, f.StandardX}) {
            w.markChartText();
            scaling->click();
            QVERIFY(w.commandSent());
        }
        f.LogX->click();
        QVERIFY(w.drawTone(300));
        QVERIFY(qAbs(w.traceTop() - w.state().ChartLogMap[300][0]) <= 1);
        f.StandardX->click();

        // Every drawn frame adds a line to the waterfall.
        QWidget* waterfall = f.waterfall().widget();
        for (int bin : {500, 900, 1300}) {
            const QImage before = waterfall->grab().toImage();
            QVERIFY(w.drawTone(bin));
            QVERIFY(waterfall->grab().toImage() != before);
        }

        // Stopped, a pan redraws the chart from the last frame and puts the
        // waterfall's 3D view back, which repaints the waterfall.
        f.Command2->click();
        waterfall->repaint();  // Stop's own repaint happens now, not inside the count
        PaintCounter counter;
        waterfall->installEventFilter(&counter);
        f.HScroll1->setValue(1000);
        QTRY_VERIFY(counter.paints > 0);
        QVERIFY(qAbs(w.traceTop() - 300) <= 1);
    }
};

QTEST_MAIN(DisplayTest)
#include "test_display.moc"
