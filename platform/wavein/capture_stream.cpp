#include <wavein/capture_stream.h>

#include <wavein/device_rules.h>

#include <algorithm>
#include <cstring>
#include <thread>

namespace wavein {

void CaptureStream::deliver(const int16_t* samples, size_t count)
{
    uint32_t expected = gateOpen;
    if (!m_gate.compare_exchange_strong(expected, gateBusy, std::memory_order_acquire, std::memory_order_relaxed))
        return;

    size_t bytesLeft = count * sizeof(int16_t);
    while (bytesLeft > 0) {
        if (m_current == nullptr) {
            if (!m_ring.pop(m_current))
                break;
            m_filled = 0;
            m_capacity = m_current->bufferLength & ~1u;  // whole samples only, as queued
        }
        const auto chunk = uint32_t(std::min<size_t>(bytesLeft, m_capacity - m_filled));
        if (samples) {
            std::memcpy(m_current->data + m_filled, samples, chunk);
            samples += chunk / sizeof(int16_t);
        } else {
            std::memset(m_current->data + m_filled, 0, chunk);
        }
        m_filled += chunk;
        bytesLeft -= chunk;
        if (m_filled == m_capacity) {
            rules::markDone(*m_current, m_capacity);
            m_current = nullptr;
        }
    }

    m_gate.store(gateOpen, std::memory_order_release);
}

bool CaptureStream::shutGate(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        uint32_t expected = gateOpen;
        if (m_gate.compare_exchange_strong(expected, gateShut, std::memory_order_acquire, std::memory_order_acquire)
            || expected == gateShut)
            return true;
        // A callback is inside; it copies at most one period and leaves.
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::yield();
    }
}

void CaptureStream::returnAll()
{
    if (m_current) {
        rules::markDone(*m_current, m_filled);
        m_current = nullptr;
    }
    // The callback is shut out, so the program may take the consumer's side.
    WaveHeader* header = nullptr;
    while (m_ring.pop(header))
        rules::markDone(*header, 0);
}

}  // namespace wavein
