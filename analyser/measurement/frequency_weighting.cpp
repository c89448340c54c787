#include "frequency_weighting.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vellarin {

namespace {

constexpr WeightingShape shapes[] = {
    {Weighting::z, "Z (flat)", "Z"},
    {Weighting::a, "A", "A"},
    {Weighting::c, "C", "C"},
};

// IEC 61672-1:2013, Annex E (E.1 to E.6): the pole frequencies, rounded as
// the standard rounds them, and the normalisation constants that make both
// weightings 0 dB at 1 kHz.
constexpr double f1 = 20.60;
constexpr double f2 = 107.7;
constexpr double f3 = 737.9;
constexpr double f4 = 12194.0;
constexpr double c1000 = -0.062;
constexpr double a1000 = -2.000;

}  // namespace

std::span<const WeightingShape> weightingShapes() { return shapes; }

const WeightingShape& weightingShape(Weighting weighting)
{
    return *std::find_if(std::begin(shapes), std::end(shapes),
                         [weighting](const WeightingShape& s) { return s.weighting == weighting; });
}

Weighting weightingFromKey(const QString& key)
{
    for (const WeightingShape& s : shapes)
        if (key == QLatin1String(s.key))
            return s.weighting;
    return Weighting::z;
}

double weightingDb(Weighting weighting, double hz)
{
    if (weighting == Weighting::z)
        return 0.0;
    const double ff = hz * hz;
    if (!(ff > 0.0))
        return -std::numeric_limits<double>::infinity();
    // C(f) = 20 lg[f4^2 f^2 / ((f^2 + f1^2)(f^2 + f4^2))] - C1000            (E.1)
    // A(f) = 20 lg[f4^2 f^4 / ((f^2 + f1^2)(f^2 + f2^2)^1/2 (f^2 + f3^2)^1/2 (f^2 + f4^2))] - A1000   (E.6)
    // taken as sums of logarithms so no product overflows at any frequency.
    const double c = 20.0 * (std::log10(f4 * f4) + std::log10(ff) - std::log10(ff + f1 * f1) - std::log10(ff + f4 * f4));
    if (weighting == Weighting::c)
        return c - c1000;
    return c + 20.0 * std::log10(ff) - 10.0 * std::log10(ff + f2 * f2) - 10.0 * std::log10(ff + f3 * f3) - a1000;
}

void WeightingTable::build(Weighting weighting, int32_t fftSize, double sampleRate)
{
    fftSize = std::max(fftSize, 0);
    if (weighting == m_weighting && fftSize == m_fftSize && sampleRate == m_sampleRate && !m_db.empty())
        return;
    m_weighting = weighting;
    m_fftSize = fftSize;
    m_sampleRate = sampleRate;
    const size_t bins = size_t(fftSize / 2) + 1;
    m_db.resize(bins);
    m_power.resize(bins);
    for (size_t k = 0; k < bins; ++k) {
        m_db[k] = fftSize > 0 ? weightingDb(weighting, double(k) * sampleRate / fftSize) : 0.0;
        m_power[k] = std::pow(10.0, m_db[k] / 10.0);  // 0 where the weighting is minus infinity
    }
}

}  // namespace vellarin
