// Reading command strings: fields, lenient numbers, caps, and the tables the
// 'A' and 'X' commands fill.
#include "command_parsing.h"

#include <QTest>

#include <cmath>
#include <string>

using namespace trazel;

namespace {

std::string repeated(const std::string& head, const std::string& part, int times)
{
    std::string s = head;
    for (int i = 0; i < times; ++i)
        s += part;
    return s;
}

std::string numbered(const std::string& head, int count)
{
    std::string s = head;
    for (int i = 1; i <= count; ++i)
        s += "," + std::to_string(i);
    return s;
}

}  // namespace

class TestChartCommandParsing : public QObject {
    Q_OBJECT
private slots:
    void fieldsAndNumbers_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QList<double>>("expected");
        QTest::newRow("command only") << QByteArray("A") << QList<double>{};
        QTest::newRow("run of commas is one") << QByteArray("X,1,,,2,") << QList<double>{1, 2};
        QTest::newRow("leading commas") << QByteArray(",,X,7") << QList<double>{7};
        QTest::newRow("lenient") << QByteArray("X, 12abc,\t-3.5e2,x,0x10,+4.,.5")
                                 << QList<double>{12, -350, 0, 16, 4, 0.5};
        QTest::newRow("blank field") << QByteArray("D,  ") << QList<double>{0};
    }

    void fieldsAndNumbers()
    {
        QFETCH(QByteArray, command);
        QFETCH(QList<double>, expected);
        const std::vector<double> values = commandValues(command.toStdString(), 100);
        QCOMPARE(QList<double>(values.begin(), values.end()), expected);
    }

    void fieldCaps_data()
    {
        QTest::addColumn<int>("given");
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("read");
        QTest::newRow("annotations under the cap") << 1280 << int(annotationFieldLimit) << 1280;
        QTest::newRow("annotations over the cap") << 1400 << int(annotationFieldLimit) << 1280;
        QTest::newRow("axis over the cap") << 150 << int(axisFieldLimit) << 99;
    }

    void fieldCaps()
    {
        QFETCH(int, given);
        QFETCH(int, limit);
        QFETCH(int, read);
        const std::vector<double> values = commandValues(numbered("A", given), size_t(limit));
        QCOMPARE(int(values.size()), read);
        QCOMPARE(values.back(), double(read));
    }

    void infiniteAndHugeNumbersStayDefined()
    {
        TrazelState s;
        loadAnnotations(s, commandValues("A,1e300,-inf,nan,2147483648,-3.9", annotationFieldLimit));
        const Annotation a = s.AnnotationTable[0];
        QCOMPARE(a.colour, INT32_MAX);
        QCOMPARE(a.x1, INT32_MIN);
        QCOMPARE(a.y1, 0);
        QCOMPARE(a.x2, INT32_MAX);
        QCOMPARE(a.y2, -3);
    }

    void annotationTable()
    {
        TrazelState s;
        loadAnnotations(s, commandValues("A,255,0,0,100,0,65280,1,2", annotationFieldLimit));
        const auto fields = [&](int e) {
            const Annotation& a = s.AnnotationTable[size_t(e)];
            return QList<int>{a.colour, a.x1, a.y1, a.x2, a.y2};
        };
        QCOMPARE(fields(0), (QList<int>{255, 0, 0, 100, 0}));
        QCOMPARE(fields(1), (QList<int>{65280, 1, 2, -1, -1}));
        QCOMPARE(fields(255), (QList<int>{-1, -1, -1, -1, -1}));

        loadAnnotations(s, commandValues(numbered("A", 1300), annotationFieldLimit));
        QCOMPARE(fields(255), (QList<int>{1276, 1277, 1278, 1279, 1280}));
        loadAnnotations(s, commandValues("A", annotationFieldLimit));
        QCOMPARE(fields(0), (QList<int>{-1, -1, -1, -1, -1}));
    }

    void axisDefinition()
    {
        TrazelState s;
        defineAxis(s, commandValues("X,1,4000,0,21,1024,10,20,30,40,50,60,70,80,90,-100", axisFieldLimit));
        QCOMPARE(s.AxisMode, 1);
        QCOMPARE(s.AxisMax, 4000.0);
        QCOMPARE(s.AxisMin, 0.0);
        QCOMPARE(s.TickCount, 21);
        QCOMPARE(s.AxisPoints, 1024.0);
        QCOMPARE(s.Ticks[0], 10.0);
        QCOMPARE(s.Ticks[9], -100.0);
        QCOMPARE(s.TicksStored, 10);
        QCOMPARE(drawnTickCount(s), 10);  // 21 announced, 10 given

        // An empty field is no field: 10 becomes the point count.
        defineAxis(s, commandValues("X,1,4000,0,21,,10,20", axisFieldLimit));
        QCOMPARE(s.AxisPoints, 10.0);
        QCOMPARE(s.Ticks[0], 20.0);
        QCOMPARE(s.Ticks[1], 20.0);  // not rewritten

        // Missing fields keep the earlier axis; "X,0" turns the ticks off.
        defineAxis(s, commandValues("X,0", axisFieldLimit));
        QCOMPARE(s.AxisMode, 0);
        QCOMPARE(s.AxisMax, 4000.0);
        QCOMPARE(s.AxisPoints, 10.0);
    }

    void tickTableNeverOverflows_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("drawn");
        QTest::newRow("94 ticks offered") << QByteArray(numbered("X,2,100,0,500,1024", 94).c_str()) << 64 << 64;
        QTest::newRow("points limit ticks") << QByteArray("X,2,100,0,5,3.7,1,2,3,4,5") << 3 << 3;
        QTest::newRow("negative count") << QByteArray("X,2,100,0,-5,1024,1,2") << 2 << 0;
        QTest::newRow("not-a-number points") << QByteArray("X,1,100,0,5,nan,1,2") << 0 << 0;
    }

    void tickTableNeverOverflows()
    {
        QFETCH(QByteArray, command);
        QFETCH(int, stored);
        QFETCH(int, drawn);
        TrazelState s;
        defineAxis(s, commandValues(command.toStdString(), axisFieldLimit));
        QCOMPARE(s.TicksStored, stored);
        QCOMPARE(drawnTickCount(s), drawn);
    }

    void longStringsAreLinear()
    {
        const std::string text = repeated("A", ",,,,12.5", 25000);
        QCOMPARE(commandValues(text, annotationFieldLimit).size(), size_t(1280));
        QCOMPARE(commandValues(std::string(100000, ','), annotationFieldLimit).size(), size_t(0));
    }
};

QTEST_MAIN(TestChartCommandParsing)
#include "test_chart_command_parsing.moc"
