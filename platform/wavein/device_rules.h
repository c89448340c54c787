#pragma once
// What every recording device enforces on the program's side of the
// contract: the one format offered (16-bit mono PCM) and the life of a buffer
// header (prepared, queued, done). A queued header belongs to the device, so
// the program may neither prepare, unprepare nor queue it again.
#include <wavein/wavein.h>

namespace wavein::rules {

// A format whose derived fields disagree with its rate is refused rather than guessed.
inline bool isMono16BitPcm(const WaveFormat& format)
{
    return format.formatTag == 1 && format.channels == 1 && format.bitsPerSample == 16 && format.blockAlign == 2
        && format.samplesPerSec > 0 && format.avgBytesPerSec == uint64_t(format.samplesPerSec) * 2;
}

inline bool hasMemory(const WaveHeader& header)
{
    return header.data != nullptr && header.bufferLength >= 2;
}

inline MmResult prepare(WaveHeader& header)
{
    const auto flags = header.flags.load(std::memory_order_acquire);
    if (!hasMemory(header))
        return result::invalidParameter;
    if (flags & headerInQueue)
        return result::stillPlaying;
    header.flags.store(flags | headerPrepared, std::memory_order_relaxed);
    return result::ok;
}

inline MmResult unprepare(WaveHeader& header)
{
    const auto flags = header.flags.load(std::memory_order_acquire);
    if (flags & headerInQueue)
        return result::stillPlaying;
    header.flags.store(flags & ~headerPrepared, std::memory_order_relaxed);
    return result::ok;
}

// Checks a header the program wants to queue and marks it queued.
inline MmResult enqueue(WaveHeader& header)
{
    const auto flags = header.flags.load(std::memory_order_acquire);
    if (!hasMemory(header))
        return result::invalidParameter;
    if (!(flags & headerPrepared))
        return result::unprepared;
    if (flags & headerInQueue)
        return result::stillPlaying;
    header.bytesRecorded = 0;
    header.flags.store((flags & ~headerDone) | headerInQueue, std::memory_order_relaxed);
    return result::ok;
}

// Hands a header back to the program. Release ordering publishes the samples
// and bytesRecorded together with the done flag.
inline void markDone(WaveHeader& header, uint32_t bytesRecorded)
{
    header.bytesRecorded = bytesRecorded;
    const auto flags = header.flags.load(std::memory_order_relaxed);
    header.flags.store((flags & ~headerInQueue) | headerDone, std::memory_order_release);
}

// A header that was checked by enqueue but could not be queued after all.
inline void unqueue(WaveHeader& header)
{
    header.flags.fetch_and(~headerInQueue, std::memory_order_relaxed);
}

}  // namespace wavein::rules
