#pragma once
// The sample rates the analyser records at, whether chosen in the window or
// given on the command line: its own range, cut to what the backend it
// records through can be asked for.
#include <wavein/wavein.h>

#include <QString>

#include <algorithm>
#include <cstdint>

namespace vellarin {

// The widest range, over any backend.
inline constexpr uint32_t LowestSampleRate = 1000;
inline constexpr uint32_t HighestSampleRate = 768000;

struct SampleRateRange {
    uint32_t lowest = LowestSampleRate;
    uint32_t highest = HighestSampleRate;
    // Whose limit the highest rate is, for messages; empty when it is the analyser's own.
    QString limitedBy;

    constexpr bool contains(int64_t rate) const { return rate >= lowest && rate <= highest; }
};

inline SampleRateRange sampleRateRange(wavein::Backend backend)
{
    const wavein::RateRange rates = wavein::rateRange(backend);
    SampleRateRange range{std::max(LowestSampleRate, rates.lowest), std::min(HighestSampleRate, rates.highest), {}};
    if (backend == wavein::Backend::server && range.highest == rates.highest)
        range.limitedBy = QStringLiteral("the sound server's limit");
    return range;
}

// "from 1000 to 384000 Hz (the sound server's limit)"
inline QString describeRange(const SampleRateRange& range)
{
    QString text = QStringLiteral("from %1 to %2 Hz").arg(range.lowest).arg(range.highest);
    if (!range.limitedBy.isEmpty())
        text += QStringLiteral(" (%1)").arg(range.limitedBy);
    return text;
}

}  // namespace vellarin
