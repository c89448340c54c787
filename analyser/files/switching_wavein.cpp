#include "switching_wavein.h"

namespace vellarin {

bool SwitchingWaveIn::useFile(std::unique_ptr<wavein::FileWaveIn> file)
{
    if (m_open != 0 || !file)
        return false;
    m_file = std::move(file);
    return true;
}

bool SwitchingWaveIn::useLive()
{
    if (m_open != 0)
        return false;
    m_file.reset();
    return true;
}

wavein::MmResult SwitchingWaveIn::open(wavein::Handle& handle, uint32_t device, const wavein::WaveFormat& format)
{
    // A file is its own one device, whatever the list names.
    const wavein::MmResult opened = input().open(handle, m_file ? 0 : device, format);
    if (opened == wavein::result::ok)
        m_open = handle;
    return opened;
}

wavein::MmResult SwitchingWaveIn::close(wavein::Handle h)
{
    const wavein::MmResult closed = input().close(h);
    if (closed == wavein::result::ok && h == m_open)
        m_open = 0;
    return closed;
}

}  // namespace vellarin
