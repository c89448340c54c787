// The display options and picture commands, and what the window sends the
// real chart and waterfall, read back from the components themselves.
#include "component_site.h"
#include "test_capture_fixture.h"

#include <automation/interfaces/trazel.h>

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

#include <climits>

using namespace vellarin;
using capture_test::binSine;
using capture_test::LiveWindow;

namespace {

automation::Variant chartProperty(Form1& w, automation::DispId id)
{
    automation::Variant out;
    w.chart().component()->dispatch()->get(id, out);
    return out;
}

int32_t chartLong(Form1& w, automation::DispId id) { return toLong(chartProperty(w, id)); }

// Every command but a few clears the chart's text: proof that one came.
void markChartText(Form1& w)
{
    w.chart().component()->dispatch()->put(trazel::dispid::ChartText, automation::Variant(QString("mark")));
}
bool commandSentSinceMark(Form1& w) { return automation::asString(chartProperty(w, trazel::dispid::ChartText)).isEmpty(); }

// The chart column at which the trace reaches highest on screen.
int traceTop(Form1& w)
{
    automation::Variant colour;
    w.chart().component()->dispatch()->getIndexed(trazel::dispid::PLine, automation::Variant(int16_t(0)), colour);
    const int32_t bgr = toLong(colour);
    const QRgb trace = qRgb(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
    const QImage picture = w.chart().widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int column = -1, top = picture.height();
    for (int x = 0; x < picture.width(); ++x)
        for (int y = 0; y < top; ++y)
            if (picture.pixel(x, y) == trace) {
                column = x;
                top = y;
                break;
            }
    return column;
}

struct PaintCounter final : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

struct ShownWindow : LiveWindow {
    ShownWindow()
    {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    // A frame with a tone of a tenth of full scale in `bin`.
    bool drawTone(int bin)
    {
        const int n = state().FFTSize;
        return tickDraws(n / 512, binSine(bin, n, 3276.7));
    }
};

}  // namespace

class DisplayTest : public QObject {
    Q_OBJECT
private slots:
    void directionsAndThe3DView()
    {
        LiveWindow w;
        w.start();
        Form1& f = *w.window;
        CascadraBinding& waterfall = f.waterfall();
        f.Check1->click();
        QCOMPARE(waterfall.view3D(), 0);
        const struct {
            QRadioButton* option;
            int direction;
        } options[] = {{f.Option1, 1}, {f.Option2, 4}, {f.Option3, 0}, {f.Option4, 2}, {f.Option5, 3}, {f.Option6, 5}};
        for (const auto& o : options) {
            o.option->click();
            QCOMPARE(waterfall.scrollDirection(), o.direction);
        }
        // "i Right to Left" stays selected and in force under the 3D view, greyed.
        f.Check1->click();
        QCOMPARE(waterfall.view3D(), 1);
        QVERIFY(!f.Option4->isEnabled() && !f.Option6->isEnabled());
        QVERIFY(f.Option6->isChecked());
        QCOMPARE(waterfall.scrollDirection(), 5);
        f.Check1->click();
        QCOMPARE(waterfall.view3D(), 0);
        QVERIFY(f.Option4->isEnabled() && f.Option6->isEnabled());
    }

    void persistence()
    {
        LiveWindow w;
        Form1& f = *w.window;
        f.Persist->click();
        QCOMPARE(chartLong(f, trazel::dispid::SumWaveforms), -1);
        QVERIFY(f.HScroll2->isEnabled());
        f.HScroll2->setValue(100);
        QCOMPARE(chartLong(f, trazel::dispid::Persist), 100);

        // The resize handling runs after: it rebuilds the bin maps.
        w.mutableState().ChartFitMap[512][0] = -1;
        f.Persist->click();
        QCOMPARE(chartLong(f, trazel::dispid::SumWaveforms), 0);
        QVERIFY(!f.HScroll2->isEnabled());
        QCOMPARE(chartLong(f, trazel::dispid::Persist), 100);
        QCOMPARE(int(w.state().ChartFitMap[512][0]), f.chart().xmax());
    }

    void copyButtons()
    {
        ShownWindow w;
        Form1& f = *w.window;
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->clear();
        f.Command3->click();
        QCOMPARE(clipboard->image().size(), f.chart().widget()->size());
        clipboard->clear();
        f.Command4->click();
        QCOMPARE(clipboard->image().size(), f.waterfall().widget()->size());
    }

    void whatTheWindowSendsItsComponents()
    {
        ShownWindow w;
        Form1& f = *w.window;
        QCOMPARE(chartLong(f, trazel::dispid::ScrollMode), 0);

        // The persistence bar sets the chart's value; Start sends it again.
        f.HScroll2->setValue(77);
        QCOMPARE(chartLong(f, trazel::dispid::Persist), 77);
        f.chart().setPersist(0);
        f.Persist->setChecked(true);
        f.waterfall().setView3D(0);
        markChartText(f);
        const int columns = f.chart().xmax();
        QVERIFY(columns > 0 && columns < 2048);

        w.start("44100", "4096");
        QVERIFY(w.capturing());
        QCOMPARE(chartLong(f, trazel::dispid::Persist), 77);
        QCOMPARE(chartLong(f, trazel::dispid::SumWaveforms), -1);
        QVERIFY(commandSentSinceMark(f));
        QCOMPARE(int(w.state().ChartFitMap[2048][0]), columns);
        QVERIFY(f.HScroll1->isEnabled());
        QCOMPARE(f.HScroll1->maximum(), 2048 - (columns - 1));
        QCOMPARE(f.waterfall().view3D(), 1);
        // Old traces neither kept nor faded, so only the newest is on screen.
        f.Persist->click();
        f.HScroll2->setValue(0);

        // Standard scaling shows bins from the pan position on; the others the mapped line.
        f.HScroll1->setValue(100);
        QVERIFY(w.drawTone(300));
        QVERIFY(qAbs(traceTop(f) - 200) <= 1);
        markChartText(f);
        f.LogX->click();
        QVERIFY(commandSentSinceMark(f));
        QVERIFY(w.drawTone(300));
        QVERIFY(qAbs(traceTop(f) - w.state().ChartLogMap[300][0]) <= 1);
        markChartText(f);
        f.StandardX->click();
        QVERIFY(commandSentSinceMark(f));

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
        QTest::qWait(20);
        PaintCounter counter;
        waterfall->installEventFilter(&counter);
        f.HScroll1->setValue(1000);
        QTRY_VERIFY(counter.paints > 0);
        QVERIFY(qAbs(traceTop(f) - 300) <= 1);
    }
};

QTEST_MAIN(DisplayTest)
#include "test_display.moc"
