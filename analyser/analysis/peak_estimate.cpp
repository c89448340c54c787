#include "peak_estimate.h"

#include "levels.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vellarin {

namespace {

using std::numbers::pi;
using Complex = std::complex<double>;

// Cosine terms beyond this are not looked for: the flat top has four.
constexpr int32_t maxTerms = 6;

// Brent's minimisation of a function of one variable on [a, b], from x.
template <class F>
double minimise(F&& f, double a, double b, double x, double tolerance)
{
    constexpr double golden = 0.3819660112501051;
    double w = x, v = x;
    double fx = f(x), fw = fx, fv = fx;
    double d = 0.0, e = 0.0;
    for (int iteration = 0; iteration < 60; ++iteration) {
        const double middle = 0.5 * (a + b);
        if (std::fabs(x - middle) <= 2 * tolerance - 0.5 * (b - a))
            break;
        bool golden_step = true;
        if (std::fabs(e) > tolerance) {
            double r = (x - w) * (fx - fv);
            double q = (x - v) * (fx - fw);
            double p = (x - v) * q - (x - w) * r;
            q = 2 * (q - r);
            if (q > 0)
                p = -p;
            q = std::fabs(q);
            if (std::fabs(p) < std::fabs(0.5 * q * e) && p > q * (a - x) && p < q * (b - x)) {
                e = d;
                d = p / q;
                const double u = x + d;
                if (u - a < 2 * tolerance || b - u < 2 * tolerance)
                    d = x < middle ? tolerance : -tolerance;
                golden_step = false;
            }
        }
        if (golden_step) {
            e = (x < middle ? b : a) - x;
            d = golden * e;
        }
        const double u = std::fabs(d) >= tolerance ? x + d : x + (d > 0 ? tolerance : -tolerance);
        const double fu = f(u);
        if (fu <= fx) {
            (u < x ? b : a) = x;
            v = w, fv = fw;
            w = x, fw = fx;
            x = u, fx = fu;
        } else {
            (u < x ? a : b) = u;
            if (fu <= fw || w == x) {
                v = w, fv = fw;
                w = u, fw = fu;
            } else if (fu <= fv || v == x || v == w) {
                v = u, fv = fu;
            }
        }
    }
    return x;
}

}  // namespace

void PeakEstimator::prepare(std::span<const double> windowWeights)
{
    m_n = int32_t(windowWeights.size());
    m_terms.clear();
    m_sinTerm.clear();
    m_cosTerm.clear();
    if (m_n < 8)
        return;
    const auto n = size_t(m_n);
    std::vector<Complex> turn(n);
    for (size_t i = 0; i < n; ++i)
        turn[i] = std::polar(1.0, -2.0 * pi * double(i) / m_n);
    // g_m, the window's DFT at bin m over N: the weights are the sum of
    // g_m e^(2 pi i m n / N), exactly so for a sum of cosines.
    std::vector<Complex> g(2 * maxTerms + 1);
    int32_t terms = 0;
    for (int32_t m = -maxTerms; m <= maxTerms; ++m) {
        Complex sum = 0;
        for (size_t i = 0; i < n; ++i)
            sum += windowWeights[i] * turn[(size_t(m + m_n) * i) % n];
        g[size_t(m + maxTerms)] = sum / double(m_n);
    }
    const double largest = std::abs(g[maxTerms]);
    for (int32_t m = 1; m <= maxTerms; ++m)
        if (std::abs(g[size_t(maxTerms + m)]) > 1e-12 * largest || std::abs(g[size_t(maxTerms - m)]) > 1e-12 * largest)
            terms = m;
    m_binTurn = {std::sin(pi / m_n), std::cos(pi / m_n)};
    for (int32_t m = -terms; m <= terms; ++m) {
        m_terms.push_back(g[size_t(m + maxTerms)] * std::polar(1.0, -pi * m / m_n));
        m_sinTerm.push_back(std::sin(pi * m / m_n));
        m_cosTerm.push_back(std::cos(pi * m / m_n));
    }
}

// The transform of the window at x bins from a tone, with the phase of the
// half-sample shift taken out: sin(pi x) times the sum of g_m / sin(pi (x + m) / N).
// Takes sin and cos of pi x and of pi x / N.
Complex PeakEstimator::kernel(double s, double c, double sn, double cn) const
{
    Complex sum = 0;
    for (size_t i = 0; i < m_terms.size(); ++i) {
        const double below = sn * m_cosTerm[i] + cn * m_sinTerm[i];
        // On a bin of the term, its limit (the whole window's sum).
        const double ratio = std::fabs(below) > 1e-9 ? s / below
                                                       : m_n * c / (cn * m_cosTerm[i] - sn * m_sinTerm[i]);
        sum += m_terms[i] * ratio;
    }
    return sum;
}

