// The mouse on the chart's window, through a chart created by class identity
// with a host's event sink connected: zoom, reset and drag of the vertical
// scale with their ChartChanged events, cross-hairs with their CrossHair
// offsets, and the inverting figures on the window. Charts are 300 x 200, so
// the centre row is 100.
#include "test_chart_render_host.h"

#include <QMouseEvent>
#include <QWheelEvent>

using namespace charttest;

namespace {

// The host's sink: each event as text, "C:min,max" or "X:offset".
struct EventLog : EventSink {
    QStringList events;
    void onEvent(DispId event, std::span<const Variant> args) override
    {
        if (event == trazel::eventid::ChartChanged && args.size() == 2)
            events << QStringLiteral("C:%1,%2").arg(asLong(args[0])).arg(asLong(args[1]));
        else if (event == trazel::eventid::CrossHair && args.size() == 1)
            events << QStringLiteral("X:%1").arg(asLong(args[0]));
        else
            events << QStringLiteral("?%1").arg(event);
    }
};

class MouseHost : public PictureHost {
public:
    MouseHost(bool lock, bool group) : PictureHost(300, 200)
    {
        object->connectionPoint()->advise(&log);
        put(id::Lock, Variant::fromBool(lock));
        put(id::GroupSetting, Variant::fromBool(group));
    }

    // Gestures separated by ';': "ld x y" / "lu x y" / "rd x y" / "ru x y"
    // left or right button down or up, "mv x y" a move with the buttons held,
    // "hover x y" a move with none,
    // "ldbl" / "rdbl" double-clicks ("s" in front: with Shift), "wh d" the
    // wheel turned by d eighths of a degree, "ch v" a ChartEx of one value
    // across the chart, "hide" the window hidden and shown again, "Ymax c v"
    // / "Ymin c v" scale puts on channel c.
    void run(const QString& script)
    {
        QWidget& w = widget();
        for (const QString& gesture : script.split(u';', Qt::SkipEmptyParts)) {
            const QStringList t = gesture.split(u' ', Qt::SkipEmptyParts);
            const QString& op = t[0];
            const auto at = [&] { return QPoint(t[1].toInt(), t[2].toInt()); };
            const Qt::MouseButton button = op.startsWith(u'l') || op.startsWith(u"sl") ? Qt::LeftButton
                                                                                     : Qt::RightButton;
            if (op == u"ld" || op == u"rd")
                QTest::mousePress(&w, button, {}, at());
            else if (op == u"lu" || op == u"ru")
                QTest::mouseRelease(&w, button, {}, at());
            else if (op == u"mv")
                QTest::mouseMove(&w, at());
            else if (op.endsWith(u"dbl"))
                QTest::mouseDClick(&w, button, op.startsWith(u's') ? Qt::ShiftModifier : Qt::NoModifier, QPoint(5, 5));
            else if (op == u"wh")
                turnWheel(t[1].toInt());
            else if (op == u"hover")
                hover(at());
            else if (op == u"hide")
                w.hide(), w.show();
            else if (op == u"ch")
                plotLevel(int16_t(t[1].toInt()));
            else
                put(op == u"Ymax" ? id::Ymax : id::Ymin, int16_t(t[1].toInt()), Variant(t[2].toInt()));
        }
    }

    // A move with no button held, which only a tracking window sees.
    void hover(QPoint at)
    {
        widget().setMouseTracking(true);
        QMouseEvent event(QEvent::MouseMove, at, widget().mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&widget(), &event);
        widget().setMouseTracking(false);
    }

    void turnWheel(int delta)
    {
        const QPointF at(5, 5);
        QWheelEvent event(at, widget().mapToGlobal(at), {}, {0, delta}, Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&widget(), &event);
        wheelAccepted = event.isAccepted();
    }

    void plotLevel(int16_t value)
    {
        std::vector<int16_t> line(300, value);
        chartEx(line, 1, 300);
    }

    QString range(int16_t channel) { return QStringLiteral("%1,%2").arg(number(id::Ymin, channel)).arg(number(id::Ymax, channel)); }

