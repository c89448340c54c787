#include "pitch_estimate.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

namespace vellarin {

namespace {

// Two periods of A0 and a little more.
constexpr double spanSeconds = 0.1;
// The decimated copy runs near this rate; the notes it finds below
// lowStageLimit are taken from it, the rest are searched at the full rate.
constexpr double lowStageRate = 4000.0;
constexpr double lowStageLimit = 250.0;
// The share of the sound's power the copy must hold to be searched.
constexpr double lowStageShare = 0.1;
// Beyond twice the lag, the refinement looks at this many more samples.
constexpr int32_t refineSpare = 1024;
constexpr double highStageLowest = 230.0;
// Of the key maxima, the first this near the highest is the period.
constexpr double keyMaximumShare = 0.8;
// The period is refined on lags of this many periods, and its powers.
constexpr int32_t multipleStep = 8;
// The high pass's corner, for drifts slower than any note.
constexpr double driftHertz = 12.0;
// A mean square below one step of the sample scale is no sound.
constexpr double quietest = 1.0;

// Sum of a[j] b[j]: eight lanes, so the compiler may vectorise it without
// reordering a single sum.
float dot(const float* a, const float* b, int32_t length)
{
    float lane[8] = {};
    int32_t j = 0;
    for (; j + 8 <= length; j += 8)
        for (int32_t l = 0; l < 8; ++l)
            lane[l] += a[j + l] * b[j + l];
    float sum = 0;
    for (; j < length; ++j)
        sum += a[j] * b[j];
    for (float v : lane)
        sum += v;
    return sum;
}

// The vertex of the parabola through (-1, a), (0, b), (1, c).
struct Vertex {
    double offset, value;
};
Vertex vertex(double a, double b, double c)
{
    const double curve = a - 2 * b + c;
    if (!(curve < 0))
        return {0.0, b};
    const double offset = std::clamp(0.5 * (a - c) / curve, -0.5, 0.5);
    return {offset, b - 0.25 * (a - c) * offset};
}

}  // namespace

int32_t PitchEstimator::span(double sampleRate) { return int32_t(std::ceil(sampleRate * spanSeconds)); }

std::optional<PitchEstimator::Candidate> PitchEstimator::searchPeriod(std::span<const float> signal, int32_t maxLag)
{
    const auto w = int32_t(signal.size());
    maxLag = std::min(maxLag, w - 1);
    if (maxLag < 3)
        return std::nullopt;
    m_nsdf.assign(size_t(maxLag) + 1, 0.0f);
    const float* s = signal.data();
    double energy = 2.0 * dot(s, s, w);
    for (int32_t lag = 1; lag <= maxLag; ++lag) {
        energy -= double(s[lag - 1]) * s[lag - 1] + double(s[w - lag]) * s[w - lag];
        const double r = dot(s, s + lag, w - lag);
        m_nsdf[size_t(lag)] = energy > 0 ? float(2.0 * r / energy) : 0.0f;
    }
    m_nsdf[0] = 1.0f;

    // Key maxima: the highest point of each positive lobe after the first
    // fall below zero; a lobe cut off by the last lag has no known top.
    struct Key {
        double lag;
        float value;
    };
    Key keys[64];
    int32_t count = 0;
    int32_t lag = 1;
    while (lag <= maxLag && m_nsdf[size_t(lag)] > 0)
        ++lag;
    while (lag <= maxLag && count < 64) {
        while (lag <= maxLag && m_nsdf[size_t(lag)] <= 0)
            ++lag;
        int32_t best = lag;
        while (lag <= maxLag && m_nsdf[size_t(lag)] > 0) {
            if (m_nsdf[size_t(lag)] > m_nsdf[size_t(best)])
                best = lag;
            ++lag;
        }
        if (best < maxLag) {
            // The lags are whole samples; the top of a narrow lobe lies between two.
            const auto i = size_t(best);
            const Vertex v = vertex(m_nsdf[i - 1], m_nsdf[i], m_nsdf[i + 1]);
            keys[count++] = {best + v.offset, float(v.value)};
        }
    }
    if (count == 0)
        return std::nullopt;
    float highest = 0;
    for (int32_t i = 0; i < count; ++i)
        highest = std::max(highest, keys[i].value);
    const Key* chosen = std::find_if(keys, keys + count,
                                     [&](const Key& k) { return k.value >= keyMaximumShare * highest; });
    if (chosen->value < PitchClarityThreshold)
        return std::nullopt;
    return Candidate{chosen->lag, chosen->value};
}

// The normalised square difference at `lag` over the newest `length` samples.
double PitchEstimator::difference(int32_t lag, int32_t length) const
{
    const size_t start = m_signal.size() - size_t(length);
    const float* s = m_signal.data() + start;
    const double r = dot(s, s + lag, length - lag);
    // Sums of squares from the running total: the first length - lag samples
    // and the last length - lag.
    const double* q = m_squares.data() + start;
    const double m = (q[length - lag] - q[0]) + (q[length] - q[lag]);
    return m > 0 ? 2.0 * r / m : 0.0;
}

std::optional<PitchEstimator::Candidate> PitchEstimator::refine(double period, int32_t multiple, int32_t radius) const
{
    const auto whole = int32_t(m_signal.size());
    const auto centre = int32_t(std::lround(period * multiple));
    const int32_t length = std::min(whole, 2 * centre + refineSpare);
    radius = std::min(radius, 16);
    if (centre - radius < 2 || centre + radius + 1 >= length)
        return std::nullopt;
    double values[2 * 16 + 3];
    for (int32_t i = 0; i < 2 * radius + 3; ++i)
        values[i] = difference(centre - radius - 1 + i, length);
    const auto best = int32_t(std::max_element(values + 1, values + 2 * radius + 2) - values);
    const Vertex v = vertex(values[best - 1], values[best], values[best + 1]);
    return Candidate{(centre - radius - 1 + best + v.offset) / multiple, v.value};
}

// The copy at 1 / `factor` of the rate, through four moving sums of
// `factor` samples: their zeros fall on the copy's rate and its multiples,
// where what would fold onto the low partials lies.
void PitchEstimator::decimate(int32_t factor)
{
    if (m_lowTaps.size() != size_t(4 * factor - 3)) {
        std::vector<double> taps{1.0};
        for (int pass = 0; pass < 4; ++pass) {
            std::vector<double> next(taps.size() + size_t(factor) - 1, 0.0);
            for (size_t i = 0; i < taps.size(); ++i)
                for (size_t k = 0; k < size_t(factor); ++k)
                    next[i + k] += taps[i] / factor;
            taps = std::move(next);
        }
        m_lowTaps.assign(taps.begin(), taps.end());
    }
    const auto taps = int32_t(m_lowTaps.size());
    m_decimated.clear();
    for (auto end = int32_t(m_signal.size()); end >= taps; end -= factor)
        m_decimated.push_back(dot(m_signal.data() + (end - taps), m_lowTaps.data(), taps));
    std::reverse(m_decimated.begin(), m_decimated.end());
}

std::optional<Pitch> PitchEstimator::estimate(std::span<const int16_t> history, double sampleRate)
{
    if (!(sampleRate >= 2 * lowStageRate) || !std::isfinite(sampleRate))
        return std::nullopt;
    const int32_t spanSamples = span(sampleRate);
    if (history.size() < size_t(spanSamples))
        return std::nullopt;
    const auto newest = history.last(size_t(spanSamples));
    const double mean = std::accumulate(newest.begin(), newest.end(), 0.0) / spanSamples;
    // Less its mean and through a first-order high pass well below A0: an
    // offset that drifts within the span (a decaying string's slow part)
    // would otherwise hold the difference function above zero.
    const double hold = 1.0 - 2.0 * std::numbers::pi * driftHertz / sampleRate;
    // Then gently smoothed ([1 2 1] / 4): partials near the Nyquist frequency
    // make lobes too narrow for whole-sample lags to find their tops. The
    // running sum of squares goes along in the same pass.
    m_signal.resize(newest.size());
    m_squares.resize(newest.size() + 1);
    m_squares[0] = 0;
    double power = 0, previous = 0, out = 0, out1 = 0, out2 = 0;
    for (size_t i = 0; i < newest.size(); ++i) {
        const double x = newest[i] - mean;
        out = x - previous + hold * out;
        previous = x;
        const auto smooth = float(0.25 * (out + 2 * out1 + out2));
        out2 = out1;
        out1 = out;
        m_signal[i] = smooth;
        power += double(smooth) * smooth;
        m_squares[i + 1] = power;
    }
    if (power < quietest * spanSamples)
        return std::nullopt;

    // High notes at the full rate on the newest samples; where none is
    // found there, low ones on a copy at a low rate.
    std::optional<double> period;  // in samples at the full rate
    int32_t radius = 2;
    const auto highMaxLag = int32_t(std::ceil(sampleRate / highStageLowest));
    const int32_t window = std::min(2 * highMaxLag + 64, spanSamples);
    if (auto high = searchPeriod(std::span<const float>(m_signal).last(size_t(window)), highMaxLag)) {
        period = high->lag;
    } else {
        const auto factor = int32_t(sampleRate / lowStageRate);
        const double lowRate = sampleRate / factor;
        decimate(factor);
        // When the copy holds little of the sound, its period is not the sound's.
        double lowPower = 0;
        for (float v : m_decimated)
            lowPower += double(v) * v;
        const bool heard = lowPower / double(m_decimated.size()) >= lowStageShare * power / spanSamples;
        const auto lowMaxLag = int32_t(std::ceil(lowRate / (0.97 * LowestPitchHertz))) + 2;
        if (auto low = heard ? searchPeriod(m_decimated, lowMaxLag) : std::nullopt;
            low && lowRate / low->lag <= lowStageLimit) {
            period = low->lag * factor;
            radius = factor / 4 + 2;
        }
    }
    if (!period || sampleRate / *period > 1.03 * HighestPitchHertz || sampleRate / *period < 0.97 * LowestPitchHertz)
        return std::nullopt;

    auto best = refine(*period, 1, radius);
    if (!best || best->clarity < PitchClarityThreshold)
        return std::nullopt;
    // Each step looks a few times further, where a whole-sample lag is a
    // smaller part of the lag, within the error the last step left.
    for (int32_t multiple = multipleStep; multiple * best->lag <= spanSamples / 2; multiple *= multipleStep) {
        const auto far = refine(best->lag, multiple, multipleStep / 2 + 1);
        if (!far || far->clarity < PitchClarityThreshold)
            break;
        best = far;
    }
    return Pitch{sampleRate / best->lag, best->clarity};
}

}  // namespace vellarin
