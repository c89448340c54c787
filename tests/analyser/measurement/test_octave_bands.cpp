// Octave and third-octave bands from bin powers: where the bands lie, what a
// tone, pink and white spectra and noise read in them, and which bands are
// too narrow for the window.
#include "measured_signals.h"
#include "octave_bands.h"
#include "spectrum_power.h"

#include <QTest>

#include <algorithm>
#include <cmath>

using namespace vellarin;
using namespace testsignals;

namespace {

double db(double meanSquare) { return 10 * std::log10(meanSquare); }

std::vector<double> measure(const OctaveBands& bands, const std::vector<double>& power)
{
    std::vector<double> out(bands.bands().size());
    bands.measure(power, out);
    return out;
}

int bandIndex(const OctaveBands& bands, const QString& label)
{
    const auto all = bands.bands();
    for (size_t i = 0; i < all.size(); ++i)
        if (all[i].label == label)
            return int(i);
    return -1;
}

}  // namespace

class OctaveBandsTest : public QObject {
    Q_OBJECT
private slots:
    void layout_data()
    {
        QTest::addColumn<int>("fraction");
        QTest::addColumn<double>("rate");
        QTest::addColumn<QStringList>("labels");
        QTest::addColumn<QString>("lastIncomplete");  // the top band reaching past the Nyquist frequency
        const QStringList octaves = {"31.5", "63", "125", "250", "500", "1k", "2k", "4k", "8k", "16k"};
        const QStringList thirds = {"20",   "25",   "31.5", "40",    "50",  "63",   "80",  "100",  "125",   "160",  "200",
                                    "250",  "315",  "400",  "500",   "630", "800",  "1k",  "1.25k", "1.6k", "2k",
                                    "2.5k", "3.15k", "4k",  "5k",    "6.3k", "8k",  "10k", "12.5k", "16k",  "20k"};
        QTest::newRow("octaves at 44.1 kHz") << 1 << 44100.0 << octaves << "16k";
        QTest::newRow("thirds at 44.1 kHz") << 3 << 44100.0 << thirds << "20k";
        QTest::newRow("octaves at 48 kHz, all complete") << 1 << 48000.0 << octaves << "";
        QTest::newRow("thirds at 8 kHz") << 3 << 8000.0 << thirds.mid(0, thirds.indexOf("4k") + 1) << "4k";
        QTest::newRow("octaves at 11.025 kHz") << 1 << 11025.0 << octaves.mid(0, octaves.indexOf("4k") + 1) << "4k";
    }

    // Nominal labels, mid-band frequencies 1000 G^(x/b) and edges fm G^(+-1/2b), G = 10^0.3.
    void layout()
    {
        QFETCH(int, fraction);
        QFETCH(double, rate);
        QFETCH(QStringList, labels);
        QFETCH(QString, lastIncomplete);
        OctaveBands bands;
        bands.build(BandFraction(fraction), 16384, rate, 1.5);
        QStringList got;
        for (const OctaveBand& b : bands.bands()) {
            got << b.label;
            const double x = std::round(std::log10(b.centre / 1000) * 10 * fraction / 3);
            QVERIFY(std::fabs(b.centre - 1000 * std::pow(10.0, 0.3 * x / fraction)) < 1e-9 * b.centre);
            QVERIFY(std::fabs(b.centre - b.nominal) < 0.06 * b.nominal);
            QVERIFY(std::fabs(b.upper / b.lower - std::pow(10.0, 0.3 / fraction)) < 1e-12);
            QVERIFY(std::fabs(b.upper * b.lower - b.centre * b.centre) < 1e-9 * b.centre * b.centre);
            QCOMPARE(b.complete, b.label != lastIncomplete);
        }
        QCOMPARE(got, labels);
    }

    void sine_data()
    {
        QTest::addColumn<int>("fraction");
        QTest::addColumn<double>("hz");
        QTest::addColumn<QString>("band");
        QTest::addColumn<int>("window");  // 0 Hann, 1 Blackman-Harris, 2 flat-top
        QTest::newRow("1 kHz, third, Hann") << 3 << 1000.0 << "1k" << 0;
        QTest::newRow("1 kHz, octave, Hann") << 1 << 1000.0 << "1k" << 0;
        QTest::newRow("1 kHz, third, Blackman-Harris") << 3 << 1000.0 << "1k" << 1;
        QTest::newRow("1 kHz, third, flat-top") << 3 << 1000.0 << "1k" << 2;
        QTest::newRow("on a bin, 1 kHz third") << 3 << 372 * 44100.0 / 16384 << "1k" << 0;
        QTest::newRow("100 Hz, third, Hann") << 3 << 100.0 << "100" << 0;
        QTest::newRow("6 kHz, octave, Hann") << 1 << 6000.0 << "8k" << 0;
    }

