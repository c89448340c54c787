// The FFT component through its dispatch interface, on an object created by
// class identity, against a direct DFT computed in long double.
#include <interfaces/class_ids.h>
#include <automation/host.h>
#include <interfaces/fourel.h>

#include <QTest>

#include <algorithm>
#include <climits>
#include <complex>
#include <numbers>
#include <random>

using namespace automation;
using Complex = std::complex<long double>;
constexpr long double pi = std::numbers::pi_v<long double>;

namespace {

// n interleaved values, `offset` doubles into an array with a guard band on
// both sides, so that a write past the frame shows.
struct Frame {
    static constexpr int guard = 8;
    static constexpr double guardValue = 12345.678;
    Frame(int n, int offset = 0) : values(2 * n + 2 * guard, guardValue), first(guard + offset), n(n) {}

    double* data() { return values.data() + first; }
    Complex at(int k) const { return {values[first + 2 * k], values[first + 2 * k + 1]}; }
    void set(int k, Complex v) { values[first + 2 * k] = double(v.real()), values[first + 2 * k + 1] = double(v.imag()); }
    bool guardsIntact() const
    {
        const auto intact = [](double v) { return v == guardValue; };
        return std::all_of(values.begin(), values.begin() + first, intact) &&
               std::all_of(values.begin() + first + 2 * n, values.end(), intact);
    }

    std::vector<double> values;
    int first;
    int n;
};

enum Input { Random, Impulse, Constant };

Frame makeFrame(Input input, int n, int offset = 0)
{
    Frame f(n, offset);
    std::mt19937 generator(n);
    std::uniform_real_distribution<double> sample(-32768.0, 32767.0);
    for (int j = 0; j < n; ++j)
        f.set(j, input == Random ? Complex(sample(generator), sample(generator))
                 : input == Impulse ? Complex(j == 5)
                                    : Complex(3, -2));
    return f;
}

// Relative L2 distance between the frame and its DFT X(k) = sum x(j) exp(-2 pi i k j / N) over some bins.
long double errorAgainstDft(const Frame& input, const Frame& output, const std::vector<int>& bins)
{
    std::vector<Complex> twiddle(input.n);
    for (int m = 0; m < input.n; ++m)
        twiddle[m] = std::polar(1.0L, -2 * pi * m / input.n);
    long double error = 0, norm = 0;
    for (int k : bins) {
        Complex x = 0;
        for (int j = 0; j < input.n; ++j)
            x += input.at(j) * twiddle[(int64_t(k) * j) % input.n];
        error += std::norm(output.at(k) - x);
        norm += std::norm(x);
    }
    return std::sqrt(error / norm);
}

}  // namespace

class TestFourel : public QObject {
    Q_OBJECT

    ComponentPtr m_object;

    HResult setForward(bool forward)
    {
        return m_object->dispatch()->put(fourel::dispid::TransformFlag, Variant::fromBool(forward));
    }

    // Calls FFT as the analyser does; its short result, or INT_MIN when the
    // call fails or changes N.
    int transform(Frame& frame, int32_t n)
    {
        const int32_t passed = n;
        Variant args[2] = {Variant::refDoubles(frame.data()), Variant::refLong(&n)};
        Variant result;
        if (m_object->dispatch()->call(fourel::dispid::FFT, args, &result) != hr::ok || !result.get<int16_t>() ||
            n != passed)
            return INT_MIN;
        return *result.get<int16_t>();
    }

private slots:
    void init()
    {
        QCOMPARE(createInstance(sdk::classes::fourel.classId, m_object, "fourel"), hr::ok);
        QVERIFY(m_object && m_object->dispatch());
    }

