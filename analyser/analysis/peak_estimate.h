#pragma once
// The strongest tone of a frame's spectrum, its frequency and amplitude
// taken between bins. The window's own transform is fitted, in complex
// values, to the peak bin and its two neighbours, with the tone's mirror
// image at the negative frequency in the model: so a pure tone reads its
// frequency and level wherever it falls, for any window that is a sum of
// cosines, as all of the analyser's are.
#include <complex>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vellarin {

struct PeakEstimate {
    double bin;        // fractional bin of the tone
    double hertz;
    double amplitude;  // in sample units, as a bin-centred tone's m = 2|X| / N
    double decibels;   // 20 log10 of the amplitude, limited as bin levels are
};

// A peak is named only when its bin stands this far above the median bin.
inline constexpr double PeakProminenceDecibels = 20.0;

class PeakEstimator {
public:
    // The weights the frame was multiplied by before the transform (all 1
    // for none); their cosine terms are found once per window and N.
    void prepare(std::span<const double> windowWeights);
    int32_t fftSize() const { return m_n; }

    // From an unscaled N-point transform of the weighted frame, interleaved
    // re/im (at least N + 2 values): the strongest true local maximum of bins
    // 1..N/2 - 1, if it stands out of the spectrum; none otherwise.
    std::optional<PeakEstimate> estimate(std::span<const double> spectrum, double sampleRate);

private:
    std::complex<double> kernel(double s, double c, double sn, double cn) const;
    double misfit(double f, int32_t first, std::complex<double>* amplitude) const;
    bool medianAtMost(double power, int32_t bins) const;

    int32_t m_n = 0;
    // The window as sum over m = -M..M of g_m e^(2 pi i m n / N), with the
    // half-sample phase e^(-i pi m / N) folded into each term.
    std::vector<std::complex<double>> m_terms;
    std::vector<double> m_sinTerm, m_cosTerm;  // sin and cos of pi m / N
    std::complex<double> m_data[3];
    struct {
        double sin, cos;
    } m_binTurn{};  // of pi / N
    std::vector<double> m_power;
};

}  // namespace vellarin
