#include "device_listing.h"

namespace vellarin {

void printDeviceList(wavein::WaveInApi& waveIn, QTextStream& out)
{
    for (uint32_t device = 0, count = waveIn.getNumDevs(); device < count; ++device) {
        wavein::WaveInCaps caps;
        if (waveIn.getDevCaps(device, caps) == wavein::result::ok)
            out << device << '\t' << caps.productName << '\t' << caps.serverName << '\n';
    }
}

}  // namespace vellarin
