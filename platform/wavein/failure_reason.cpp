#include <wavein/failure_reason.h>

namespace wavein {

QString failureReason(MmResult failure)
{
    static const struct {
        MmResult result;
        const char* reason;
    } reasons[] = {
        {result::noDriver, "No sound server answers, and no sound device could be reached."},
        {result::badDeviceId, "The input device is no longer there."},
        {result::allocated, "The input device is busy."},
        {result::badFormat, "The input device does not record 16-bit mono sound at this sample rate."},
        {result::noMemory, "There is not enough memory."},
        {result::error, "The sound system refused the device or did not answer in time."},
    };
    for (const auto& r : reasons)
        if (r.result == failure)
            return QString::fromLatin1(r.reason);
    return {};
}

}  // namespace wavein
