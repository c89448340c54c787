#include "pitch_estimate.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace vellarin {

namespace {

// Two periods of A0 and a little more.
constexpr double spanSeconds = 0.1;
// The decimated copy runs near this rate; the notes it finds below
// lowStageLimit are taken from it, the rest are searched at the full rate.
constexpr double lowStageRate = 5000.0;
constexpr double lowStageLimit = 400.0;
constexpr int32_t highStageWindow = 1024;
constexpr double highStageLowest = 300.0;
// Of the key maxima, the first this near the highest is the period.
constexpr double keyMaximumShare = 0.9;
// The period is refined on a lag of up to this many periods.
constexpr int32_t largestMultiple = 16;
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
        int32_t lag;
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
        if (best < maxLag)
            keys[count++] = {best, m_nsdf[size_t(best)]};
    }
    if (count == 0)
        return std::nullopt;
    float highest = 0;
    for (int32_t i = 0; i < count; ++i)
        highest = std::max(highest, keys[i].value);
    const Key* chosen = std::find_if(keys, keys + count,
                                     [&](const Key& k) { return k.value >= keyMaximumShare * highest; });
    const auto i = size_t(chosen->lag);
    const Vertex v = vertex(m_nsdf[i - 1], m_nsdf[i], m_nsdf[i + 1]);
    if (v.value < PitchClarityThreshold)
        return std::nullopt;
    return Candidate{chosen->lag + v.offset, v.value};
}

// The normalised square difference at `lag` over the newest `length` samples.
double PitchEstimator::difference(int32_t lag, int32_t length) const
{
    const float* s = m_signal.data() + (m_signal.size() - size_t(length));
    double r = 0, m = 0;
    for (int32_t j = 0; j + lag < length; ++j) {
        r += double(s[j]) * s[j + lag];
        m += double(s[j]) * s[j] + double(s[j + lag]) * s[j + lag];
    }
    return m > 0 ? 2.0 * r / m : 0.0;
}

std::optional<PitchEstimator::Candidate> PitchEstimator::refine(double period, int32_t multiple, int32_t radius) const
{
    const auto whole = int32_t(m_signal.size());
    const auto centre = int32_t(std::lround(period * multiple));
    const int32_t length = std::min(whole, 2 * centre + highStageWindow);
    if (centre - radius < 2 || centre + radius + 1 >= length)
        return std::nullopt;
    double values[2 * 16 + 3];
    radius = std::min(radius, 16);
    for (int32_t i = 0; i < 2 * radius + 3; ++i)
        values[i] = difference(centre - radius - 1 + i, length);
    const auto best = int32_t(std::max_element(values + 1, values + 2 * radius + 2) - values);
    const Vertex v = vertex(values[best - 1], values[best], values[best + 1]);
    return Candidate{(centre - radius - 1 + best + v.offset) / multiple, v.value};
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
    m_signal.resize(newest.size());
    double power = 0;
    for (size_t i = 0; i < newest.size(); ++i) {
        m_signal[i] = float(newest[i] - mean);
        power += double(m_signal[i]) * m_signal[i];
    }
    if (power < quietest * spanSamples)
        return std::nullopt;

    // Low notes: a copy at about 5 kHz through a triangular filter of twice
    // the decimation, whose zeros fall on the copy's rate and its multiples.
    const auto factor = int32_t(sampleRate / lowStageRate);
    const double lowRate = sampleRate / factor;
    m_smooth.assign(m_signal.size(), 0.0f);
    float running = 0;
    for (size_t i = 0; i < m_signal.size(); ++i) {
        running += m_signal[i] - (i >= size_t(factor) ? m_signal[i - size_t(factor)] : 0.0f);
        m_smooth[i] = running;
    }
    m_decimated.clear();
    running = 0;
    for (size_t i = 0; i < m_smooth.size(); ++i) {
        running += m_smooth[i] - (i >= size_t(factor) ? m_smooth[i - size_t(factor)] : 0.0f);
        if (i >= size_t(2 * factor) && (m_smooth.size() - 1 - i) % size_t(factor) == 0)
            m_decimated.push_back(running);
    }
    std::optional<double> period;  // in samples at the full rate
    int32_t radius = 2;
    const auto lowMaxLag = int32_t(std::ceil(lowRate / (0.97 * LowestPitchHertz))) + 2;
    if (auto low = searchPeriod(m_decimated, lowMaxLag); low && lowRate / low->lag <= lowStageLimit) {
        period = low->lag * factor;
        radius = factor / 4 + 2;
    } else {
        const int32_t window = std::min(highStageWindow, spanSamples);
        const auto highMaxLag = int32_t(std::ceil(sampleRate / highStageLowest));
        if (auto high = searchPeriod(std::span<const float>(m_signal).last(size_t(window)), highMaxLag))
            period = high->lag;
    }
    if (!period || sampleRate / *period > 1.03 * HighestPitchHertz || sampleRate / *period < 0.97 * LowestPitchHertz)
        return std::nullopt;

    auto best = refine(*period, 1, radius);
    if (!best || best->clarity < PitchClarityThreshold)
        return std::nullopt;
    const int32_t multiple = std::clamp(int32_t(spanSamples / 2 / best->lag), 1, largestMultiple);
    if (multiple > 1)
        if (auto far = refine(best->lag, multiple, 3); far && far->clarity >= PitchClarityThreshold)
            best = far;
    return Pitch{sampleRate / best->lag, best->clarity};
}

}  // namespace vellarin
