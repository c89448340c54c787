// The FFT component through its dispatch interface, on an object created by
// class identity, against a direct DFT computed in long double.
#include <automation/class_ids.h>
#include <automation/host.h>
#include <automation/interfaces/fourel.h>

#include <QTest>

#include <climits>
#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <vector>

using namespace automation;
using Complex = std::complex<long double>;

namespace {

// Interleaved values with room on both sides, so a write past the frame shows.
struct Frame {
    static constexpr int guard = 8;
    static constexpr double guardValue = 12345.678;
    explicit Frame(int n, int offset = 0) : values(2 * n + 2 * guard, guardValue), first(guard + offset), n(n) {}

    double* data() { return values.data() + first; }
    double& re(int k) { return data()[2 * k]; }
    double& im(int k) { return data()[2 * k + 1]; }
    Complex at(int k) { return {re(k), im(k)}; }
    bool guardsIntact() const
    {
        for (int i = 0; i < int(values.size()); ++i)
            if ((i < first || i >= first + 2 * n) && values[i] != guardValue)
                return false;
        return true;
    }

    std::vector<double> values;
    int first;
    int n;
};

Frame randomFrame(int n, int offset = 0)
{
    Frame f(n, offset);
    std::mt19937 generator(n);
    std::uniform_real_distribution<double> sample(-32768.0, 32767.0);
    for (int i = 0; i < 2 * n; ++i)
        f.data()[i] = sample(generator);
    return f;
}

// X(k) = sum x(j) exp(-2 pi i k j / N), with the twiddles tabulated once.
std::vector<Complex> directDft(Frame& input, const std::vector<int>& bins)
{
    const int n = input.n;
    std::vector<Complex> twiddle(n);
    for (int m = 0; m < n; ++m)
        twiddle[m] = std::polar(1.0L, -2 * std::numbers::pi_v<long double> * m / n);
    std::vector<Complex> out;
    for (int k : bins) {
        Complex sum = 0;
        for (int j = 0; j < n; ++j)
            sum += input.at(j) * twiddle[(int64_t(k) * j) % n];
        out.push_back(sum);
    }
    return out;
}

}  // namespace

class TestFourel : public QObject {
    Q_OBJECT

    ComponentPtr m_object;
    Dispatch* fft() { return m_object->dispatch(); }

    HResult setForward(bool forward) { return fft()->put(fourel::dispid::TransformFlag, Variant::fromBool(forward)); }

    // Calls FFT the way the analyser does and returns its short result.
    int transform(Frame& frame, int32_t n)
    {
        const int32_t passed = n;
        Variant args[2] = {Variant::refDoubles(frame.data()), Variant::refLong(&n)};
        Variant result;
        if (fft()->call(fourel::dispid::FFT, args, &result) != hr::ok || !result.get<int16_t>())
            return INT_MIN;
        if (n != passed)
            return INT_MAX;
        return *result.get<int16_t>();
    }

    static void addSizes(int from)
    {
        QTest::addColumn<int>("n");
        for (int n = from; n <= 16384; n *= 2)
            QTest::addRow("N=%d", n) << n;
    }

private slots:
    void init()
    {
        QCOMPARE(createInstance(classes::fourel.classId, m_object), hr::ok);
        QVERIFY(m_object && fft());
    }

