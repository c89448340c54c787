// The pure pieces of the chart object: trace shades and pens, and the values
// Chart takes from what it is handed.
#include "chart_data.h"
#include "trazel_state.h"

#include <QTest>

using namespace trazel;
using namespace automation;

class TestChartCoreUnits : public QObject {
    Q_OBJECT
private slots:
    void paleShadesAndPens()
    {
        QCOMPARE(paleColour(0xFF0000), 0xFF4040u);
        QCOMPARE(paleColour(0x808080), 0xC0C0C0u);
        QCOMPARE(paleColour(0x00C0FF), 0x40FFFFu);
        QCOMPARE(paleColour(0xBFBFBF), 0xFFFFFFu);
        TrazelState s;
        s.PenSize = 15;
        rebuildDrawingTools(s);
        QCOMPARE(s.tools.normal[3].width, 15);
        QCOMPARE(s.tools.wide[3].width, 30);
        QCOMPARE(s.tools.pale[10].colour, 0xC0C0C0u);
    }

    void chartData_data()
    {
        QTest::addColumn<Variant>("data");
        QTest::addColumn<int>("points");
        QTest::addColumn<QList<int>>("samples");
        QTest::newRow("long keeps low 16 bits") << Variant(int32_t(0x18001)) << 1 << QList<int>{-32767};
        QTest::newRow("double truncates") << Variant(-3.9) << 1 << QList<int>{-3};
        QTest::newRow("double low bits") << Variant(70000.7) << 1 << QList<int>{4464};
        QTest::newRow("channel by point") << Variant(SafeArray::shorts2D(2, 3, {1, 10, 2, 20, 3, 30})) << 3
                                          << QList<int>{1, 10, 2, 20, 3, 30};
        SafeArray overstated = SafeArray::shorts1D({1, 2});
        overstated.bounds[0].count = 1000;
        QTest::newRow("count beyond the data") << Variant(overstated) << 2 << QList<int>{1, 2};
        SafeArray partial = SafeArray::shorts2D(2, 50, {1, 2, 3, 4, 5});
        partial.shorts.resize(5);
        QTest::newRow("whole points only") << Variant(partial) << 2 << QList<int>{1, 2, 3, 4};
    }

    void chartData()
    {
        QFETCH(Variant, data);
        QFETCH(int, points);
        QFETCH(QList<int>, samples);
        int16_t single = 0;
        const SampleBlock block = decodeChartData(data, single);
        QCOMPARE(block.points, points);
        QCOMPARE(QList<int>(block.samples, block.samples + samples.size()), samples);
    }
};

QTEST_MAIN(TestChartCoreUnits)
#include "test_chart_core_units.moc"
