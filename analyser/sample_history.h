#pragma once
// The last seconds of captured sound, whatever the FFT size: the capture
// buffers go back to the device at each tick, so the tick copies their
// samples here first. For readouts that need more sound than one frame (a
// pitch estimate wants 2 s at any FFT size) and for recording what was heard.
//
// Use: history.reset(rate) when capture starts (it allocates there, never at
// the tick), history.append(samples) with each buffer in time order, and
// history.latest(out) for the newest samples, oldest first. One thread only:
// the window's, where the tick runs.
#include <cstdint>
#include <span>
#include <vector>

namespace vellarin {

class SampleHistory {
public:
    // At least this much sound is kept.
    static constexpr double keptSeconds = 2.0;

    // Empties the history and makes room for keptSeconds at `sampleRate`, and
    // for at least `atLeast` samples.
    void reset(uint32_t sampleRate, size_t atLeast = 0);
    // Adds samples after the newest; with more than the room, only their newest stay.
    void append(std::span<const int16_t> samples);
    // Copies the newest min(out.size(), size()) samples into the start of
    // `out`, oldest first, and gives their count.
    size_t latest(std::span<int16_t> out) const;

    uint32_t sampleRate() const { return m_rate; }
    // Samples held now, at most capacity().
    size_t size() const { return m_size; }
    size_t capacity() const { return m_ring.size(); }
    // Samples appended since reset: the sample number just after the newest.
    uint64_t appended() const { return m_appended; }

private:
    std::vector<int16_t> m_ring;
    size_t m_next = 0;  // where the next sample goes
    size_t m_size = 0;
    uint64_t m_appended = 0;
    uint32_t m_rate = 0;
};

}  // namespace vellarin
