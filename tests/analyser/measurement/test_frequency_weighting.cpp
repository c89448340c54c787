// A and C weighting against the table of IEC 61672-1:2013 (Table 3), at the
// exact base-10 frequencies 10^(n/10) Hz the table stands for, and the meter's
// filters against the curve.
#include "frequency_weighting.h"
#include "weighting_filter.h"

#include <QTest>

#include <cmath>
#include <numbers>

using namespace vellarin;

class FrequencyWeightingTest : public QObject {
    Q_OBJECT
private slots:
    void standardTable_data()
    {
        QTest::addColumn<int>("n");  // the frequency is 10^(n/10) Hz
        QTest::addColumn<double>("a");
        QTest::addColumn<double>("c");
        // IEC 61672-1:2013, Table 3: nominal frequency, A, C (dB, rounded to 0.1).
        const struct {
            const char* nominal;
            double a, c;
        } table[] = {
            {"10", -70.4, -14.3},   {"12.5", -63.4, -11.2}, {"16", -56.7, -8.5},   {"20", -50.5, -6.2},
            {"25", -44.7, -4.4},    {"31.5", -39.4, -3.0},  {"40", -34.6, -2.0},   {"50", -30.2, -1.3},
            {"63", -26.2, -0.8},    {"80", -22.5, -0.5},    {"100", -19.1, -0.3},  {"125", -16.1, -0.2},
            {"160", -13.4, -0.1},   {"200", -10.9, 0.0},    {"250", -8.6, 0.0},    {"315", -6.6, 0.0},
            {"400", -4.8, 0.0},     {"500", -3.2, 0.0},     {"630", -1.9, 0.0},    {"800", -0.8, 0.0},
            {"1000", 0.0, 0.0},     {"1250", 0.6, 0.0},     {"1600", 1.0, -0.1},   {"2000", 1.2, -0.2},
            {"2500", 1.3, -0.3},    {"3150", 1.2, -0.5},    {"4000", 1.0, -0.8},   {"5000", 0.5, -1.3},
            {"6300", -0.1, -2.0},   {"8000", -1.1, -3.0},   {"10000", -2.5, -4.4}, {"12500", -4.3, -6.2},
            {"16000", -6.6, -8.5},  {"20000", -9.3, -11.2},
        };
        int n = 10;
        for (const auto& row : table)
            QTest::newRow(row.nominal) << n++ << row.a << row.c;
    }

    // Within the table's rounding: half its last digit.
    void standardTable()
    {
        QFETCH(int, n);
        QFETCH(double, a);
        QFETCH(double, c);
        const double hz = std::pow(10.0, n / 10.0);
        const double gotA = weightingDb(Weighting::a, hz);
        const double gotC = weightingDb(Weighting::c, hz);
        QVERIFY2(std::fabs(gotA - a) <= 0.05, qPrintable(QStringLiteral("A at %1 Hz: %2").arg(hz).arg(gotA)));
        QVERIFY2(std::fabs(gotC - c) <= 0.05, qPrintable(QStringLiteral("C at %1 Hz: %2").arg(hz).arg(gotC)));
        QCOMPARE(weightingDb(Weighting::z, hz), 0.0);
    }

    void filterFollowsCurve_data()
    {
        QTest::addColumn<int>("weighting");
        QTest::addColumn<double>("rate");
        for (double rate : {44100.0, 48000.0}) {
            QTest::addRow("A at %g Hz", rate) << int(Weighting::a) << rate;
            QTest::addRow("C at %g Hz", rate) << int(Weighting::c) << rate;
            QTest::addRow("Z at %g Hz", rate) << int(Weighting::z) << rate;
        }
    }

    // From 10 Hz to 10 kHz in twentieths of a decade, within 0.5 dB.
    void filterFollowsCurve()
    {
        QFETCH(int, weighting);
        QFETCH(double, rate);
        WeightingFilter filter;
        filter.design(Weighting(weighting), rate);
        for (int n = 20; n <= 80; ++n) {
            const double hz = std::pow(10.0, n / 20.0);
            const double got = filter.responseDb(hz);
            const double want = weightingDb(Weighting(weighting), hz);
            QVERIFY2(std::fabs(got - want) <= 0.5,
                     qPrintable(QStringLiteral("%1 Hz: filter %2 dB, curve %3 dB").arg(hz).arg(got).arg(want)));
        }
    }

    void filteredSine_data()
    {
        QTest::addColumn<int>("weighting");
        QTest::addColumn<double>("hz");
        QTest::newRow("A, 100 Hz") << int(Weighting::a) << 100.0;
        QTest::newRow("A, 1 kHz") << int(Weighting::a) << 1000.0;
        QTest::newRow("A, 8 kHz") << int(Weighting::a) << 8000.0;
        QTest::newRow("C, 31.5 Hz") << int(Weighting::c) << 31.5;
        QTest::newRow("C, 10 kHz") << int(Weighting::c) << 10000.0;
    }

    // The samples through the filter, not just its coefficients: a steady
    // sine comes out weighted by the curve within 0.5 dB.
    void filteredSine()
    {
        QFETCH(int, weighting);
        QFETCH(double, hz);
        const double rate = 48000;
        WeightingFilter filter;
        filter.design(Weighting(weighting), rate);
        const int settle = int(rate), measure = int(rate);
        double in = 0, out = 0;
        for (int i = 0; i < settle + measure; ++i) {
            const double x = std::sin(2 * std::numbers::pi * hz * i / rate);
            const double y = filter.process(x);
            if (i >= settle) {
                in += x * x;
                out += y * y;
            }
        }
        const double got = 10 * std::log10(out / in);
        QVERIFY2(std::fabs(got - weightingDb(Weighting(weighting), hz)) <= 0.5, qPrintable(QString::number(got)));
    }

    void keys()
    {
        for (const WeightingShape& s : weightingShapes())
            QCOMPARE(weightingFromKey(QLatin1String(s.key)), s.weighting);
        QCOMPARE(weightingFromKey(QStringLiteral("B")), Weighting::z);
    }
};

QTEST_GUILESS_MAIN(FrequencyWeightingTest)
#include "test_frequency_weighting.moc"