    // A sine reads its mean square in its band within 0.1 dB, and lands in no other.
    void sine()
    {
        QFETCH(int, fraction);
        QFETCH(double, hz);
        QFETCH(QString, band);
        QFETCH(int, window);
        const int n = 16384;
        const double rate = 44100, amplitude = 10000;
        const std::vector<double> w = testsignals::window(std::array{hann, blackmanHarris, flatTop}[size_t(window)], n);
        Spectrum spectrum(n);
        const auto power = spectrum.powers(testsignals::sine(size_t(n), hz, amplitude, rate), 0, w);
        OctaveBands bands;
        bands.build(BandFraction(fraction), n, rate, equivalentNoiseBandwidth(w));
        const auto levels = measure(bands, power);
        const int at = bandIndex(bands, band);
        QVERIFY(at >= 0);
        const double want = db(amplitude * amplitude / 2);
        QVERIFY2(std::fabs(db(levels[size_t(at)]) - want) <= 0.1, qPrintable(QString::number(db(levels[size_t(at)]) - want)));
        for (size_t i = 0; i < levels.size(); ++i)
            if (int(i) != at)
                QVERIFY2(db(levels[i]) < want - 40, qPrintable(bands.bands()[i].label));
    }

    void pinkSpectrum_data()
    {
        QTest::addColumn<double>("enbw");
        QTest::newRow("rectangular") << 1.0;
        QTest::newRow("Hann") << 1.5;
    }

    // Every bin's power 1/f: each third from 50 Hz to 16 kHz reads the power
    // of the band, c ln(upper / lower) / bin width, within 0.2 dB: flat.
    void pinkSpectrum()
    {
        QFETCH(double, enbw);
        const int n = 16384;
        const double rate = 44100, binHz = rate / n;
        std::vector<double> power(n / 2 + 1, 0.0);
        for (size_t k = 1; k < power.size(); ++k)
            power[k] = 1e6 / (double(k) * binHz);
        OctaveBands bands;
        bands.build(BandFraction::third, n, rate, enbw);
        const auto levels = measure(bands, power);
        const double want = db(1e6 * std::log(std::pow(10.0, 0.1)) / binHz / enbw);
        for (size_t i = 0; i < levels.size(); ++i) {
            const OctaveBand& b = bands.bands()[i];
            if (b.nominal < 50 || b.nominal > 16000)
                continue;
            QVERIFY2(std::fabs(db(levels[i]) - want) <= 0.2,
                     qPrintable(QStringLiteral("%1: %2 dB off").arg(b.label).arg(db(levels[i]) - want)));
        }
    }

    // Pink noise, Hann frames averaged over 30 s: every third from 50 Hz to
    // 16 kHz within 1 dB of their mean.
    void pinkNoise()
    {
        const int n = 16384;
        const double rate = 44100;
        const auto sound = testsignals::pinkNoise(size_t(30 * rate), 3000, 7);
        const std::vector<double> w = window(hann, n);
        Spectrum spectrum(n);
        std::vector<double> average(n / 2 + 1, 0.0);
        int frames = 0;
        for (size_t from = 0; from + size_t(n) <= sound.size(); from += size_t(n), ++frames) {
            const auto power = spectrum.powers(sound, from, w);
            for (size_t k = 0; k < power.size(); ++k)
                average[k] += power[k];
        }
        for (double& p : average)
            p /= frames;
        OctaveBands bands;
        bands.build(BandFraction::third, n, rate, equivalentNoiseBandwidth(w));
        const auto levels = measure(bands, average);
        std::vector<double> inRange;
        for (size_t i = 0; i < levels.size(); ++i)
            if (bands.bands()[i].nominal >= 50 && bands.bands()[i].nominal <= 16000)
                inRange.push_back(db(levels[i]));
        QCOMPARE(inRange.size(), size_t(26));
        double mean = 0;
        for (double l : inRange)
            mean += l / double(inRange.size());
        for (size_t i = 0; i < inRange.size(); ++i)
            QVERIFY2(std::fabs(inRange[i] - mean) <= 1.0, qPrintable(QStringLiteral("band %1: %2 dB off").arg(i).arg(inRange[i] - mean)));
    }

    void flatSpectrum_data()
    {
        QTest::addColumn<int>("fraction");
        QTest::addColumn<int>("n");
        QTest::addColumn<double>("rise");
        // Base-10 bands are 10^0.3 and 10^0.1 wide: 3.00 and 1.00 dB, within 0.1 dB of octave-based 3.01.
        QTest::newRow("octaves, N 16384") << 1 << 16384 << 3.01;
        QTest::newRow("thirds, N 16384") << 3 << 16384 << 1.00;
        QTest::newRow("octaves, N 1024") << 1 << 1024 << 3.01;
        QTest::newRow("thirds, N 1024") << 3 << 1024 << 1.00;
    }

