#pragma once
// Octave and third-octave bands (IEC 61260-1:2014, base-10 system) measured
// from a frame's bin powers: the power of the bins inside each band, the bins
// on its edges split by how much of them lies inside, divided by the
// window's equivalent noise bandwidth so that a sine reads its mean square
// and noise its power.
#include <QString>

#include <cstdint>
#include <span>
#include <vector>

namespace vellarin {

enum class BandFraction { octave = 1, third = 3 };

struct OctaveBand {
    QString label;   // nominal mid-band frequency as written: "31.5", "1k", "12.5k"
    double nominal;  // the same in Hz
    double lower;    // exact band edges and mid-band frequency in Hz
    double centre;
    double upper;
    // Wider than twice the window's noise bandwidth: narrower bands show the
    // window's spread more than the sound's.
    bool resolved;
    // Lies wholly below the Nyquist frequency; otherwise only its part below is measured.
    bool complete;
};

class OctaveBands {
public:
    // The bands of nominal 20 Hz to 20 kHz (thirds) or 31.5 Hz to 16 kHz
    // (octaves) whose mid-band frequency lies below the Nyquist frequency,
    // for bins of an N-point frame at `sampleRate` seen through a window of
    // noise bandwidth `enbwBins`. Rebuilds only when something changed.
    void build(BandFraction fraction, int32_t fftSize, double sampleRate, double enbwBins);
    BandFraction fraction() const { return m_fraction; }
    std::span<const OctaveBand> bands() const { return m_bands; }

    // Mean square per band, in sample units squared, from bin powers 0..N/2
    // (binPowers), each taken times its `gain` when one is given (a weighting
    // and a correction). `meanSquare` holds one value per band.
    void measure(std::span<const double> power, std::span<double> meanSquare) const;
    void measure(std::span<const double> power, std::span<const double> gain, std::span<double> meanSquare) const;

private:
    struct BinSpan {
        uint32_t first;
        uint32_t last;
        double firstShare;  // of bin `first` inside the band
        double lastShare;   // of bin `last`, when last > first
    };
    template <typename Gain>
    void sum(std::span<const double> power, Gain gain, std::span<double> meanSquare) const;

    BandFraction m_fraction = BandFraction::third;
    int32_t m_fftSize = 0;
    double m_sampleRate = 0.0;
    double m_enbw = 0.0;
    std::vector<OctaveBand> m_bands;
    std::vector<BinSpan> m_spans;
};

// The mid-band frequency of band `x` counted from 1 kHz: 1000 G^(x / b),
// G = 10^(3/10) (IEC 61260-1:2014, 5.2 and 5.4).
double bandCentre(BandFraction fraction, int x);

}  // namespace vellarin
