// Reading command strings: fields, lenient numbers, caps, and the tables the
// 'A' and 'X' commands fill.
#include "command_parsing.h"

#include <QTest>

#include <string>

using namespace trazel;

namespace {

std::string numbered(std::string s, int count)
{
    for (int i = 1; i <= count; ++i)
        s += "," + std::to_string(i);
    return s;
}

QList<double> values(const std::string& command, size_t limit = axisFieldLimit)
{
    const std::vector<double> v = commandValues(command, limit);
    return {v.begin(), v.end()};
}

}  // namespace

class TestChartCommandParsing : public QObject {
    Q_OBJECT
private slots:
    void fieldsAndNumbers()
    {
        QCOMPARE(values("A"), QList<double>{});
        QCOMPARE(values(",,X,1,,,2,"), (QList<double>{1, 2}));
        QCOMPARE(values("X, 12abc,\t-3.5e2,x,0x10,+4.,.5,  "), (QList<double>{12, -350, 0, 16, 4, 0.5, 0}));
        QCOMPARE(values(numbered("A", 1400), annotationFieldLimit).size(), 1280);
        QCOMPARE(values(numbered("X", 150)).back(), 99.0);
    }

    void annotationTable()
    {
        TrazelState s;
        loadAnnotations(s, commandValues("A,255,0,0,100,0,65280,1.9,-2.9,1e300", annotationFieldLimit));
        const auto entry = [&](int e) {
            const Annotation& a = s.AnnotationTable[size_t(e)];
            return QList<int>{a.colour, a.x1, a.y1, a.x2, a.y2};
        };
        QCOMPARE(entry(0), (QList<int>{255, 0, 0, 100, 0}));
        QCOMPARE(entry(1), (QList<int>{65280, 1, -2, INT32_MAX, -1}));
        QCOMPARE(entry(255), (QList<int>{-1, -1, -1, -1, -1}));
        loadAnnotations(s, commandValues(numbered("A", 1300), annotationFieldLimit));
        QCOMPARE(entry(255), (QList<int>{1276, 1277, 1278, 1279, 1280}));
    }

    void axisDefinition()
    {
        TrazelState s;
        defineAxis(s, commandValues("X,1,4000,0,21,1024,10,20,30,-100", axisFieldLimit));
        QCOMPARE((QList<double>{double(s.AxisMode), s.AxisMax, s.AxisMin, double(s.TickCount), s.AxisPoints}),
                 (QList<double>{1, 4000, 0, 21, 1024}));
        QCOMPARE(s.Ticks[3], -100.0);
        QCOMPARE(drawnTickCount(s), 4);  // 21 announced, 4 given
        // An empty field is no field: 10 becomes the point count.
        defineAxis(s, commandValues("X,1,4000,0,21,,10,20", axisFieldLimit));
        QCOMPARE(s.AxisPoints, 10.0);
        // Missing fields keep the earlier axis; "X,0" turns the ticks off.
        defineAxis(s, commandValues("X,0", axisFieldLimit));
        QCOMPARE(s.AxisMode, 0);
        QCOMPARE(s.AxisMax, 4000.0);
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
};

QTEST_MAIN(TestChartCommandParsing)
#include "test_chart_command_parsing.moc"
