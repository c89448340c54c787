// The stored chart record and the typed bindings to the hosted components,
// through the real modules.
#include "components/cascadra_binding.h"
#include "components/chart_record.h"
#include "components/fourel_binding.h"
#include "components/trazel_binding.h"

#include <interfaces/trazel.h>
#include <automation/registry.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <vector>

using namespace vellarin;
using namespace automation;

namespace {

int64_t readLittleEndian(const QByteArray& bytes, int offset, int width)
{
    uint64_t v = 0;
    for (int i = 0; i < width; ++i)
        v |= uint64_t(uint8_t(bytes[offset + i])) << (8 * i);
    // Sign-extend the 16- and 32-bit fields.
    const uint64_t sign = uint64_t(1) << (8 * width - 1);
    return width < 8 && (v & sign) ? int64_t(v) - int64_t(uint64_t(1) << (8 * width)) : int64_t(v);
}

int32_t chartLong(TrazelBinding& chart, DispId id)
{
    Variant v;
    chart.component()->dispatch()->get(id, v);
    return toLong(v, INT32_MIN);
}

}  // namespace

class BindingsTest : public QObject {
    Q_OBJECT
private slots:
    void storedRecord_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("width");
        QTest::addColumn<qint64>("value");

        QTest::newRow("version 1.0") << 0 << 4 << qint64(0x00010000);
        QTest::newRow("extent width") << 4 << 4 << qint64(13573);
        QTest::newRow("extent height") << 8 << 4 << qint64(6376);
        QTest::newRow("GroupAction") << 16 << 1 << qint64(1);
        QTest::newRow("Ymax channel 15") << 141 << 4 << qint64(32768);
        QTest::newRow("PGRIDCOLOR") << 145 << 4 << qint64(0xC0C0C0);
        QTest::newRow("PLINE01") << 157 << 4 << qint64(0xFF0000);
        QTest::newRow("Channel") << 221 << 2 << qint64(0);
        QTest::newRow("GridSpacingX") << 231 << 2 << qint64(-2560);
        QTest::newRow("Lock") << 237 << 1 << qint64(1);
        QTest::newRow("ScrollMode") << 240 << 1 << qint64(1);
        QTest::newRow("ShowLegend") << 244 << 1 << qint64(0);
    }

    void storedRecord()
    {
        QFETCH(int, offset);
        QFETCH(int, width);
        QFETCH(qint64, value);
        const QByteArray record = storedChartRecord();
        QCOMPARE(record.size(), chartRecordSize);
        QCOMPARE(readLittleEndian(record, offset, width), value);
    }

    void chartLoadsTheStoredSettings()
    {
        TrazelBinding chart;
        QCOMPARE(chart.createFromRecord(storedChartRecord()), hr::ok);
        QVERIFY(chart.isAvailable());
        QVERIFY(chart.widget());
        QVERIFY(chart.lock());
        QCOMPARE(chartLong(chart, trazel::dispid::Channel), 0);
        QCOMPARE(chartLong(chart, trazel::dispid::GridSpacingX), -2560);
        QCOMPARE(chartLong(chart, trazel::dispid::ShowLegend), 0);
        QCOMPARE(chartLong(chart, trazel::dispid::ShowEraseBar), 0);
        QCOMPARE(chartLong(chart, trazel::dispid::ScrollMode), -1);

        chart.setYmin(0, 0);
        QCOMPARE(chart.ymin(0), 0);
        chart.setLock(false);
        QVERIFY(!chart.lock());
        chart.widget()->resize(400, 200);
        chart.widget()->show();
        QTRY_COMPARE(chart.xmax(), 400);
    }

    void missingChartIsHarmless()
    {
        // The class points at a file that is no module.
        QTemporaryDir dir;
        QFile(dir.filePath("libtrazel.so")).open(QIODevice::WriteOnly);
        ComponentRegistry registry;
        QCOMPARE(registry.registerClass({sdk::classes::trazelChart.classId, "TRAZEL.TrazelCtrl.1", "Trazel Control",
                                         dir.filePath("libtrazel.so")}),
                 hr::ok);
        TrazelBinding chart;
        const HResult created = chart.createFromRecord(storedChartRecord());
        registry.unregisterClass(sdk::classes::trazelChart.classId);

        QVERIFY(failed(created));
        QVERIFY(!chart.isAvailable());
        QVERIFY(!chart.widget());
        int16_t line[4] = {1, 2, 3, 4};
        chart.setKey("L");
        chart.chartEx(line, 1, 4);
        chart.setYmax(0, 100);
        QCOMPARE(chart.xmax(), 0);
        QVERIFY(!chart.lock());
    }

    void waterfallKeepsWhatItIsGiven()
    {
        CascadraBinding waterfall;
        QCOMPARE(waterfall.create(), hr::ok);
        QVERIFY(waterfall.widget());
        waterfall.setScrollDirection(5);
        QCOMPARE(waterfall.scrollDirection(), 5);
        waterfall.setView3D(0);
        QCOMPARE(waterfall.view3D(), 0);
        waterfall.setView3D(1);
        QCOMPARE(waterfall.view3D(), 1);
        waterfall.widget()->resize(320, 200);
        const QImage before = waterfall.widget()->grab().toImage();
        waterfall.addLine(std::vector<int16_t>(300, 16000));
        QVERIFY(waterfall.widget()->grab().toImage() != before);
    }

    void fftTransformsInPlace()
    {
        FourelBinding fft;
        QCOMPARE(fft.create(), hr::ok);
        // A unit impulse has a flat spectrum.
        std::vector<double> data(2 * 1024, 0.0);
        data[0] = 1.0;
        int32_t n = 1024;
        fft.setTransformFlag(true);
        QCOMPARE(fft.fft(data.data(), n), hr::ok);
        QCOMPARE(n, 1024);
        for (int k = 0; k <= 512; ++k) {
            QVERIFY(qAbs(data[2 * k] - 1.0) < 1e-12);
            QVERIFY(qAbs(data[2 * k + 1]) < 1e-12);
        }
    }
};

QTEST_MAIN(BindingsTest)
#include "test_bindings.moc"
