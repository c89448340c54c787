#include "capture_ring.h"

#include <algorithm>
#include <cstring>

namespace vellarin {

namespace {

int ringSize(const AnalyserState& s) { return s.LastBuffer + 1; }

int ringIndex(const AnalyserState& s, int index) { return index % ringSize(s); }

void copyBuffer(AnalyserState& s, int buffer, int32_t firstSample)
{
    std::memcpy(&s.FrameSamples[firstSample], s.BufferMemory[buffer].get(), static_cast<size_t>(s.BufferBytes));
}

}  // namespace

int32_t frameBuffers(const AnalyserState& s) { return s.FFTSize / s.BufferSamples; }

int countReadyBuffers(const AnalyserState& s)
{
    int ready = 0;
    for (int i = 0; i < ringSize(s); ++i) {
        const wavein::WaveHeader& header = s.BufferHeaders[ringIndex(s, s.NextBuffer + i)];
        // Acquire: the samples written before the flag are visible once it is.
        if (header.flags.load(std::memory_order_acquire) & wavein::headerDone)
            ++ready;
    }
    return ready;
}

void gatherIntoFrame(AnalyserState& s, int ready)
{
    const int32_t n = s.FFTSize;
    const int32_t perFrame = frameBuffers(s);
    if (ready < perFrame) {
        const int32_t shift = ready * s.BufferSamples;
        std::memmove(&s.FrameSamples[0], &s.FrameSamples[shift], static_cast<size_t>(n - shift) * sizeof(int16_t));
        for (int i = 0; i < ready; ++i)
            copyBuffer(s, ringIndex(s, s.NextBuffer + i), n - shift + i * s.BufferSamples);
    } else {
        // Only the newest buffers make the frame; the older ones go back unread.
        const int first = s.NextBuffer + ready - perFrame;
        for (int i = 0; i < perFrame; ++i)
            copyBuffer(s, ringIndex(s, first + i), i * s.BufferSamples);
    }
}

void copyIntoHistory(const AnalyserState& s, int ready, SampleHistory& history)
{
    for (int i = 0; i < ready; ++i) {
        const char* memory = s.BufferMemory[ringIndex(s, s.NextBuffer + i)].get();
        history.append({reinterpret_cast<const int16_t*>(memory), static_cast<size_t>(s.BufferSamples)});
    }
}

QueueFailure queueBuffer(AnalyserState& s, wavein::WaveInApi& device, int index)
{
    wavein::WaveHeader& header = s.BufferHeaders[index];
    header.data = s.BufferMemory[index].get();
    header.bufferLength = static_cast<uint32_t>(s.BufferBytes);
    // The header is the program's until it is added; adding publishes it.
    header.flags.store(0, std::memory_order_relaxed);
    if (device.prepareHeader(s.WaveInHandle, header) != wavein::result::ok)
        return QueueFailure::prepare;
    if (device.addBuffer(s.WaveInHandle, header) != wavein::result::ok)
        return QueueFailure::add;
    return QueueFailure::none;
}

QueueFailure requeueReadyBuffers(AnalyserState& s, wavein::WaveInApi& device, int ready)
{
    for (int i = 0; i < ready; ++i)
        if (const QueueFailure failure = queueBuffer(s, device, ringIndex(s, s.NextBuffer + i));
            failure != QueueFailure::none)
            return failure;
    return QueueFailure::none;
}

void advanceRing(AnalyserState& s, int ready)
{
    s.NextBuffer = static_cast<int16_t>(ringIndex(s, s.NextBuffer + ready));
}

}  // namespace vellarin
