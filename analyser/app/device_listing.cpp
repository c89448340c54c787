#include "device_listing.h"

namespace vellarin {

uint32_t printDeviceList(wavein::WaveInApi& waveIn, QTextStream& out)
{
    const uint32_t count = waveIn.getNumDevs();
    for (uint32_t device = 0; device < count; ++device) {
        wavein::WaveInCaps caps;
        if (waveIn.getDevCaps(device, caps) == wavein::result::ok)
            out << device << '\t' << caps.productName << '\t' << caps.serverName << '\n';
    }
    return count;
}

}  // namespace vellarin
