// Reading the number at the start of a drop-down's text, in an application
// running under a comma-decimal locale.
#include "number_text.h"

#include <QTest>

#include <clocale>
#include <cmath>
#include <cstdlib>

using vellarin::readLeadingNumber;

class NumberTextTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // The application took the locale from the environment; the C
        // library must now read "0.5" as 0, or the rows below prove nothing.
        QVERIFY2(std::strtod("0.5", nullptr) == 0.0,
                 "no comma-decimal locale (de_DE.UTF-8); scripts/setup makes it");
    }

    void reading_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("fits");
        QTest::addColumn<int>("rounded");

        QTest::newRow("plain rate") << "44100" << 44100.0 << true << 44100;
        QTest::newRow("tie goes to even, up") << "12345.5" << 12345.5 << true << 12346;
        QTest::newRow("tie goes to even, down") << "12344.5" << 12344.5 << true << 12344;
        QTest::newRow("negative tie") << "-12.5" << -12.5 << true << -12;
        QTest::newRow("device design text") << "0 (default)" << 0.0 << true << 0;
        QTest::newRow("device item") << "2 USB Audio" << 2.0 << true << 2;
        QTest::newRow("no number") << "abc" << 0.0 << true << 0;
        QTest::newRow("empty") << "" << 0.0 << true << 0;
        QTest::newRow("lone point") << "." << 0.0 << true << 0;
        QTest::newRow("lone sign") << "-" << 0.0 << true << 0;
        QTest::newRow("leading blanks and unit") << "  44100 Hz" << 44100.0 << true << 44100;
        QTest::newRow("plus sign") << "+8000" << 8000.0 << true << 8000;
        QTest::newRow("exponent") << "4.41e4" << 44100.0 << true << 44100;
        QTest::newRow("exponent without digits is not one") << "8e" << 8.0 << true << 8;
        QTest::newRow("negative zero") << "-0" << 0.0 << true << 0;
        QTest::newRow("beyond a double") << "1e9999" << 0.0 << false << 0;
        QTest::newRow("beyond 32 bits after rounding") << "2147483647.5" << 2147483647.5 << false << 0;
        QTest::newRow("lowest 32-bit") << "-2147483648" << -2147483648.0 << true << int(INT32_MIN);
        QTest::newRow("hex is not read") << "0x10" << 0.0 << true << 0;
        QTest::newRow("infinity is not read") << "inf" << 0.0 << true << 0;
    }

    void reading()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QFETCH(bool, fits);
        QFETCH(int, rounded);

        const vellarin::LeadingNumber n = readLeadingNumber(text);
        QCOMPARE(n.value, value);
        QVERIFY(std::isfinite(n.value));
        QVERIFY(!std::signbit(n.value) || n.value != 0.0);
        QCOMPARE(n.rounded.has_value(), fits);
        if (fits)
            QCOMPARE(*n.rounded, rounded);
    }
};

int main(int argc, char** argv)
{
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    QCoreApplication app(argc, argv);
    NumberTextTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_number_text.moc"