// How far the three bins from `first` lie from a pure tone at bin f whose
// complex amplitude fits them best (least squares; the mirror image at -f
// shares its amplitude, conjugated).
double PeakEstimator::misfit(double f, int32_t first, Complex* amplitude) const
{
    double aa = 0, bb = 0, ab = 0, ay = 0, by = 0, yy = 0;
    // x = f - k and -f - k for the three bins k: a whole bin apart, so one
    // sine and cosine each, stepped on by a bin's turn.
    const double sf = std::sin(pi * f), cf = std::cos(pi * f);
    const double startSign = first % 2 ? -1.0 : 1.0;
    double snU = std::sin(pi * (f - first) / m_n), cnU = std::cos(pi * (f - first) / m_n);
    double snV = std::sin(pi * (-f - first) / m_n), cnV = std::cos(pi * (-f - first) / m_n);
    for (int32_t j = 0; j < 3; ++j) {
        // sin(pi (f - k)) = (-1)^k sin(pi f); sin(pi (-f - k)) = -(-1)^k sin(pi f).
        const double sign = j % 2 ? -startSign : startSign;
        const Complex u = kernel(sign * sf, sign * cf, snU, cnU);
        const Complex v = kernel(-sign * sf, sign * cf, snV, cnV);
        const double nextU = snU * m_binTurn.cos - cnU * m_binTurn.sin;
        cnU = cnU * m_binTurn.cos + snU * m_binTurn.sin;
        snU = nextU;
        const double nextV = snV * m_binTurn.cos - cnV * m_binTurn.sin;
        cnV = cnV * m_binTurn.cos + snV * m_binTurn.sin;
        snV = nextV;
        const Complex a = u + v, b = Complex(0, 1) * (u - v);
        const Complex& y = m_data[j];
        aa += std::norm(a);
        bb += std::norm(b);
        ab += std::real(std::conj(a) * b);
        ay += std::real(std::conj(a) * y);
        by += std::real(std::conj(b) * y);
        yy += std::norm(y);
    }
    const double det = aa * bb - ab * ab;
    double p = 0, q = 0;
    // At 0 and N/2 a tone and its mirror are one: only the real part is seen.
    if (det > 1e-12 * aa * bb) {
        p = (ay * bb - by * ab) / det;
        q = (by * aa - ay * ab) / det;
    } else if (aa > 0) {
        p = ay / aa;
    }
    if (amplitude)
        *amplitude = Complex(p, q);
    return yy - p * ay - q * by;
}

// Whether the median of the bins' powers lies at or below `power`: whether
// at least half of them, the middle one included, do.
bool PeakEstimator::medianAtMost(double power, int32_t bins) const
{
    // Four lanes, so the count needs no branch and no carried sum per bin.
    int32_t lane[4] = {};
    int32_t k = 0;
    for (; k + 4 <= bins; k += 4)
        for (int32_t l = 0; l < 4; ++l)
            lane[l] += m_power[size_t(k + l)] <= power;
    int32_t below = lane[0] + lane[1] + lane[2] + lane[3];
    for (; k < bins; ++k)
        below += m_power[size_t(k)] <= power;
    return below > (bins - 1) / 2;
}

std::optional<PeakEstimate> PeakEstimator::estimate(std::span<const double> spectrum, double sampleRate)
{
    const int32_t half = m_n / 2;
    if (m_terms.empty() || spectrum.size() < size_t(m_n) + 2 || !(sampleRate > 0))
        return std::nullopt;
    const int32_t bins = half + 1;
    m_power.resize(size_t(bins));
    const auto power = [&](int32_t k) {
        const double re = spectrum[2 * size_t(k)], im = spectrum[2 * size_t(k) + 1];
        return m_power[size_t(k)] = re * re + im * im;
    };
    // A true local maximum: the skirt of bin 0 falls away from it, and the
    // edge bins have a neighbour on one side only.
    int32_t peak = 0;
    double strongest = 0;
    double before = power(0), here = power(1);
    for (int32_t k = 1; k < half; ++k) {
        const double after = power(k + 1);
        if (here > strongest && here > before && here >= after) {
            strongest = here;
            peak = k;
        }
        before = here;
        here = after;
    }
    if (peak == 0 || !std::isfinite(strongest))
        return std::nullopt;
    if (!medianAtMost(strongest / std::pow(10.0, PeakProminenceDecibels / 10), bins))
        return std::nullopt;

    const int32_t first = peak - 1;
    for (int32_t j = 0; j < 3; ++j) {
        const int32_t k = first + j;
        const double turn = pi * double(k) / m_n;
        const Complex x(spectrum[2 * size_t(k)], spectrum[2 * size_t(k) + 1]);
        m_data[j] = x * Complex((k % 2 ? -1.0 : 1.0) * std::cos(turn), -(k % 2 ? -1.0 : 1.0) * std::sin(turn));
    }
    // A tone lies within half a bin of its peak bin, unless its mirror image
    // near 0 or N/2 pulls the peak up to a bin further on.
    const double bin = minimise([&](double f) { return misfit(f, first, nullptr); }, std::max(peak - 1.25, 0.0),
                                std::min(peak + 1.25, double(half)), double(peak), 1e-7);
    Complex c;
    misfit(bin, first, &c);
    const double amplitude = std::clamp(2.0 * std::abs(c), LevelFloor, LevelCeiling);
    return PeakEstimate{bin, bin * sampleRate / m_n, amplitude, 20.0 * std::log10(amplitude)};
}

}  // namespace vellarin
