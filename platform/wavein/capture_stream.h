#pragma once
// The state a recording stream shares between the program's thread and the
// capture callback. The callback fills queued headers strictly in queue
// order and publishes each full one through its done flag; it takes no lock,
// allocates nothing and never waits.
//
// A gate keeps the callback away from the headers while the program takes
// them back (stop, reset, close): the callback enters only through an open
// gate, and shutting the gate waits, bounded, for a callback in progress to
// leave. A callback that finds the gate shut drops its samples.
#include <wavein/header_ring.h>

#include <atomic>
#include <chrono>
#include <cstdint>

namespace wavein {

class CaptureStream {
public:
    static constexpr size_t maxQueued = 1024;

    CaptureStream() : m_ring(maxQueued) {}

    // Capture callback: hands count samples to the queued headers. Samples
    // that find no queued header are dropped, as a device with no buffer
    // does. A null samples pointer records silence.
    void deliver(const int16_t* samples, size_t count);

    // Program side. False when maxQueued headers are queued already.
    bool enqueue(WaveHeader& header) { return m_ring.push(&header); }
    // Lets the callback fill headers.
    void openGate() { m_gate.store(gateOpen, std::memory_order_release); }
    // Keeps the callback away from the headers. False only if a callback
    // stayed inside for the whole timeout.
    bool shutGate(std::chrono::milliseconds timeout);

    // Only while the gate is shut:
    bool hasQueued() const { return m_current != nullptr || !m_ring.empty(); }
    // Every queued header marked done, in queue order; the one being filled
    // keeps the samples it holds and says so in bytesRecorded.
    void returnAll();

private:
    enum : uint32_t { gateOpen, gateBusy, gateShut };

    std::atomic<uint32_t> m_gate{gateShut};
    HeaderRing m_ring;
    // Owned by whoever holds the gate: the callback inside it, else the program.
    WaveHeader* m_current = nullptr;
    uint32_t m_filled = 0;    // bytes of m_current already recorded
    uint32_t m_capacity = 0;  // bytes m_current takes, fixed when it was taken from the queue
};

}  // namespace wavein
