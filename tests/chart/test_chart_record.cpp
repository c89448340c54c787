// The chart's saved settings: the byte-stream record, the name-keyed form,
// reset, and what loading damaged records does.
#include "allocation_limit.h"
#include "test_chart_core_host.h"

#include <QRandomGenerator>

#include <cmath>

using namespace charttest;

namespace {

void appendLe(QByteArray& out, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(char((v >> (8 * i)) & 0xFF));
}

int32_t hundredthsMm(int pixels, int dpi)
{
    return int32_t(std::lround(pixels * 2540.0 / dpi));
}

// A new chart's record, written out from the table of saved fields.
QByteArray newChartRecord(QWidget& w)
{
    QByteArray r;
    appendLe(r, 0x00010000, 4);
    appendLe(r, uint32_t(hundredthsMm(w.width(), w.logicalDpiX())), 4);
    appendLe(r, uint32_t(hundredthsMm(w.height(), w.logicalDpiY())), 4);
    appendLe(r, 0, 4);
    appendLe(r, 1, 1);  // GroupAction
    for (int ch = 0; ch < 16; ++ch) {
        appendLe(r, uint32_t(-32768), 4);
        appendLe(r, 32768, 4);
    }
    for (uint32_t c : {0xC0C0C0u, 0x800000u, 0xC0C0C0u})
        appendLe(r, c, 4);
    for (uint32_t c : {0xFF0000u, 0x008080u, 0x000080u, 0x0000FFu, 0x008000u, 0x00FFFFu, 0x00FF00u, 0x800000u,
             0x800080u, 0x808000u, 0x808080u, 0x202020u, 0xFF00FFu, 0xFFFF00u, 0x404040u, 0xC0C0C0u})
        appendLe(r, c, 4);
    for (uint32_t s : {0xFFFFu, 0u, 0u, 1u, 1u, 20u, 20u, 1u})  // Channel .. PenSize
        appendLe(r, s, 2);
    for (uint32_t b : {0u, 1u, 1u, 1u, 0u})  // Lock .. MarkEvents
        appendLe(r, b, 1);
    appendLe(r, 0, 2);  // DigitalMask
    appendLe(r, 1, 1);  // ShowLegend
    appendLe(r, 0, 1);  // BaseLineLegend
    return r;
}

// Byte offsets of a few fields in the record.
constexpr int ymin0 = 17, ymax0 = 21, gridSpacingX = 231, lockFlag = 237;

void patchLe(QByteArray& r, int at, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        r[at + i] = char((v >> (8 * i)) & 0xFF);
}

struct Setting {
    DispId member;
    int16_t index;
    int32_t value;
};

// Saved settings a host may change, and settings it may change that are not saved.
const Setting persisted[] = {{id::GroupSetting, -1, 0}, {id::Ymax, 3, 1000}, {id::Ymin, 3, -1000},
    {id::PGrid, -1, 0x102030}, {id::PEraseBar, -1, 0x00FF00}, {id::PText, -1, 0x0000FF}, {id::PLine, 14, 0x123456},
    {id::Channel, -1, 2}, {id::Step, -1, -4}, {id::GridSpacingX, -1, 5}, {id::GridSpacingY, -1, -250},
    {id::PenSize, -1, 3}, {id::Lock, -1, -1}, {id::ShowEraseBar, -1, 0}, {id::SolidBaseLine, -1, 0},
    {id::ScrollMode, -1, 0}, {id::MarkEvents, -1, -1}, {id::DigitalMask, -1, 9}, {id::ShowLegend, -1, 0},
    {id::BaseLineLegend, -1, -1}, {id::Xmax, -1, 300}};
const Setting notPersisted[] = {{id::ActiveChannel, -1, 4}, {id::ChannelMask, -1, 3}, {id::SumWaveforms, -1, -1},
    {id::DoubleActiveTrace, -1, -1}, {id::Persist, -1, 64}, {id::BaseLine, 2, 9}};

void apply(ChartHost& chart, std::span<const Setting> settings)
{
    for (const Setting& s : settings)
        QCOMPARE(s.index < 0 ? chart.put(s.member, Variant(s.value)) : chart.put(s.member, s.index, Variant(s.value)),
            hr::ok);
}

int32_t read(ChartHost& chart, const Setting& s)
{
    return s.index < 0 ? chart.number(s.member) : chart.number(s.member, s.index);
}

// A chart must stay usable after any load: it takes data and a redraw.
void plotsAfterwards(ChartHost& chart)
{
    std::vector<int16_t> line(64, -1200);
    Variant args[3] = {Variant::refShorts(line.data()), Variant(int16_t(2)), Variant(int16_t(32))};
    QCOMPARE(chart.dispatch().call(id::ChartEx, args), hr::ok);
    QCOMPARE(chart.put(id::ScrollMode, Variant::fromBool(true)), hr::ok);
}

}  // namespace