    void matchesDirectDft_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("offset");  // in doubles: 1 leaves the array off SIMD alignment
        for (int n : {2, 8, 64})
            QTest::addRow("N=%d", n) << n << 0;
        for (int n = 1024; n <= 16384; n *= 2)
            QTest::addRow("N=%d", n) << n << 0;
        QTest::addRow("N=2048 unaligned") << 2048 << 1;
        QTest::addRow("N=16384 unaligned") << 16384 << 1;
    }

    void matchesDirectDft()
    {
        QFETCH(int, n);
        QFETCH(int, offset);
        // Every bin while that stays cheap, else a fixed random subset.
        std::vector<int> bins;
        if (n <= 4096) {
            for (int k = 0; k < n; ++k)
                bins.push_back(k);
        } else {
            std::mt19937 pick(7);
            for (int i = 0; i < 256; ++i)
                bins.push_back(int(pick() % unsigned(n)));
        }
        // The first call of a size plans on another, aligned array; the
        // frame under test then reuses that plan.
        Frame first = randomFrame(n);
        QCOMPARE(transform(first, n), 0);
        Frame frame = randomFrame(n, offset);
        const std::vector<Complex> expected = directDft(frame, bins);

        QCOMPARE(transform(frame, n), 0);
        long double error = 0, norm = 0;
        for (size_t i = 0; i < bins.size(); ++i) {
            error += std::norm(frame.at(bins[i]) - expected[i]);
            norm += std::norm(expected[i]);
        }
        QVERIFY2(std::sqrt(error / norm) < 1e-9, qPrintable(QString::number(double(std::sqrt(error / norm)))));
        QVERIFY(frame.guardsIntact());
    }

    void fullScaleSineReadsFullScale_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("bin");
        QTest::addColumn<double>("phase");
        for (int n = 1024; n <= 16384; n *= 2) {
            QTest::addRow("N=%d, bin 1", n) << n << 1 << 0.0;
            QTest::addRow("N=%d, bin N/8+3, sine", n) << n << n / 8 + 3 << std::numbers::pi / 2;
            QTest::addRow("N=%d, bin N/2-1, phase 1", n) << n << n / 2 - 1 << 1.0;
        }
    }

    void fullScaleSineReadsFullScale()
    {
        QFETCH(int, n);
        QFETCH(int, bin);
        QFETCH(double, phase);
        Frame frame(n);
        for (int j = 0; j < n; ++j) {
            frame.re(j) = 32767.0 * std::cos(2 * std::numbers::pi * bin * j / n - phase);
            frame.im(j) = 0;
        }
        QCOMPARE(transform(frame, n), 0);
        QVERIFY(std::abs(2 * std::abs(frame.at(bin)) / n - 32767.0) < 1e-6);
        QVERIFY(2 * std::abs(frame.at(bin + 1)) / n < 1e-6);
    }

    void impulseAndConstant_data()
    {
        QTest::addColumn<int>("impulseAt");  // -1: a constant 3 + 2i instead
        QTest::newRow("impulse at 0") << 0;
        QTest::newRow("impulse at 5") << 5;
        QTest::newRow("constant") << -1;
    }

    void impulseAndConstant()
    {
        QFETCH(int, impulseAt);
        const int n = 1024;
        const Complex c(3, 2);
        Frame frame(n);
        for (int j = 0; j < n; ++j) {
            const Complex v = impulseAt < 0 ? c : Complex(j == impulseAt ? 1 : 0);
            frame.re(j) = double(v.real());
            frame.im(j) = double(v.imag());
        }
        QCOMPARE(transform(frame, n), 0);
        for (int k = 0; k < n; ++k) {
            const Complex expected = impulseAt < 0
                ? (k == 0 ? c * Complex(n) : Complex(0))
                : std::polar(1.0L, -2 * std::numbers::pi_v<long double> * k * impulseAt / n);
            QVERIFY2(std::abs(frame.at(k) - expected) < 1e-9, qPrintable(QString("bin %1").arg(k)));
        }
    }

    void badLengthLeavesDataUntouched_data()
    {
        QTest::addColumn<int>("n");
        for (int n : {0, -4, 1, 3, 1000, 16385, 32768, INT_MIN})
            QTest::addRow("N=%d", n) << n;
    }

    void badLengthLeavesDataUntouched()
    {
        QFETCH(int, n);
        Frame frame = randomFrame(1024);
        const std::vector<double> before = frame.values;
        const int status = transform(frame, n);
        QVERIFY(status < 0 && status >= -32768);
        QVERIFY(frame.values == before);
        // The object stays usable.
        QCOMPARE(transform(frame, 1024), 0);
    }

    void inverseOfForwardIsNTimesInput_data() { addSizes(1024); }

    void inverseOfForwardIsNTimesInput()
    {
        QFETCH(int, n);
        Frame frame = randomFrame(n);
        const std::vector<double> input = frame.values;
        Variant flag;
        QCOMPARE(setForward(false), hr::ok);
        QCOMPARE(fft()->get(fourel::dispid::TransformFlag, flag), hr::ok);
        QVERIFY(!asBool(flag));
        QCOMPARE(transform(frame, n), 0);
        QCOMPARE(setForward(true), hr::ok);
        QCOMPARE(transform(frame, n), 0);
        long double error = 0, norm = 0;
        for (int i = 0; i < 2 * n; ++i) {
            const long double expected = (long double)input[Frame::guard + i] * n;
            error += std::pow(frame.data()[i] - expected, 2);
            norm += expected * expected;
        }
        QVERIFY(std::sqrt(error / norm) < 1e-12);
    }

    void wrongArgumentsAreDispatchErrors_data()
    {
        QTest::addColumn<int>("form");
        QTest::addColumn<int>("expected");
        QTest::newRow("data by value") << 0 << hr::typeMismatch;
        QTest::newRow("null data reference") << 1 << hr::typeMismatch;
        QTest::newRow("16-bit data reference") << 2 << hr::typeMismatch;
        QTest::newRow("length by value") << 3 << hr::typeMismatch;
        QTest::newRow("null length reference") << 4 << hr::typeMismatch;
        QTest::newRow("one argument") << 5 << hr::badParamCount;
        QTest::newRow("no arguments") << 6 << hr::badParamCount;
    }

    void wrongArgumentsAreDispatchErrors()
    {
        QFETCH(int, form);
        QFETCH(int, expected);
        Frame frame = randomFrame(1024);
        const std::vector<double> before = frame.values;
        int32_t n = 1024;
        int16_t shorts[4] = {};
        const std::vector<std::vector<Variant>> forms = {
            {Variant(frame.re(0)), Variant::refLong(&n)},
            {Variant::refDoubles(nullptr), Variant::refLong(&n)},
            {Variant::refShorts(shorts), Variant::refLong(&n)},
            {Variant::refDoubles(frame.data()), Variant(n)},
            {Variant::refDoubles(frame.data()), Variant::refLong(nullptr)},
            {Variant::refDoubles(frame.data())},
            {},
        };
        std::vector<Variant> args = forms[form];
        QCOMPARE(fft()->call(fourel::dispid::FFT, args), expected);
        QVERIFY(frame.values == before);
    }
};

QTEST_GUILESS_MAIN(TestFourel)
#include "test_fourel.moc"