    // Every bin's power the same: each complete band reads its width, so the
    // level rises from band to band by the band ratio.
    void flatSpectrum()
    {
        QFETCH(int, fraction);
        QFETCH(int, n);
        QFETCH(double, rise);
        const double rate = 44100;
        const std::vector<double> power(size_t(n) / 2 + 1, 1.0);
        OctaveBands bands;
        bands.build(BandFraction(fraction), n, rate, 1.0);
        const auto levels = measure(bands, power);
        int compared = 0;
        for (size_t i = 1; i < levels.size(); ++i) {
            if (!bands.bands()[i].complete)
                continue;
            const double got = db(levels[i]) - db(levels[i - 1]);
            QVERIFY2(std::fabs(got - rise) <= 0.1, qPrintable(QStringLiteral("%1: %2").arg(bands.bands()[i].label).arg(got)));
            ++compared;
        }
        QVERIFY(compared >= 8);
    }

    // White noise of variance s^2 puts s^2 (upper - lower) / (rate / 2) into
    // a band, whatever the window: the sum is taken per noise bandwidth.
    void whiteNoise_data()
    {
        QTest::addColumn<int>("window");
        QTest::newRow("rectangular") << 0;
        QTest::newRow("Hann") << 1;
        QTest::newRow("flat-top") << 2;
    }

    void whiteNoise()
    {
        QFETCH(int, window);
        const int n = 4096, frames = 200;
        const double rate = 48000, sigma = 1000;
        std::mt19937 random(11);
        std::normal_distribution<double> white(0.0, sigma);
        std::vector<double> sound(size_t(n) * frames);
        for (double& s : sound)
            s = white(random);
        const std::vector<double> w = testsignals::window(std::array{rectangular, hann, flatTop}[size_t(window)], n);
        Spectrum spectrum(n);
        std::vector<double> average(n / 2 + 1, 0.0);
        for (int f = 0; f < frames; ++f) {
            const auto power = spectrum.powers(sound, size_t(f) * size_t(n), w);
            for (size_t k = 0; k < power.size(); ++k)
                average[k] += power[k] / frames;
        }
        OctaveBands bands;
        bands.build(BandFraction::octave, n, rate, equivalentNoiseBandwidth(w));
        const auto levels = measure(bands, average);
        for (size_t i = 0; i < levels.size(); ++i) {
            const OctaveBand& b = bands.bands()[i];
            if (b.nominal < 250 || !b.complete)
                continue;
            const double want = db(sigma * sigma * (b.upper - b.lower) / (rate / 2));
            QVERIFY2(std::fabs(db(levels[i]) - want) <= 0.3, qPrintable(QStringLiteral("%1: %2 dB off").arg(b.label).arg(db(levels[i]) - want)));
        }
    }

    void resolved_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<double>("enbw");
        QTest::addColumn<QString>("band");
        QTest::addColumn<bool>("resolved");
        // Third-octave widths are 0.2316 fm; bins are 44100 / N Hz wide.
        QTest::newRow("100 Hz third, N 1024, Hann: 0.54 bins") << 1024 << 1.5 << "100" << false;
        QTest::newRow("1 kHz third, N 1024, Hann: 5.4 bins") << 1024 << 1.5 << "1k" << true;
        QTest::newRow("250 Hz third, N 1024, Hann: 1.3 bins") << 1024 << 1.5 << "250" << false;
        QTest::newRow("50 Hz third, N 16384, flat-top: 4.3 bins") << 16384 << 3.77 << "50" << false;
        QTest::newRow("80 Hz third, N 16384, flat-top: 6.9 bins") << 16384 << 3.77 << "80" << false;
        QTest::newRow("100 Hz third, N 16384, flat-top: 8.6 bins") << 16384 << 3.77 << "100" << true;
        QTest::newRow("50 Hz third, N 16384, Hann: 4.3 bins") << 16384 << 1.5 << "50" << true;
    }

    // Narrower than twice the window's noise bandwidth: not resolved.
    void resolved()
    {
        QFETCH(int, n);
        QFETCH(double, enbw);
        QFETCH(QString, band);
        QFETCH(bool, resolved);
        OctaveBands bands;
        bands.build(BandFraction::third, n, 44100, enbw);
        const int at = bandIndex(bands, band);
        QVERIFY(at >= 0);
        QCOMPARE(bands.bands()[size_t(at)].resolved, resolved);
    }

    // Hann's noise bandwidth is 1.5 bins, Blackman-Harris' 2.0, the flat top's 3.77.
    void noiseBandwidth_data()
    {
        QTest::addColumn<int>("window");
        QTest::addColumn<double>("enbw");
        QTest::newRow("rectangular") << 0 << 1.0;
        QTest::newRow("Hann") << 1 << 1.5;
        QTest::newRow("Blackman-Harris") << 2 << 2.0044;
        QTest::newRow("flat-top") << 3 << 3.7702;
    }

    void noiseBandwidth()
    {
        QFETCH(int, window);
        QFETCH(double, enbw);
        const auto w = testsignals::window(std::array{rectangular, hann, blackmanHarris, flatTop}[size_t(window)], 4096);
        QVERIFY(std::fabs(equivalentNoiseBandwidth(w) - enbw) < 0.001);
    }
};

QTEST_GUILESS_MAIN(OctaveBandsTest)
#include "test_octave_bands.moc"
