#pragma once
// The one recording format the devices offer: 16-bit mono PCM. A format
// whose derived fields disagree with its rate is refused rather than guessed.
#include <wavein/wavein.h>

namespace wavein {

inline bool isMono16BitPcm(const WaveFormat& format)
{
    return format.formatTag == 1 && format.channels == 1 && format.bitsPerSample == 16 && format.blockAlign == 2
        && format.samplesPerSec > 0 && format.avgBytesPerSec == uint64_t(format.samplesPerSec) * 2;
}

}  // namespace wavein
