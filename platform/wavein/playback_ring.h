#pragma once
// Samples on their way from the file player to the sound server and back to
// the picture once they are heard. The player's thread pushes samples and
// takes back those heard; the server's thread writes them to the output and
// says how far the listener has got. Each sample keeps its place in the ring
// until it has come back as heard, so the picture gets exactly what was
// played, in order. No lock; the capacity is fixed when the ring is made, so
// neither side allocates.
//
// Positions count samples since the ring was made and never wrap; a slot is
// a position modulo the capacity. They stand in order:
//   returned <= heard <= written <= pushed
// returned and pushed are the player's; written and heard the server's.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>

namespace wavein {

class PlaybackRing {
public:
    explicit PlaybackRing(size_t capacity) : m_samples(std::make_unique<int16_t[]>(capacity)), m_capacity(capacity) {}

    size_t capacity() const { return m_capacity; }

    // --- the player's side
    // How many samples push takes now: a slot is free again once its sample
    // came back as heard, and once the server has passed it after a drop.
    size_t room() const
    {
        const uint64_t oldest = std::min(m_returned, m_written.load(std::memory_order_acquire));
        return m_capacity - size_t(m_pushed - oldest);
    }
    // At most room() samples.
    void push(const int16_t* samples, size_t count)
    {
        count = std::min(count, room());
        copyIn(samples, count);
        m_pushed += count;
        m_pushedShared.store(m_pushed, std::memory_order_release);
    }
    // Samples pushed that have not come back as heard.
    size_t pending() const { return size_t(m_pushed - m_returned); }
    // Copies out, in order, up to `max` samples heard since the last call.
    size_t takeHeard(int16_t* into, size_t max)
    {
        const uint64_t heard = std::max(m_heard.load(std::memory_order_acquire), m_returned);
        const size_t count = std::min(size_t(heard - m_returned), max);
        copyOut(m_returned, into, count);
        m_returned += count;
        return count;
    }
    // Everything pushed and not yet heard is dropped: it is not played, and
    // it never comes back. The server's side learns of it by takeDrop.
    void drop()
    {
        m_returned = m_pushed;
        m_dropAt.store(m_pushed, std::memory_order_release);
    }

    // --- the server's side
    // True once after a drop: what was not yet written is skipped, and what
    // the output still holds is no longer wanted.
    bool takeDrop()
    {
        const uint64_t at = m_dropAt.load(std::memory_order_acquire);
        if (at <= m_dropSeen)
            return false;
        m_dropSeen = at;
        m_written.store(std::max(at, m_written.load(std::memory_order_relaxed)), std::memory_order_release);
        m_heard.store(m_written.load(std::memory_order_relaxed), std::memory_order_release);
        return true;
    }
    // Samples pushed and not yet written to the output. A drop not yet taken
    // stops them there, so nothing pushed after it is written before the
    // output is emptied of what came before it.
    size_t writable() const
    {
        uint64_t end = m_pushedShared.load(std::memory_order_acquire);
        if (const uint64_t at = m_dropAt.load(std::memory_order_acquire); at > m_dropSeen)
            end = std::min(end, at);
        return size_t(end - std::min(end, m_written.load(std::memory_order_relaxed)));
    }
    // Copies out up to `max` of them and counts them written.
    size_t write(int16_t* into, size_t max)
    {
        const uint64_t from = m_written.load(std::memory_order_relaxed);
        const size_t count = std::min(writable(), max);
        copyOut(from, into, count);
        m_written.store(from + count, std::memory_order_release);
        return count;
    }
    uint64_t written() const { return m_written.load(std::memory_order_relaxed); }
    // The listener has heard up to `position` (never back, never past what was written).
    void hear(uint64_t position)
    {
        const uint64_t now = m_heard.load(std::memory_order_relaxed);
        m_heard.store(std::clamp(position, now, written()), std::memory_order_release);
    }
    // Whatever was written counts as heard: the output is gone and will play nothing more.
    void hearAll() { m_heard.store(written(), std::memory_order_release); }

private:
    void copyIn(const int16_t* samples, size_t count)
    {
        const size_t slot = size_t(m_pushed % m_capacity);
        const size_t first = std::min(count, m_capacity - slot);
        std::copy_n(samples, first, m_samples.get() + slot);
        std::copy_n(samples + first, count - first, m_samples.get());
    }
    void copyOut(uint64_t from, int16_t* into, size_t count) const
    {
        const size_t slot = size_t(from % m_capacity);
        const size_t first = std::min(count, m_capacity - slot);
        std::copy_n(m_samples.get() + slot, first, into);
        std::copy_n(m_samples.get(), count - first, into + first);
    }

    std::unique_ptr<int16_t[]> m_samples;
    const size_t m_capacity;
    // The player's own.
    uint64_t m_pushed = 0;
    uint64_t m_returned = 0;
    // The server's own.
    uint64_t m_dropSeen = 0;
    // Shared.
    alignas(64) std::atomic<uint64_t> m_pushedShared{0};
    alignas(64) std::atomic<uint64_t> m_written{0};
    alignas(64) std::atomic<uint64_t> m_heard{0};
    alignas(64) std::atomic<uint64_t> m_dropAt{0};
};

}  // namespace wavein
