#include "octave_bands.h"

#include <algorithm>
#include <cmath>

namespace vellarin {

namespace {

// The octave ratio of the base-10 system (IEC 61260-1:2014, 5.2).
const double G = std::pow(10.0, 0.3);

// Nominal mid-band frequencies of one decade of thirds, 1 to 8 times a power
// of ten (IEC 61260-1:2014, Annex E; the series of ISO 266).
constexpr double decadeOfThirds[] = {10, 12.5, 16, 20, 25, 31.5, 40, 50, 63, 80};

// Counted from 1 kHz in thirds: 20 Hz is -17, 20 kHz is 13.
constexpr int lowestThird = -17, highestThird = 13;
constexpr int lowestOctave = -5, highestOctave = 4;  // 31.5 Hz to 16 kHz

double nominalOfThird(int third)
{
    const int n = third + 30;  // 1 Hz is 30 thirds under 1 kHz
    const int index = ((n % 10) + 10) % 10;
    const int decade = (n - index) / 10;
    return decadeOfThirds[index] * std::pow(10.0, decade - 1);
}

QString labelOf(double nominal)
{
    if (nominal >= 1000.0)
        return QString::number(nominal / 1000.0, 'g', 4) + u'k';
    return QString::number(nominal, 'g', 4);
}

}  // namespace

double bandCentre(BandFraction fraction, int x)
{
    return 1000.0 * std::pow(G, double(x) / int(fraction));
}

void OctaveBands::build(BandFraction fraction, int32_t fftSize, double sampleRate, double enbwBins)
{
    if (!(enbwBins > 0.0) || !std::isfinite(enbwBins))
        enbwBins = 1.0;
    if (fraction == m_fraction && fftSize == m_fftSize && sampleRate == m_sampleRate && enbwBins == m_enbw
        && !m_bands.empty())
        return;
    m_fraction = fraction;
    m_fftSize = fftSize;
    m_sampleRate = sampleRate;
    m_enbw = enbwBins;
    m_bands.clear();
    m_spans.clear();
    if (fftSize < 2 || !(sampleRate > 0.0))
        return;

    const int b = int(fraction);
    const double binHz = sampleRate / fftSize;
    const double nyquistBin = fftSize / 2;
    const double halfWidth = std::pow(G, 1.0 / (2 * b));  // edges fm G^(+-1/2b) (IEC 61260-1:2014, 5.6)
    const int first = fraction == BandFraction::octave ? lowestOctave : lowestThird;
    const int last = fraction == BandFraction::octave ? highestOctave : highestThird;
    for (int x = first; x <= last; ++x) {
        const double centre = bandCentre(fraction, x);
        if (centre >= sampleRate / 2)
            break;
        OctaveBand band;
        band.nominal = nominalOfThird(x * 3 / b);
        band.label = labelOf(band.nominal);
        band.centre = centre;
        band.lower = centre / halfWidth;
        band.upper = centre * halfWidth;
        band.resolved = (band.upper - band.lower) / binHz >= 2.0 * enbwBins;
        band.complete = band.upper <= sampleRate / 2;

        // Bin k covers [k - 0.5, k + 0.5] bins; nothing lies above the Nyquist bin.
        const double lo = band.lower / binHz;
        const double hi = std::min(band.upper / binHz, nyquistBin);
        BinSpan span;
        span.first = uint32_t(std::floor(lo + 0.5));
        span.last = uint32_t(std::max(std::floor(hi + 0.5), double(span.first)));
        if (span.first == span.last) {
            span.firstShare = hi - lo;
            span.lastShare = 0.0;
        } else {
            span.firstShare = span.first + 0.5 - lo;
            span.lastShare = hi - (span.last - 0.5);
        }
        m_bands.push_back(band);
        m_spans.push_back(span);
    }
}

template <typename Gain>
void OctaveBands::sum(std::span<const double> power, Gain gain, std::span<double> meanSquare) const
{
    const size_t bands = std::min(m_spans.size(), meanSquare.size());
    const double perBandwidth = 1.0 / m_enbw;
    for (size_t i = 0; i < bands; ++i) {
        const BinSpan& s = m_spans[i];
        if (s.last >= power.size()) {
            meanSquare[i] = 0.0;
            continue;
        }
        double total = s.firstShare * power[s.first] * gain(s.first);
        if (s.last > s.first) {
            // Four running sums, so that the adds of a wide band overlap
            // instead of waiting on each other.
            double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
            uint32_t k = s.first + 1;
            for (; k + 4 <= s.last; k += 4) {
                s0 += power[k] * gain(k);
                s1 += power[k + 1] * gain(k + 1);
                s2 += power[k + 2] * gain(k + 2);
                s3 += power[k + 3] * gain(k + 3);
            }
            for (; k < s.last; ++k)
                s0 += power[k] * gain(k);
            total += (s0 + s1) + (s2 + s3);
            total += s.lastShare * power[s.last] * gain(s.last);
        }
        meanSquare[i] = total * perBandwidth;
    }
}

void OctaveBands::measure(std::span<const double> power, std::span<double> meanSquare) const
{
    sum(power, [](uint32_t) { return 1.0; }, meanSquare);
}

void OctaveBands::measure(std::span<const double> power, std::span<const double> gain,
                          std::span<double> meanSquare) const
{
    if (gain.size() < power.size()) {
        measure(power, meanSquare);
        return;
    }
    sum(power, [gain](uint32_t k) { return gain[k]; }, meanSquare);
}

}  // namespace vellarin
