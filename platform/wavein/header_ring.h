#pragma once
// Queued buffer headers on their way from the program to the capture
// callback: one producer (the program's thread), one consumer (the
// callback), no lock. Capacity is fixed when the stream opens, so the
// callback never allocates.
#include <wavein/wavein.h>

#include <atomic>
#include <cstddef>
#include <memory>

namespace wavein {

class HeaderRing {
public:
    explicit HeaderRing(size_t capacity) : m_slots(std::make_unique<WaveHeader*[]>(capacity + 1)), m_size(capacity + 1) {}

    size_t capacity() const { return m_size - 1; }

    // Producer side. False when the ring is full.
    bool push(WaveHeader* header)
    {
        const size_t tail = m_tail.load(std::memory_order_relaxed);
        const size_t next = advance(tail);
        if (next == m_head.load(std::memory_order_acquire))
            return false;
        m_slots[tail] = header;
        m_tail.store(next, std::memory_order_release);  // publishes the header's fields with it
        return true;
    }

    // Consumer side. False when the ring is empty.
    bool pop(WaveHeader*& header)
    {
        const size_t head = m_head.load(std::memory_order_relaxed);
        if (head == m_tail.load(std::memory_order_acquire))
            return false;
        header = m_slots[head];
        m_head.store(advance(head), std::memory_order_release);
        return true;
    }

    bool empty() const { return m_head.load(std::memory_order_acquire) == m_tail.load(std::memory_order_acquire); }

private:
    size_t advance(size_t i) const { return i + 1 == m_size ? 0 : i + 1; }

    std::unique_ptr<WaveHeader*[]> m_slots;
    const size_t m_size;  // one slot stays free to tell full from empty
    alignas(64) std::atomic<size_t> m_head{0};
    alignas(64) std::atomic<size_t> m_tail{0};
};

}  // namespace wavein