    EventLog log;
    bool wheelAccepted = false;
};

// Pixels given as "h x1 x2 y" (a row run), "v x y1 y2" (a column run) or
// "p x y", separated by ';'; each listed once is inverted once.
QImage inverted(QImage image, const QString& pixels)
{
    const auto flip = [&](int x, int y) {
        if (x >= 0 && y >= 0 && x < image.width() && y < image.height())
            image.setPixel(x, y, image.pixel(x, y) ^ 0x00FFFFFFu);
    };
    for (const QString& run : pixels.split(u';', Qt::SkipEmptyParts)) {
        const QStringList t = run.split(u' ', Qt::SkipEmptyParts);
        const int a = t[1].toInt(), b = t[2].toInt();
        if (t[0] == u"h")
            for (int x = a; x <= b; ++x)
                flip(x, t[3].toInt());
        else if (t[0] == u"v")
            for (int y = t[2].toInt(); y <= t[3].toInt(); ++y)
                flip(a, y);
        else
            flip(a, b);
    }
    return image;
}

}  // namespace

class TestChartMouse : public QObject {
    Q_OBJECT

private slots:
    void gestures_data()
    {
        QTest::addColumn<bool>("lock");
        QTest::addColumn<bool>("group");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("lastEvents");  // the log's end, as many as listed
        QTest::addColumn<int>("eventCount");
        QTest::addColumn<QString>("range0");  // Ymin,Ymax of the active channel 0
        QTest::addColumn<QString>("range5");  // and of channel 5

        const QString full = "-32768,32768";
        QTest::newRow("left drag down half the height moves the traces down")
            << false << true << "ld 10 50; mv 10 100; lu 10 100" << "C:-16384,49152" << 1 << "-16384,49152"
            << "-16384,49152";
        QTest::newRow("drag without GroupSetting: the active channel only")
            << false << false << "ld 10 100; mv 10 50; lu 10 50" << "C:-49152,16384" << 1 << "-49152,16384" << full;
        QTest::newRow("drag far below the chart: the centre stops at 262144")
            << false << true << "Ymax 0 4194304; Ymin 0 -4194304; ld 10 50; mv 10 700; lu 10 700"
            << "C:-3932160,4456448" << 1 << "-3932160,4456448" << "180224,245760";
        QTest::newRow("drag back to the start row: no offset, still an event")
            << false << true << "ld 10 50; mv 10 90; mv 10 50; lu 10 50" << "C:-32768,32768" << 1 << full << full;
        QTest::newRow("left double-click zooms every channel out, right zooms back in")
            << false << true << "ldbl; rdbl" << "C:-65536,65536 C:-32768,32768" << 2 << full << full;
        QTest::newRow("left double-click with GroupSetting")
            << false << true << "ldbl" << "C:-65536,65536" << 1 << "-65536,65536" << "-65536,65536";
        QTest::newRow("Shift + left double-click without GroupSetting resets the active channel")
            << false << false << "Ymin 5 -100; Ymax 5 100; wh 120; sldbl" << "C:-16384,16384 C:-32768,32768" << 2
            << full << "-100,100";
        QTest::newRow("Shift + left double-click with GroupSetting resets all")
            << false << true << "wh -120; sldbl" << "C:-32768,32768" << 2 << full << full;
        QTest::newRow("Shift + right double-click resets the active channel only, even grouped")
            << false << true << "wh -120; srdbl" << "C:-65536,65536 C:-32768,32768" << 2 << full << "-65536,65536";
        QTest::newRow("wheel in stops at a half-range of 16")
            << false << true << "wh 1560" << "C:-16,16 C:-16,16" << 13 << "-16,16" << "-16,16";
        QTest::newRow("wheel out stops at 4194304")
            << false << true << "wh -1200" << "C:-4194304,4194304" << 10 << "-4194304,4194304" << "-4194304,4194304";
        QTest::newRow("two half notches make one step")
            << false << true << "wh 60; wh 60" << "C:-16384,16384" << 1 << "-16384,16384" << "-16384,16384";
        QTest::newRow("Lock on: double-clicks and the wheel do nothing")
            << true << true << "ldbl; rdbl; sldbl; srdbl; wh 120; wh -120" << "" << 0 << full << full;
        QTest::newRow("Lock on, left button: one-line cross-hair, column limited to the chart")
            << true << true << "ld 30 10; mv 500 -20; mv -4 500; lu -4 500" << "X:30 X:300 X:0" << 3 << full << full;
        QTest::newRow("Lock on, right button: two-line cross-hair with encoded offsets")
            << true << true << "rd 120 30; mv 121 30; ru 121 30" << "X:-1860120 X:-1860121" << 2 << full << full;
        QTest::newRow("two-line cross-hair limited to the chart")
            << true << true << "rd 10 10; mv -5 500; ru 0 0" << "X:-660010 X:-12060000" << 2 << full << full;
        QTest::newRow("Lock off, right button: plain columns, then the lock lifts again")
            << false << true << "rd 40 20; mv 45 90; ru 45 90; ldbl" << "X:40 X:45 C:-65536,65536" << 3
            << "-65536,65536" << "-65536,65536";
        QTest::newRow("a left drag under the right button's cross-hair is no drag")
            << false << true << "rd 40 20; ld 40 20; mv 40 120; lu 40 120; ru 40 120" << "X:40 X:40 X:40" << 3 << full
            << full;
        QTest::newRow("a hidden window drops the right button's cross-hair and lock")
            << false << true << "rd 40 20; hide; ldbl" << "X:40 C:-65536,65536" << 2 << "-65536,65536"
            << "-65536,65536";
        QTest::newRow("button ups without a figure do nothing, nor do moves after them")
            << false << true << "lu 10 10; ru 10 10; ld 30 10; lu 30 10; hover 40 20" << "C:-32768,32768" << 1 << full
            << full;
        QTest::newRow("no cross-hair after the button is up")
            << true << true << "ld 30 10; lu 30 10; hover 40 20" << "X:30" << 1 << full << full;
    }