class TestChartRecord : public QObject {
    Q_OBJECT
private slots:
    void newChartRecordIsExact()
    {
        ChartHost chart;
        QByteArray saved;
        QCOMPARE(chart.stream().save(saved), hr::ok);
        QCOMPARE(saved.size(), 246);
        QCOMPARE(saved, newChartRecord(chart.widget()));
    }

    void savedSettingsComeBack_data()
    {
        QTest::addColumn<bool>("byName");
        QTest::newRow("byte stream") << false;
        QTest::newRow("named values") << true;
    }

    void savedSettingsComeBack()
    {
        QFETCH(bool, byName);
        ChartHost original;
        apply(original, persisted);
        apply(original, notPersisted);
        QCOMPARE(original.put(id::ChartText, "gone"), hr::ok);
        QByteArray stream;
        MemoryPropertyBag bag;
        QCOMPARE(byName ? original.object->persistPropertyBag()->save(bag) : original.stream().save(stream), hr::ok);
        QVERIFY(!original.isDirty());

        ChartHost reloaded;
        QCOMPARE(byName ? reloaded.object->persistPropertyBag()->load(bag) : reloaded.stream().load(stream), hr::ok);
        for (const Setting& s : persisted)
            QCOMPARE(read(reloaded, s), read(original, s));
        ChartHost fresh;
        for (const Setting& s : notPersisted)
            QCOMPARE(read(reloaded, s), read(fresh, s));
        QCOMPARE(reloaded.text(), QString());
        QCOMPARE(reloaded.widget().height(), original.widget().height());
        QVERIFY(!reloaded.isDirty());
        plotsAfterwards(reloaded);
    }

    // Loading derives each channel's centre and half-range again: the next
    // scale clamp sees channel 0's half-range of 5 and widens it.
    void loadDerivesScales()
    {
        ChartHost chart;
        QByteArray record = newChartRecord(chart.widget());
        patchLe(record, ymin0, 0, 4);
        patchLe(record, ymax0, 10, 4);
        patchLe(record, lockFlag, 1, 1);
        QCOMPARE(chart.stream().load(record), hr::ok);
        QCOMPARE(chart.number(id::Lock), -1);
        QCOMPARE(chart.number(id::Ymax, 0), 10);
        QCOMPARE(chart.put(id::Ymax, 5, Variant(int32_t(32768))), hr::ok);
        QCOMPARE(chart.number(id::Ymax, 0), 21);
        QCOMPARE(chart.number(id::Ymin, 0), -11);
    }

    void resetGivesDefaults()
    {
        ChartHost chart;
        apply(chart, persisted);
        QCOMPARE(chart.stream().initNew(), hr::ok);
        ChartHost fresh;
        for (const Setting& s : persisted)
            if (s.member != id::Xmax)
                QCOMPARE(read(chart, s), read(fresh, s));
        QVERIFY(!chart.isDirty());
    }