    void matchesDirectDft_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("input");
        QTest::addColumn<int>("offset");  // in doubles: 1 puts the frame off SIMD alignment
        for (int n : {2, 8, 1024, 2048, 4096, 8192, 16384})
            QTest::addRow("N=%d", n) << n << int(Random) << 0;
        QTest::newRow("impulse") << 1024 << int(Impulse) << 0;
        QTest::newRow("constant") << 1024 << int(Constant) << 0;
        QTest::newRow("N=2048 unaligned") << 2048 << int(Random) << 1;
        QTest::newRow("N=16384 unaligned") << 16384 << int(Random) << 1;
    }

    void matchesDirectDft()
    {
        QFETCH(int, n);
        QFETCH(int, input);
        QFETCH(int, offset);
        // Earlier calls plan every size on other, aligned arrays, as a run
        // that changes the frame size does; the frame under test reuses its plan.
        for (int m = 2; m <= 16384; m *= 2) {
            Frame earlier = makeFrame(Random, m);
            QCOMPARE(transform(earlier, m), 0);
        }

        const Frame original = makeFrame(Input(input), n, offset);
        Frame frame = original;
        QCOMPARE(transform(frame, n), 0);
        QVERIFY(frame.guardsIntact());

        // Every bin while that stays cheap, else a fixed random subset.
        std::vector<int> bins(n <= 4096 ? n : 256);
        std::mt19937 pick(7);
        for (int i = 0; i < int(bins.size()); ++i)
            bins[i] = n <= 4096 ? i : int(pick() % unsigned(n));
        QVERIFY(errorAgainstDft(original, frame, bins) < 1e-9);
    }

    void fullScaleSineReadsFullScale_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("bin");
        QTest::addColumn<double>("phase");
        for (int n = 1024; n <= 16384; n *= 2) {
            QTest::addRow("N=%d, bin 1", n) << n << 1 << 0.0;
            QTest::addRow("N=%d, bin N/8+3, sine", n) << n << n / 8 + 3 << std::numbers::pi / 2;
            QTest::addRow("N=%d, bin N/2-1", n) << n << n / 2 - 1 << 1.0;
        }
    }

    void fullScaleSineReadsFullScale()
    {
        QFETCH(int, n);
        QFETCH(int, bin);
        QFETCH(double, phase);
        Frame frame(n);
        for (int j = 0; j < n; ++j)
            frame.set(j, 32767.0L * std::cos(2 * pi * bin * j / n - phase));
        QCOMPARE(transform(frame, n), 0);
        QVERIFY(std::abs(2 * std::abs(frame.at(bin)) / n - 32767.0) < 1e-6);
        QVERIFY(2 * std::abs(frame.at(bin + 1)) / n < 1e-6);
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
        Frame frame = makeFrame(Random, 1024);
        const std::vector<double> before = frame.values;
        const int status = transform(frame, n);
        QVERIFY(status < 0 && status >= SHRT_MIN);
        QCOMPARE(frame.values, before);
        QCOMPARE(transform(frame, 1024), 0);  // and the object stays usable
    }

    void inverseOfForwardIsNTimesInput_data()
    {
        QTest::addColumn<int>("n");
        for (int n = 1024; n <= 16384; n *= 2)
            QTest::addRow("N=%d", n) << n;
    }

    void inverseOfForwardIsNTimesInput()
    {
        QFETCH(int, n);
        const Frame original = makeFrame(Random, n);
        Frame frame = original;
        Variant flag;
        QCOMPARE(setForward(false), hr::ok);
        QCOMPARE(m_object->dispatch()->get(fourel::dispid::TransformFlag, flag), hr::ok);
        QVERIFY(!asBool(flag));
        QCOMPARE(transform(frame, n), 0);
        QCOMPARE(setForward(true), hr::ok);
        QCOMPARE(transform(frame, n), 0);
        long double error = 0, norm = 0;
        for (int k = 0; k < n; ++k) {
            error += std::norm(frame.at(k) - original.at(k) * Complex(n));
            norm += std::norm(original.at(k) * Complex(n));
        }
        QVERIFY(std::sqrt(error / norm) < 1e-12);
    }

    void wrongArgumentsAreDispatchErrors_data()
    {
        QTest::addColumn<int>("form");
        QTest::addColumn<int>("expected");
        const char* names[] = {"data by value", "null data reference", "16-bit data reference", "length by value",
                               "null length reference", "one argument", "no arguments"};
        for (int form = 0; form < 7; ++form)
            QTest::newRow(names[form]) << form << (form < 5 ? hr::typeMismatch : hr::badParamCount);
    }

    void wrongArgumentsAreDispatchErrors()
    {
        QFETCH(int, form);
        QFETCH(int, expected);
        Frame frame = makeFrame(Random, 1024);
        const std::vector<double> before = frame.values;
        int32_t n = 1024;
        int16_t shorts[4] = {};
        const std::vector<std::vector<Variant>> forms = {
            {Variant(frame.data()[0]), Variant::refLong(&n)},
            {Variant::refDoubles(nullptr), Variant::refLong(&n)},
            {Variant::refShorts(shorts), Variant::refLong(&n)},
            {Variant::refDoubles(frame.data()), Variant(n)},
            {Variant::refDoubles(frame.data()), Variant::refLong(nullptr)},
            {Variant::refDoubles(frame.data())},
            {},
        };
        std::vector<Variant> args = forms[form];
        QCOMPARE(m_object->dispatch()->call(fourel::dispid::FFT, args), expected);
        QCOMPARE(frame.values, before);
    }
};

QTEST_GUILESS_MAIN(TestFourel)
#include "test_fourel.moc"