    void gestures()
    {
        QFETCH(bool, lock);
        QFETCH(bool, group);
        QFETCH(QString, script);
        QFETCH(QString, lastEvents);
        QFETCH(int, eventCount);
        QFETCH(QString, range0);
        QFETCH(QString, range5);

        MouseHost chart(lock, group);
        chart.run(script);
        const QStringList expected = lastEvents.split(u' ', Qt::SkipEmptyParts);
        QCOMPARE(chart.log.events.size(), eventCount);
        QCOMPARE(chart.log.events.mid(eventCount - expected.size()), expected);
        QCOMPARE(chart.range(0), range0);
        QCOMPARE(chart.range(5), range5);
        // Whatever the buttons did, Lock reads as the host set it.
        QCOMPARE(chart.number(id::Lock), lock ? -1 : 0);
    }

    void wheelGoesToTheParentWhileLocked()
    {
        MouseHost locked(true, true), unlocked(false, true);
        locked.turnWheel(120);
        unlocked.turnWheel(120);
        QVERIFY(!locked.wheelAccepted);
        QVERIFY(unlocked.wheelAccepted);
    }

    void figures_data()
    {
        QTest::addColumn<bool>("lock");
        QTest::addColumn<QString>("script");  // ends with the figure shown
        QTest::addColumn<QString>("pixels");  // the inverted pixels
        QTest::addColumn<QString>("release");

        // Where two lines of a figure cross, the pixel is inverted twice.
        QTest::newRow("drag marker with its arrowhead, dragged down")
            << false << "ld 100 50; mv 100 100"
            << "h 80 119 50; v 100 50 99; h 90 109 100; p 100 100; p 99 99; p 98 98; p 97 97; p 100 100; p 101 99; "
               "p 102 98; p 103 97"
            << "lu 100 100";
        QTest::newRow("drag marker dragged up: arrowhead below the bar")
            << false << "ld 100 150; mv 100 100"
            << "h 80 119 150; v 100 101 150; h 90 109 100; p 100 100; p 99 101; p 98 102; p 97 103; p 100 100; "
               "p 101 101; p 102 102; p 103 103"
            << "lu 100 100";
        QTest::newRow("drag marker moved less than 6 rows: no arrowhead")
            << false << "ld 100 50; mv 100 45" << "h 80 119 50; v 100 46 50; h 90 109 45" << "lu 100 45";
        QTest::newRow("drag marker at the start row: the bar alone")
            << false << "ld 290 50" << "h 270 309 50" << "lu 290 50";
        QTest::newRow("one-line cross-hair") << true << "ld 120 30" << "v 120 0 199" << "lu 120 30";
        QTest::newRow("one-line cross-hair under the right button, Lock off")
            << false << "rd 7 30; mv 8 40" << "v 8 0 199" << "ru 8 40";
        QTest::newRow("two-line cross-hair, moved") << true << "rd 120 30; mv 121 31"
                                                    << "v 121 0 199; h 0 299 31" << "ru 121 31";
    }