    void repeatedNamesAreNumbered()
    {
        ChartHost chart;
        QCOMPARE(chart.put(id::Ymax, 3, Variant(int32_t(1000))), hr::ok);
        QCOMPARE(chart.put(id::Step, Variant(int16_t(-4))), hr::ok);
        MemoryPropertyBag bag;
        QCOMPARE(chart.object->persistPropertyBag()->save(bag), hr::ok);
        QCOMPARE(bag.values().size(), 4 + 68);
        QCOMPARE(asLong(bag.values().value("Ymax#4")), 1000);
        QCOMPARE(asLong(bag.values().value("Ymin")), -32768);
        QCOMPARE(asShort(bag.values().value("Step")), int16_t(1));
        QCOMPARE(asShort(bag.values().value("Step#2")), int16_t(-4));
        QCOMPARE(asLong(bag.values().value("PLINE15")), 0x404040);

        // A store holding a few values: the rest take their defaults.
        MemoryPropertyBag sparse;
        sparse.write("Ymax#2", Variant(int32_t(500)));
        sparse.write("Lock", Variant::fromBool(true));
        sparse.write("PenSize", Variant("not a number"));
        ChartHost loaded;
        QCOMPARE(loaded.object->persistPropertyBag()->load(sparse), hr::ok);
        QCOMPARE(loaded.number(id::Ymax, 1), 500);
        QCOMPARE(loaded.number(id::Ymax, 0), 32768);
        QCOMPARE(loaded.number(id::Lock), -1);
        QCOMPARE(loaded.number(id::PenSize), 1);
    }

    void damagedRecords_data()
    {
        QTest::addColumn<int>("damage");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("gridSpacing");  // 33 when the record was refused
        QTest::addColumn<int>("width");
        QTest::newRow("empty") << 0 << hr::fail << 33 << 200;
        QTest::newRow("shorter than the header") << 1 << hr::fail << 33 << 200;
        QTest::newRow("other version") << 2 << hr::fail << 33 << 200;
        QTest::newRow("random bytes") << 3 << hr::fail << 33 << 200;
        QTest::newRow("cut after the scales") << 4 << hr::falseResult << 20 << 640;
        QTest::newRow("cut inside a field") << 5 << hr::falseResult << 20 << 640;
        QTest::newRow("trailing bytes") << 6 << hr::ok << 7 << 640;
        QTest::newRow("zeros after the header") << 7 << hr::ok << 20 << 640;
        QTest::newRow("absurd extent") << 8 << hr::ok << 20 << 200;
        QTest::newRow("surfaces beyond the memory") << 9 << hr::outOfMemory << 33 << 200;
    }

    void damagedRecords()
    {
        QFETCH(int, damage);
        QFETCH(int, result);
        QFETCH(int, gridSpacing);
        QFETCH(int, width);
        ChartHost chart;
        QCOMPARE(chart.put(id::Xmax, Variant(int32_t(200))), hr::ok);
        QCOMPARE(chart.put(id::GridSpacingX, Variant(int16_t(33))), hr::ok);
        chart.widget().resize(640, chart.widget().height());  // the size the record's extent holds
        QByteArray record = newChartRecord(chart.widget());
        chart.widget().resize(200, chart.widget().height());
        patchLe(record, gridSpacingX, 7, 2);
        switch (damage) {
        case 0: record.clear(); break;
        case 1: record.truncate(10); break;
        case 2: patchLe(record, 0, 0x00020000, 4); break;
        case 3:
            for (char& c : record)
                c = char(QRandomGenerator::global()->bounded(256));
            record[2] = 0x7F;
            break;
        case 4: record.truncate(150); break;
        case 5: record.truncate(19); break;
        case 6: record.append(QByteArray(1000, '\x55')); break;
        case 7: record = record.left(16) + QByteArray(230, '\0'); break;
        case 8:
            patchLe(record, 4, 0x7FFFFFFF, 4);
            patchLe(record, gridSpacingX, 0, 2);
            break;
        case 9:  // 4096 pixels a side: 64 MiB a surface
            patchLe(record, 4, uint32_t(hundredthsMm(4096, chart.widget().logicalDpiX())), 4);
            patchLe(record, 8, uint32_t(hundredthsMm(4096, chart.widget().logicalDpiY())), 4);
            refuseFrom = 32 << 20;
            break;
        }
        const HResult loaded = chart.stream().load(record);
        refuseFrom = SIZE_MAX;
        QCOMPARE(loaded, result);
        QCOMPARE(chart.number(id::GridSpacingX), gridSpacing);
        QCOMPARE(chart.number(id::Xmax), width);
        const int penSize = chart.number(id::PenSize);
        QVERIFY(penSize >= 1 && penSize <= 15);
        QVERIFY(chart.number(id::Step) != 0);
        plotsAfterwards(chart);
    }
};

QTEST_MAIN(TestChartRecord)
#include "test_chart_record.moc"
