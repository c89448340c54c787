#include <automation/persistence.h>

#include <QTest>

using namespace automation;

namespace {

// A small record walked by every kind of exchange, with one repeated name.
struct Record {
    uint32_t version = 0;
    int16_t flag = 0;
    int16_t stepA = 0;
    int16_t stepB = 0;
    int32_t low = 0;

    void exchange(PropertyExchange& px)
    {
        px.ulongValue("Version", version, 0x10000);
        px.boolean("Flag", flag, variantTrue);
        px.shortValue("Step", stepA, 1);
        px.shortValue("Step", stepB, 2);
        px.longValue("Low", low, -32768);
    }
};

}  // namespace

class TestPersistence : public QObject {
    Q_OBJECT
private slots:
    void defaultsFillEveryField()
    {
        Record r;
        DefaultsExchange px;
        r.exchange(px);
        QCOMPARE(r.version, 0x10000u);
        QCOMPARE(r.flag, variantTrue);
        QCOMPARE(r.stepB, int16_t(2));
        QCOMPARE(r.low, -32768);
    }

    void streamIsLittleEndianWithoutPadding()
    {
        Record r{0x01020304, variantTrue, 3, -2, -32768};
        QByteArray bytes;
        StreamSaveExchange px(bytes);
        r.exchange(px);
        QCOMPARE(bytes, QByteArray::fromHex("04030201" "01" "0300" "feff" "0080ffff"));
    }

    void streamRoundTrip()
    {
        Record saved{7, variantFalse, 9, 4, 123456};
        QByteArray bytes;
        StreamSaveExchange out(bytes);
        saved.exchange(out);
        Record loaded;
        StreamLoadExchange in(bytes);
        loaded.exchange(in);
        QVERIFY(!in.ranShort());
        QCOMPARE(loaded.version, 7u);
        QCOMPARE(loaded.flag, variantFalse);
        QCOMPARE(loaded.stepA, int16_t(9));
        QCOMPARE(loaded.stepB, int16_t(4));
        QCOMPARE(loaded.low, 123456);
    }

    void shortStreamGivesDefaultsForMissingFields_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("expectedStepB");
        QTest::newRow("empty") << 0 << 2;
        QTest::newRow("cut inside a field") << 8 << 2;
        QTest::newRow("up to stepB") << 9 << 4;
    }

    void shortStreamGivesDefaultsForMissingFields()
    {
        QFETCH(int, length);
        QFETCH(int, expectedStepB);
        QByteArray bytes;
        StreamSaveExchange out(bytes);
        Record{7, variantFalse, 9, 4, 99}.exchange(out);
        Record loaded;
        StreamLoadExchange in(QByteArrayView(bytes).first(length));
        loaded.exchange(in);
        QVERIFY(in.ranShort());
        QCOMPARE(loaded.stepB, int16_t(expectedStepB));
        QCOMPARE(loaded.low, -32768);
    }

    void bagKeepsRepeatedNamesApart()
    {
        MemoryPropertyBag bag;
        BagSaveExchange out(bag);
        Record{1, variantTrue, 5, 6, 7}.exchange(out);
        QCOMPARE(asShort(*bag.read("Step")), int16_t(5));
        QCOMPARE(asShort(*bag.read("Step#2")), int16_t(6));
        Record loaded;
        BagLoadExchange in(bag);
        loaded.exchange(in);
        QCOMPARE(loaded.stepA, int16_t(5));
        QCOMPARE(loaded.stepB, int16_t(6));
        QCOMPARE(loaded.flag, variantTrue);
    }

    void bagValuesOfWrongTypeTakeDefaults()
    {
        MemoryPropertyBag bag;
        bag.write("Step", Variant("not a number"));
        bag.write("Low", Variant(1e12));
        bag.write("Flag", Variant(int32_t(0)));
        Record loaded;
        BagLoadExchange in(bag);
        loaded.exchange(in);
        QCOMPARE(loaded.stepA, int16_t(1));
        QCOMPARE(loaded.low, -32768);
        QCOMPARE(loaded.flag, variantFalse);
    }
};

QTEST_GUILESS_MAIN(TestPersistence)
#include "test_persistence.moc"