    void figures()
    {
        QFETCH(bool, lock);
        QFETCH(QString, script);
        QFETCH(QString, pixels);
        QFETCH(QString, release);

        MouseHost chart(lock, true);
        chart.put(id::ScrollMode, Variant::fromBool(false));
        chart.plotLevel(8000);
        const QImage before = chart.window();
        chart.run(script);
        QCOMPARE(chart.window(), inverted(before, pixels));
        chart.run(release);
        QCOMPARE(chart.window(), before);
    }

    // Data calls under a figure leave the window alone, and when the figure
    // goes the window shows what they drew. A redraw puts the figure over
    // the new picture, so that its removal leaves no trace.
    void windowUnderAFigure_data()
    {
        QTest::addColumn<QString>("underFigure");
        QTest::addColumn<bool>("redraws");
        QTest::newRow("a data call") << "ch 4000" << false;
        QTest::newRow("a redraw") << "Ymax 0 40000" << true;
    }

    void windowUnderAFigure()
    {
        QFETCH(QString, underFigure);
        QFETCH(bool, redraws);
        MouseHost chart(true, true), reference(true, true);
        for (MouseHost* c : {&chart, &reference}) {
            c->put(id::ScrollMode, Variant::fromBool(false));
            c->plotLevel(8000);
        }
        const QImage before = chart.window();
        chart.run("ld 50 60; mv 52 61");
        chart.run(underFigure);
        reference.run(underFigure);
        QCOMPARE(chart.window(), inverted(redraws ? reference.window() : before, "v 52 0 199"));
        chart.run("lu 52 61");
        QCOMPARE(chart.window(), reference.window());
        chart.run("ch -4000");
        reference.run("ch -4000");
        QCOMPARE(chart.window(), reference.window());
    }

    // Data calls draw straight into the shown picture, but under a figure
    // they leave it to be composed once the figure goes: both ways must end
    // in the same picture, over grid lines, with thin and wide pens, whole
    // sweeps and part sweeps with the erase bar.
    void drawingUnderAFigureEndsTheSame_data()
    {
        QTest::addColumn<int>("penSize");
        QTest::addColumn<int>("points");
        QTest::newRow("thin pen, a sweep a call") << 1 << 300;
        QTest::newRow("thin pen, a quarter sweep a call") << 1 << 75;
        QTest::newRow("wide pen, a sweep a call") << 4 << 300;
        QTest::newRow("wide pen, a quarter sweep a call") << 4 << 75;
    }
    void drawingUnderAFigureEndsTheSame()
    {
        QFETCH(int, penSize);
        QFETCH(int, points);
        MouseHost chart(true, true), reference(true, true);
        for (MouseHost* c : {&chart, &reference}) {
            c->put(id::ScrollMode, Variant::fromBool(false));
            c->put(id::PenSize, int16_t(penSize));
            c->plotLevel(8000);
        }
        for (int call = 0; call < 7; ++call) {
            if (call == 2)
                chart.run("ld 50 60; mv 52 61");
            std::vector<int16_t> v(static_cast<size_t>(points));
            for (int i = 0; i < points; ++i)
                v[size_t(i)] = int16_t((i * 53 + call * 3000) % 30000 - 15000);
            for (MouseHost* c : {&chart, &reference})
                QCOMPARE(c->chartEx(v, 1, int16_t(points)), hr::ok);
        }
        chart.run("lu 52 61");
        QCOMPARE(chart.window(), reference.window());
    }
};

QTEST_MAIN(TestChartMouse)
#include "test_chart_mouse.moc"
