#include "levels.h"

#include <automation/rounding.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <vector>

namespace vellarin {

using automation::roundHalfEven;

namespace {

// Every form of the level scale comes from here. The level rule works in
// long double on purpose: the tables reproduce it to the last level.
constexpr double fullScale = LevelCeiling;
const long double exactScale = fullScale / std::log(static_cast<long double>(fullScale));

// The level of m, worked out in long double: what the tables reproduce.
int32_t exactLevel(double m)
{
    const long double scale = exactScale;
    const long double v = std::log(static_cast<long double>(m)) * scale;
    const long double r = std::round(v);  // ties away from zero
    return static_cast<int32_t>(std::fabs(r - v) == 0.5L ? 2.0L * std::round(v * 0.5L) : r);
}

// A logarithm per bin costs more than the rest of the level's work together.
// The level is monotonic in m, so it is the count of level boundaries at or
// below m. The amplitude's exponent and top ten mantissa bits pick a bucket
// (1/1024 of an octave, under 3.1 levels wide); the bucket gives the level
// at its lower end, and at most four boundaries can follow inside it.
class LevelTable {
public:
    static constexpr int mantissaBits = 10;
    static constexpr int bucketShift = 52 - mantissaBits;
    static constexpr int boundariesPerBucket = 4;

    LevelTable()
        : m_low(exactLevel(LevelFloor))
        , m_high(exactLevel(LevelCeiling))
    {
        // m_boundary[L - m_low] is the least amplitude of level L or more.
        m_boundary.assign(static_cast<size_t>(m_high - m_low + 1 + boundariesPerBucket),
                          std::numeric_limits<double>::infinity());
        m_boundary[0] = 0.0;
        const long double scale = exactScale;
        for (int32_t level = m_low + 1; level <= m_high; ++level) {
            double m = static_cast<double>(std::exp((level - 0.5L) / scale));
            while (exactLevel(m) >= level)
                m = std::nextafter(m, 0.0);
            while (exactLevel(m) < level)
                m = std::nextafter(m, LevelCeiling);
            m_boundary[static_cast<size_t>(level - m_low)] = m;
        }

        m_firstBucket = bucketOf(LevelFloor);
        const uint64_t buckets = bucketOf(LevelCeiling) - m_firstBucket + 1;
        m_bucketLevel.resize(buckets);
        int32_t level = m_low;
        for (uint64_t b = 0; b < buckets; ++b) {
            const double start = std::max(std::bit_cast<double>((m_firstBucket + b) << bucketShift), LevelFloor);
            while (level < m_high && m_boundary[static_cast<size_t>(level + 1 - m_low)] <= start)
                ++level;
            m_bucketLevel[b] = static_cast<int16_t>(level);
        }
    }

    int16_t levelOf(double m) const
    {
        // NaN (a broken transform) falls to the floor.
        if (!(m > LevelFloor))
            return static_cast<int16_t>(m_low);
        if (m >= LevelCeiling)
            return static_cast<int16_t>(m_high);
        const int32_t level = m_bucketLevel[bucketOf(m) - m_firstBucket];
        const double* next = &m_boundary[static_cast<size_t>(level - m_low + 1)];
        const int32_t above = (m >= next[0]) + (m >= next[1]) + (m >= next[2]) + (m >= next[3]);
        return static_cast<int16_t>(level + above);
    }

private:
    static uint64_t bucketOf(double m) { return std::bit_cast<uint64_t>(m) >> bucketShift; }

    int32_t m_low;
    int32_t m_high;
    std::vector<double> m_boundary;
    uint64_t m_firstBucket = 0;
    std::vector<int16_t> m_bucketLevel;
};

const LevelTable& levelTable()
{
    static const LevelTable table;
    return table;
}

}  // namespace

double levelScale() { return fullScale / std::log(fullScale); }

double levelDecibels(int32_t level) { return level * 20.0 * std::log(fullScale) / (std::log(10.0) * fullScale); }

double levelsPerDecibel() { return fullScale / (20.0 * std::log10(fullScale)); }

int16_t amplitudeLevel(double amplitude) { return levelTable().levelOf(amplitude); }

void prepareLevels() { levelTable(); }

void computeBinLevels(std::span<const double> spectrum, int32_t fftSize, std::span<int16_t> binLevel)
{
    if (fftSize <= 0)
        return;
    const LevelTable& table = levelTable();
    const auto half = static_cast<size_t>(fftSize / 2);
    const size_t bins = std::min({half + 1, binLevel.size(), spectrum.size() / 2});
    const double toAmplitude = 2.0 / fftSize;
    for (size_t k = 0; k < bins; ++k) {
        const double a = spectrum[2 * k];
        const double b = spectrum[2 * k + 1];
        binLevel[k] = table.levelOf(std::sqrt(a * a + b * b) * toAmplitude);
    }
}

int16_t waterfallValue(int32_t level, const LevelWindow& window)
{
    if (level <= window.min)
        return 0;
    if (level >= window.max || window.span <= 0)
        return 32767;
    const double v = roundHalfEven((double(level) - window.min) / window.span * 32767.0);
    return static_cast<int16_t>(std::clamp(v, 0.0, 32767.0));
}

}  // namespace vellarin
