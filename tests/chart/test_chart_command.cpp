// The Key command channel and the chart text, through the dispatch interface.
#include "test_chart_core_host.h"

using namespace charttest;

class TestChartCommand : public QObject {
    Q_OBJECT
private slots:
    // Which commands end by clearing the text and marking the chart modified.
    void commandEnding_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("ends");
        QTest::newRow("A") << "A,255,0,0,100,0" << false;
        QTest::newRow("a") << "a" << false;
        QTest::newRow("D") << "D,5" << false;
        QTest::newRow("X") << "X,1,4000,0,21,1024,10,20,30,-100" << true;
        QTest::newRow("L") << "L" << true;
        QTest::newRow("t") << "t" << true;
        QTest::newRow("c") << "c" << true;
        QTest::newRow("unknown") << "Q,1,2" << true;
        QTest::newRow("NUL first") << QString(QChar(0)) + "A,1" << true;
    }

    void commandEnding()
    {
        QFETCH(QString, command);
        QFETCH(bool, ends);
        ChartHost chart;
        QCOMPARE(chart.put(id::ChartText, "hello"), hr::ok);
        chart.markSaved();
        QCOMPARE(chart.key(command), hr::ok);
        QCOMPARE(chart.text(), ends ? QString() : QStringLiteral("hello"));
        QCOMPARE(chart.isDirty(), ends);
    }

    void digitalMask_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("mask");
        QTest::newRow("plain") << "D,5" << 5;
        QTest::newRow("16 bits") << "D,65535" << -1;
        QTest::newRow("lenient") << "D, 12abc" << 12;
        QTest::newRow("run of commas") << "D,,,9" << 9;
        QTest::newRow("not a number") << "D,x" << 0;
        QTest::newRow("no value") << "D" << 7;
        QTest::newRow("value after NUL") << QString("D") + QChar(0) + ",5" << 7;
    }

    void digitalMask()
    {
        QFETCH(QString, command);
        QFETCH(int, mask);
        ChartHost chart;
        QCOMPARE(chart.put(id::DigitalMask, Variant(int16_t(7))), hr::ok);
        chart.markSaved();
        QCOMPARE(chart.key(command), hr::ok);
        QCOMPARE(chart.number(id::DigitalMask), mask);
        QVERIFY(!chart.isDirty());
    }

    void sweepQueryIsAnsweredOnce()
    {
        ChartHost chart;
        QCOMPARE(chart.put(id::Xmax, Variant(int32_t(120))), hr::ok);
        QCOMPARE(chart.put(id::ChartText, "label"), hr::ok);
        chart.markSaved();
        QCOMPARE(chart.key("s"), hr::ok);
        QCOMPARE(chart.key("s"), hr::ok);
        QVERIFY(!chart.isDirty());
        QCOMPARE(chart.text(), QStringLiteral("0"));
        QCOMPARE(chart.text(), QStringLiteral("label"));
    }

    void chartText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored");
        const QString nul(QChar(0));
        QTest::newRow("31 characters") << QString(31, u'x') << QString(31, u'x');
        QTest::newRow("32 refused") << QString(32, u'x') << QStringLiteral("before");
        QTest::newRow("100000 refused") << QString(100000, u'y') << QStringLiteral("before");
        QTest::newRow("ends at NUL") << "abc" + nul + "def" << QStringLiteral("abc");
        QTest::newRow("NUL hides the length") << "abc" + nul + QString(40, u'z') << QStringLiteral("abc");
    }

    void chartText()
    {
        QFETCH(QString, text);
        QFETCH(QString, stored);
        ChartHost chart;
        QCOMPARE(chart.put(id::ChartText, "before"), hr::ok);
        chart.markSaved();
        QCOMPARE(chart.put(id::ChartText, text), hr::ok);
        QCOMPARE(chart.text(), stored);
        QCOMPARE(chart.isDirty(), stored != QLatin1String("before"));
    }

    // Long, odd and hostile strings run to a defined end on a shown chart.
    void hostileStrings_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("annotations, 100000 chars") << "A" + QString(",1,2,3,4,5").repeated(10000);
        QTest::newRow("axis, 100000 chars") << "X,1,4000,0,64,1024" + QString(",-7").repeated(33000);
        QTest::newRow("axis, degenerate") << "X,1,0,0,64,1024,1,2,3";
        QTest::newRow("axis, huge values") << "X,2,1e308,-1e308,3,1e308,1e308,-1e308,nan";
        QTest::newRow("commas only") << QString(100000, u',');
        QTest::newRow("embedded NULs") << "t" + QString(QChar(0)).repeated(500) + "xyz";
    }

    void hostileStrings()
    {
        QFETCH(QString, command);
        ChartHost chart;
        chart.widget().show();
        QCOMPARE(chart.put(id::Xmax, Variant(int32_t(500))), hr::ok);
        QCOMPARE(chart.key(command), hr::ok);
        QCOMPARE(chart.number(id::Xmax), 500);
        std::vector<int16_t> line(500, 1000);
        Variant args[3] = {Variant::refShorts(line.data()), Variant(int16_t(1)), Variant(int16_t(500))};
        QCOMPARE(chart.dispatch().call(id::ChartEx, args), hr::ok);
    }
};

QTEST_MAIN(TestChartCommand)
#include "test_chart_command.moc"
