#include <automation/variant.h>

#include <QTest>

#include <cfenv>

#include <limits>

using namespace automation;

Q_DECLARE_METATYPE(automation::Variant)

class TestValues : public QObject {
    Q_OBJECT
private slots:
    void changeType_data();
    void changeType();
    void typeTags_data();
    void typeTags();
    void truncation_data();
    void truncation();
    void roundingToEven_data();
    void roundingToEven();
};

void TestValues::changeType_data()
{
    QTest::addColumn<Variant>("input");
    QTest::addColumn<int>("target");
    QTest::addColumn<int>("expectedResult");
    QTest::addColumn<double>("expectedValue");

    QTest::newRow("double rounds half to even") << Variant(2.5) << int(vtI2) << hr::ok << 2.0;
    QTest::newRow("double rounds 3.5 up") << Variant(3.5) << int(vtI2) << hr::ok << 4.0;
    QTest::newRow("negative half") << Variant(-2.5) << int(vtI4) << hr::ok << -2.0;
    QTest::newRow("short overflow") << Variant(int32_t(40000)) << int(vtI2) << hr::overflow << 0.0;
    QTest::newRow("short lowest") << Variant(int32_t(-32768)) << int(vtI2) << hr::ok << -32768.0;
    QTest::newRow("long overflow") << Variant(3e9) << int(vtI4) << hr::overflow << 0.0;
    QTest::newRow("bool to short") << Variant::fromBool(true) << int(vtI2) << hr::ok << -1.0;
    QTest::newRow("number to bool") << Variant(int16_t(5)) << int(vtBool) << hr::ok << -1.0;
    QTest::newRow("zero to bool") << Variant(0.0) << int(vtBool) << hr::ok << 0.0;
    QTest::newRow("numeric string") << Variant(" 12.5 ") << int(vtR8) << hr::ok << 12.5;
    QTest::newRow("text string") << Variant("abc") << int(vtI2) << hr::typeMismatch << 0.0;
    QTest::newRow("empty reads zero") << Variant() << int(vtI4) << hr::ok << 0.0;
    QTest::newRow("null mismatches") << Variant(NullValue{}) << int(vtI2) << hr::typeMismatch << 0.0;
    QTest::newRow("array mismatches") << Variant(SafeArray::shorts1D({1, 2})) << int(vtI2) << hr::typeMismatch << 0.0;
    QTest::newRow("nan overflows") << Variant(std::numeric_limits<double>::quiet_NaN()) << int(vtI2) << hr::overflow << 0.0;
    QTest::newRow("float range") << Variant(1e300) << int(vtR4) << hr::overflow << 0.0;
    QTest::newRow("byte") << Variant(int16_t(255)) << int(vtUI1) << hr::ok << 255.0;
    QTest::newRow("byte overflow") << Variant(int16_t(-1)) << int(vtUI1) << hr::overflow << 0.0;
}

void TestValues::changeType()
{
    QFETCH(Variant, input);
    QFETCH(int, target);
    QFETCH(int, expectedResult);
    QFETCH(double, expectedValue);
    Variant out;
    QCOMPARE(automation::changeType(input, static_cast<VarType>(target), out), expectedResult);
    if (expectedResult == hr::ok) {
        QCOMPARE(out.vt(), target);
        QCOMPARE(asDouble(out), expectedValue);
    }
}

void TestValues::typeTags_data()
{
    QTest::addColumn<Variant>("value");
    QTest::addColumn<int>("tag");
    int16_t shorts[2] = {};
    double doubles[2] = {};
    int32_t one = 0;
    QTest::newRow("empty") << Variant() << 0;
    QTest::newRow("short") << Variant(int16_t(1)) << 2;
    QTest::newRow("bool") << Variant::fromBool(false) << 11;
    QTest::newRow("string") << Variant("x") << 8;
    QTest::newRow("short array") << Variant(SafeArray::shorts1D({1})) << 8194;
    QTest::newRow("ref short") << Variant::refShorts(shorts) << (0x4000 | 2);
    QTest::newRow("ref double") << Variant::refDoubles(doubles) << (0x4000 | 5);
    QTest::newRow("ref long") << Variant::refLong(&one) << (0x4000 | 3);
}

void TestValues::typeTags()
{
    QFETCH(Variant, value);
    QFETCH(int, tag);
    QCOMPARE(int(value.vt()), tag);
}

void TestValues::truncation_data()
{
    QTest::addColumn<double>("input");
    QTest::addColumn<int>("low16");
    QTest::newRow("toward zero") << -2.9 << -2;
    QTest::newRow("wraps") << 65537.7 << 1;
    QTest::newRow("sign bit") << 32768.0 << -32768;
    QTest::newRow("large") << 4294967296.0 + 5.0 << 5;
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << 0;
}

void TestValues::truncation()
{
    QFETCH(double, input);
    QFETCH(int, low16);
    QCOMPARE(int(truncateToLow16(input)), low16);
}

void TestValues::roundingToEven_data()
{
    QTest::addColumn<double>("input");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<int>("expected");
    QTest::newRow("0.5") << 0.5 << true << 0;
    QTest::newRow("1.5") << 1.5 << true << 2;
    QTest::newRow("12345.5") << 12345.5 << true << 12346;
    QTest::newRow("-2.5") << -2.5 << true << -2;
    QTest::newRow("2.4999") << 2.4999 << true << 2;
    QTest::newRow("-0") << -0.0 << true << 0;
    QTest::newRow("too big") << 1e10 << false << 0;
    QTest::newRow("inf") << std::numeric_limits<double>::infinity() << false << 0;
}

void TestValues::roundingToEven()
{
    QFETCH(double, input);
    QFETCH(bool, fits);
    QFETCH(int, expected);
    // Whatever rounding mode some library left behind.
    for (const int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        std::fesetround(mode);
        const auto r = roundHalfEven32(input);
        std::fesetround(FE_TONEAREST);
        QCOMPARE(r.has_value(), fits);
        if (fits)
            QCOMPARE(*r, expected);
    }
}

QTEST_GUILESS_MAIN(TestValues)
#include "test_values.moc"
