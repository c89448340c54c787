// The static picture as the window shows it after a full redraw: grid rows
// and columns, base line, axis tick lines, annotation lines, chart text and
// the auxiliary cross-hair.
#include "test_chart_render_host.h"

using namespace charttest;

class TestChartRender : public QObject {
    Q_OBJECT
private slots:
    // Grid rows in column 1 (dotted rows use the odd columns), beside the base line.
    void horizontalGrid_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("spacing");
        QTest::addColumn<bool>("fromTop");
        QTest::addColumn<QList<int>>("rows");
        QTest::newRow("20 about the centre") << 200 << 20 << false
                                             << QList<int>{20, 40, 60, 80, 100, 120, 140, 160, 180};
        QTest::newRow("7 about the centre") << 20 << 7 << false << QList<int>{3, 10, 17};
        QTest::newRow("20 from the top") << 70 << 20 << true << QList<int>{20, 40, 60};
        QTest::newRow("2.5 from the top") << 20 << -250 << true << QList<int>{2, 5, 7, 10, 12, 15, 17};
        // Rows below the centre truncate up, rows above truncate down.
        QTest::newRow("1.5 about the centre")
            << 20 << -150 << false << QList<int>{1, 2, 4, 5, 7, 8, 10, 11, 13, 14, 16, 17, 19};
        // Many steps to a row: every row has its line, drawn once.
        QTest::newRow("0.01 about the centre") << 20 << -1 << false << range(1, 19);
        QTest::newRow("0.6 from the top") << 20 << -60 << true << range(1, 19);
    }
    void horizontalGrid()
    {
        QFETCH(int, height);
        QFETCH(int, spacing);
        QFETCH(bool, fromTop);
        QFETCH(QList<int>, rows);
        PictureHost chart(40, height);
        chart.put(id::GridSpacingX, int16_t(30000));
        chart.put(id::GridSpacingY, int16_t(spacing));
        chart.key(fromTop ? "t" : "c");
        const QImage window = chart.window();
        QCOMPARE(rowsIn(window, 1, shown(silver)), QList<int>{0} + rows);
        const QList<int> baseLine = fromTop ? QList<int>{} : QList<int>{height / 2};
        QCOMPARE(rowsIn(window, 2, shown(silver)), QList<int>{0} + baseLine);
        QCOMPARE(rowsIn(window, 39, shown(silver)), QList<int>{0});
    }

    void baseLine_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("solid");
        QTest::addColumn<QList<int>>("columns");
        QTest::newRow("solid") << "c" << true << range(0, 10);
        QTest::newRow("dotted") << "c" << false << QList<int>{0, 1, 3, 5, 7, 9};
        QTest::newRow("top mode has none") << "t" << true << QList<int>{0};
        QTest::newRow("c after t: back on the centre") << "t;c" << true << range(0, 10);
    }
    void baseLine()
    {
        QFETCH(QString, command);
        QFETCH(bool, solid);
        QFETCH(QList<int>, columns);
        PictureHost chart(12, 10);
        chart.put(id::GridSpacingX, int16_t(30000));
        chart.put(id::GridSpacingY, int16_t(30000));
        chart.put(id::SolidBaseLine, Variant::fromBool(solid));
        for (const QString& part : command.split(';'))
            chart.key(part);
        QCOMPARE(columnsIn(chart.window(), 5, shown(silver)), columns);
    }

    // Column `column` on rows 1 and 2: dotted lines have row 1 only, solid both.
    void verticalLines_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("spacing");
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("row1");
        QTest::addColumn<bool>("row2");
        const QString log = "X,1,4000,0,21,1024,10,20,30,40,50,60,70,80,90,-100,200,300,400,500,600,700,800,900,"
                            "-1000,2000,3000";
        const QString linear = "X,2,4000,0,5,1024,200,400,600,800,-1000";
        QTest::newRow("plain grid line") << 100 << "L" << 20 << 20 << true << false;
        QTest::newRow("between plain grid lines") << 100 << "L" << 20 << 21 << false << false;
        QTest::newRow("log: dotted 10") << 500 << log << 20 << 19 << true << false;
        QTest::newRow("log: major 100") << 500 << log << 20 << 204 << true << true;
        QTest::newRow("log: major 1000") << 500 << log << 20 << 388 << true << true;
        QTest::newRow("log: dotted 3000") << 500 << log << 20 << 476 << true << false;
        QTest::newRow("log: no plain grid") << 500 << log << 20 << 20 << false << false;
        QTest::newRow("linear: dotted 200") << 500 << linear << 20 << 25 << true << false;
        QTest::newRow("linear: major 1000") << 500 << linear << 20 << 125 << true << true;
        // Spacing 2.5: lines at trunc(2.5 k), so 2, 5, 7, 10, ...
        QTest::newRow("2.5 apart: column 7") << 100 << "L" << -250 << 7 << true << false;
        QTest::newRow("2.5 apart: none at 8") << 100 << "L" << -250 << 8 << false << false;
        QTest::newRow("0.01 apart: every column") << 100 << "L" << -1 << 8 << true << false;
    }
    void verticalLines()
    {
        QFETCH(int, width);
        QFETCH(QString, command);
        QFETCH(int, spacing);
        QFETCH(int, column);
        QFETCH(bool, row1);
        QFETCH(bool, row2);
        const int height = 12;
        PictureHost chart(width, height);
        chart.put(id::GridSpacingY, int16_t(30000));
        chart.put(id::GridSpacingX, int16_t(spacing));
        chart.key(command);
        const QImage window = chart.window();
        QCOMPARE(window.pixel(column, 1) == shown(silver), row1);
        QCOMPARE(window.pixel(column, 2) == shown(silver), row2);
        // Every line stops above the last row.
        QCOMPARE(window.pixel(column, height - 1) == shown(silver), column == 0);
    }

    // Axis definitions that place no line and draw no plain grid either.
    void noVerticalLines_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("unknown axis mode") << "X,7,4000,0,1,1024,-200";
        QTest::newRow("empty axis span") << "X,2,4000,4000,1,1024,-200";
        QTest::newRow("no points on the axis") << "X,1,4000,0,1,0,-200";
        QTest::newRow("one bin on a log axis") << "X,1,4000,0,3,2,-100,-200,-300";
        QTest::newRow("values left of bin 1") << "X,1,4000,0,2,1024,-1,-7";
        QTest::newRow("no tick values") << "X,2,4000,0,0,1024";
    }
    void noVerticalLines()
    {
        QFETCH(QString, command);
        PictureHost chart(200, 12);
        chart.put(id::GridSpacingY, int16_t(30000));
        chart.key(command);
        QCOMPARE(columnsIn(chart.window(), 1, shown(silver)), QList<int>{0});
    }

    void annotationLines_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<uint>("colour");
        QTest::addColumn<int>("column");
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<int>("row");
        QTest::addColumn<QList<int>>("columns");
        // Data values on channel 0's scale; a 101-pixel chart has its centre on row 50.
        QTest::newRow("across at half scale")
            << "A,255,0,16384,100,16384" << uint(red) << 60 << QList<int>{25} << 25 << range(0, 99);
        QTest::newRow("full height, last point left out")
            << "A,65280,10,-32768,10,32768" << 0x00FF00u << 10 << range(1, 100) << 60 << QList<int>{10};
        QTest::newRow("cleared by a") << "A,255,0,0,100,0;a" << uint(red) << 60 << QList<int>{} << 50
                                      << QList<int>{};
    }
    void annotationLines()
    {
        QFETCH(QString, command);
        QFETCH(uint, colour);
        QFETCH(int, column);
        QFETCH(QList<int>, rows);
        QFETCH(int, row);
        QFETCH(QList<int>, columns);
        PictureHost chart(120, 101);
        chart.bareOverlay();
        for (const QString& part : command.split(';'))
            chart.key(part);
        const QImage window = chart.window();
        QCOMPARE(rowsIn(window, column, shown(colour)), rows);
        QCOMPARE(columnsIn(window, row, shown(colour)), columns);
    }

    void chartTextFollowsItsPosition()
    {
        PictureHost chart(200, 80);
        chart.bareOverlay();
        chart.put(id::PText, int32_t(red));
        QCOMPARE(chart.put(id::ChartText, QStringLiteral("Hi 42")), hr::ok);
        const auto textBox = [&](int x, int y) {
            Variant args[] = {Variant(int16_t(x)), Variant(int16_t(y))};
            chart.dispatch().call(id::SetTextPos, args);
            QRect box;
            const QImage window = chart.window();
            for (int py = 0; py < window.height(); ++py)
                for (int px = 0; px < window.width(); ++px)
                    if (window.pixel(px, py) == shown(red))
                        box |= QRect(px, py, 1, 1);
            return box;
        };
        const QRect first = textBox(10, 5);
        QVERIFY(!first.isEmpty());
        QVERIFY(first.left() >= 10 && first.top() >= 5);
        QCOMPARE(textBox(30, 20), first.translated(20, 15));
        // A negative coordinate leaves that coordinate where it was.
        QCOMPARE(textBox(-1, 40), first.translated(20, 35));
        QCOMPARE(textBox(0, -1), first.translated(-10, 35));
        // Grid dots on every odd row and column are drawn over the text.
        chart.put(id::GridSpacingX, int16_t(1));
        chart.put(id::GridSpacingY, int16_t(1));
        const QRect gridded = textBox(10, 5);
        QVERIFY(!gridded.isEmpty());
        const QImage window = chart.window();
        for (int y = gridded.top(); y <= gridded.bottom(); ++y)
            for (int x = gridded.left(); x <= gridded.right(); ++x)
                QVERIFY(window.pixel(x, y) != shown(red) || (x % 2 == 0 && y % 2 == 0));
        chart.key("L");  // commands clear the text
        QCOMPARE(textBox(30, 20), QRect());
    }

    void auxCrossHair_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<QList<int>>("rowsInColumnX");
        QTest::addColumn<QList<int>>("columnsInRowY");
        const int w = 100, h = 60;
        QTest::newRow("0, 0 shows none") << 0 << 0 << QList<int>{} << QList<int>{};
        QTest::newRow("50, 0: column 50 and row 0") << 50 << 0 << range(0, h - 1) << range(0, w - 2);
        QTest::newRow("30, 20") << 30 << 20 << range(0, h - 1) << range(0, w - 2);
        QTest::newRow("column left of the chart") << -5 << 20 << QList<int>{} << range(0, w - 2);
    }
    void auxCrossHair()
    {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(QList<int>, rowsInColumnX);
        QFETCH(QList<int>, columnsInRowY);
        PictureHost chart(100, 60);
        chart.bareOverlay();
        Variant args[] = {Variant(int16_t(x)), Variant(int16_t(y))};
        QCOMPARE(chart.dispatch().call(id::AuxCrossHair, args), hr::ok);
        const QImage window = chart.window();
        if (x >= 0)
            QCOMPARE(rowsIn(window, x, shown(red)), rowsInColumnX);
        QCOMPARE(columnsIn(window, y, shown(red)), columnsInRowY);
    }

    void resizeToOnePixelKeepsTwo()
    {
        PictureHost chart(50, 50);
        chart.put(id::ShowLegend, Variant::fromBool(false));
        chart.widget().resize(1, 1);
        QCOMPARE(chart.number(id::Xmax), 2);
        QCOMPARE(chart.chartPoints({1, 2, 3}), hr::ok);
        chart.put(id::ScrollMode, Variant::fromBool(false));
        QCOMPARE(chart.chartPoints({1, 2, 3}), hr::ok);
        QCOMPARE(chart.window().pixel(0, 0), shown(silver));
    }
};

QTEST_MAIN(TestChartRender)
#include "test_chart_render.moc"
