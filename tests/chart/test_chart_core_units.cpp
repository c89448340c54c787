// The pure pieces of the chart object: trace shades and pens, and the
// decoding of what Chart is handed.
#include "chart_data.h"
#include "trazel_state.h"

#include <QTest>

using namespace trazel;
using namespace automation;

class TestChartCoreUnits : public QObject {
    Q_OBJECT
private slots:
    void paleColour_data()
    {
        QTest::addColumn<uint>("colour");
        QTest::addColumn<uint>("pale");
        QTest::newRow("blue") << 0xFF0000u << 0xFF4040u;
        QTest::newRow("grey") << 0x808080u << 0xC0C0C0u;
        QTest::newRow("orange") << 0x00C0FFu << 0x40FFFFu;
        QTest::newRow("just below C0") << 0xBFBFBFu << 0xFFFFFFu;
        QTest::newRow("black") << 0u << 0x404040u;
    }

    void paleColour()
    {
        QFETCH(uint, colour);
        QFETCH(uint, pale);
        QCOMPARE(trazel::paleColour(colour), pale);
    }

    void pensFollowSizeAndColour()
    {
        TrazelState s;
        s.PenSize = 15;
        s.PLine[3] = 0x808080;
        s.PGrid = 0x010203;
        rebuildDrawingTools(s);
        QCOMPARE(s.tools.normal[3].width, 15);
        QCOMPARE(s.tools.wide[3].width, 30);
        QCOMPARE(s.tools.pale[3].colour, 0xC0C0C0u);
        QCOMPARE(s.tools.grid.colour, 0x010203u);
        QCOMPARE(s.tools.auxCrossHair.colour, 0x0000FFu);
    }

    void chartData_data()
    {
        QTest::addColumn<Variant>("data");
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("channels");
        QTest::addColumn<QList<int>>("samples");
        QTest::newRow("short") << Variant(int16_t(-7)) << 1 << 1 << QList<int>{-7};
        QTest::newRow("long keeps low 16 bits") << Variant(int32_t(0x12345)) << 1 << 1 << QList<int>{0x2345};
        QTest::newRow("long wraps negative") << Variant(int32_t(0x18000)) << 1 << 1 << QList<int>{-32768};
        QTest::newRow("double truncates") << Variant(-3.9) << 1 << 1 << QList<int>{-3};
        QTest::newRow("double low bits") << Variant(70000.7) << 1 << 1 << QList<int>{4464};
        QTest::newRow("float") << Variant(2.5f) << 1 << 1 << QList<int>{2};
        QTest::newRow("one dimension") << Variant(SafeArray::shorts1D({4, 5, 6}, 1)) << 3 << 1 << QList<int>{4, 5, 6};
        QTest::newRow("channel by point")
            << Variant(SafeArray::shorts2D(2, 3, {1, 10, 2, 20, 3, 30})) << 3 << 2 << QList<int>{1, 10, 2, 20, 3, 30};
        SafeArray overstated = SafeArray::shorts1D({1, 2});
        overstated.bounds[0].count = 1000;
        QTest::newRow("count beyond the data") << Variant(overstated) << 2 << 1 << QList<int>{1, 2};
        SafeArray partial = SafeArray::shorts2D(3, 2, {1, 2, 3, 4, 5, 6});
        partial.bounds[1].count = 50;
        partial.shorts.resize(5);
        QTest::newRow("2-D uses whole points only") << Variant(partial) << 1 << 3 << QList<int>{1, 2, 3};
    }

    void chartData()
    {
        QFETCH(Variant, data);
        QFETCH(int, points);
        QFETCH(int, channels);
        QFETCH(QList<int>, samples);
        int16_t single = 0;
        const SampleBlock block = decodeChartData(data, single);
        QCOMPARE(block.points, points);
        QCOMPARE(block.channels, channels);
        QList<int> read;
        for (int i = 0; i < points * channels; ++i)
            read.append(block.samples[i]);
        QCOMPARE(read, samples);
    }

    void unsupportedChartData()
    {
        int16_t referenced = 1;
        SafeArray doubles;
        doubles.elementType = vtR8;
        doubles.bounds = {{1, 0}};
        doubles.numbers = {1};
        const Variant ignored[] = {Variant(), Variant(NullValue{}), Variant("5"), Variant::fromBool(true),
                                   Variant::refShorts(&referenced), Variant(doubles),
                                   Variant(SafeArray::shorts2D(0, 4, {})), Variant(ErrorValue{1})};
        for (const Variant& v : ignored) {
            int16_t single = 0;
            QVERIFY(decodeChartData(v, single).isEmpty());
        }
    }
};

QTEST_MAIN(TestChartCoreUnits)
#include "test_chart_core_units.moc"
