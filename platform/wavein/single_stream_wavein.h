#pragma once
// A device object with at most one stream open at a time. What every such
// device does the same way, whatever it records from, lives here: the device
// list as the program last read it, the capabilities of a listed device, the
// checks and bookkeeping of open, the open stream and its handle, the
// program's side of the buffer headers, and the checks that come first in
// close. The backend keeps how it reads its devices and how it opens,
// starts, halts, resets and closes its stream.
//
// Stream is the backend's record of its open stream: it has a handle and a
// started flag. Device is one entry of the backend's device list.
#include <wavein/capture_stream.h>
#include <wavein/device_rules.h>
#include <wavein/printable_text.h>
#include <wavein/wavein.h>

#include <chrono>
#include <optional>
#include <utility>
#include <vector>

namespace wavein {

template <class Stream, class Device>
class SingleStreamWaveIn : public WaveInApi {
public:
    explicit SingleStreamWaveIn(Backend backend) : m_backend(backend) {}

    Backend backend() const final { return m_backend; }

    uint32_t getNumDevs() final
    {
        list();
        return uint32_t(m_listing.size());
    }

    MmResult getDevCaps(uint32_t device, WaveInCaps& caps) final
    {
        if (!m_listed)
            list();
        if (device >= m_listing.size())
            return result::badDeviceId;
        caps = printableCaps(m_listing[device]);
        return result::ok;
    }

    MmResult open(Handle& handle, uint32_t device, const WaveFormat& format) final
    {
        if (m_open)
            return result::allocated;  // one stream per device object
        const RateRange rates = rateRange(m_backend);
        if (!rules::isMono16BitPcm(format) || format.samplesPerSec < rates.lowest || format.samplesPerSec > rates.highest)
            return result::badFormat;
        if (MmResult r = readyToOpen(); r != result::ok)
            return r;
        // A listing taken while nothing answered says nothing of what may answer now.
        if (!m_listed || m_listing.empty())
            list();
        if (m_listing.empty())
            return result::noDriver;
        if (device >= m_listing.size())
            return result::badDeviceId;
        Stream opening;
        if (MmResult r = openStream(device, format.samplesPerSec, opening); r != result::ok)
            return r;
        opening.handle = ++m_lastHandle;
        m_open = std::move(opening);
        handle = m_open->handle;
        return result::ok;
    }

    MmResult prepareHeader(Handle handle, WaveHeader& header) final
    {
        return find(handle) ? rules::prepare(header) : result::invalidHandle;
    }

    MmResult unprepareHeader(Handle handle, WaveHeader& header) final
    {
        return find(handle) ? rules::unprepare(header) : result::invalidHandle;
    }

    MmResult addBuffer(Handle handle, WaveHeader& header) final
    {
        Stream* s = find(handle);
        if (!s)
            return result::invalidHandle;
        if (MmResult r = rules::enqueue(header); r != result::ok)
            return r;
        if (!captureOf(*s).enqueue(header)) {
            rules::unqueue(header);
            return result::noMemory;
        }
        return result::ok;
    }

    MmResult stop(Handle handle) final
    {
        Stream* s = find(handle);
        return s ? halt(*s) : result::invalidHandle;
    }

protected:
    // The devices there are now; none to keep the last listing.
    virtual std::optional<std::vector<Device>> readDevices() = 0;
    virtual WaveInCaps capsOf(const Device& device) const = 0;
    // What open must wait for or refuse once the format is right.
    virtual MmResult readyToOpen() { return result::ok; }
    // Opens the listed device at rate into opening, which the caller adopts.
    virtual MmResult openStream(uint32_t device, uint32_t rate, Stream& opening) = 0;
    const std::vector<Device>& listing() const { return m_listing; }
    // Names come from outside the program and go to terminals, messages and files.
    WaveInCaps printableCaps(const Device& device) const
    {
        WaveInCaps caps = capsOf(device);
        caps.productName = printableText(caps.productName);
        caps.serverName = printableText(caps.serverName);
        return caps;
    }

    // The state the capture callback fills the stream's buffers from.
    virtual CaptureStream& captureOf(Stream& s) = 0;
    // Keeps the callback away from the buffers and stops the stream.
    virtual MmResult halt(Stream& s) = 0;

    Stream* find(Handle handle) { return m_open && handle != 0 && m_open->handle == handle ? &*m_open : nullptr; }

    // What close refuses before the backend lets the stream go. Shuts the
    // gate, waiting at most gateWait for a callback inside it; while buffers
    // are still queued a started stream records on.
    MmResult mayClose(Stream& s, std::chrono::milliseconds gateWait)
    {
        CaptureStream& capture = captureOf(s);
        if (!capture.shutGate(gateWait))
            return result::error;
        if (capture.hasQueued()) {
            if (s.started)
                capture.openGate();
            return result::stillPlaying;  // reset first: the device still owns buffers
        }
        return result::ok;
    }

    std::optional<Stream> m_open;

private:
    void list()
    {
        if (auto devices = readDevices())
            m_listing = std::move(*devices);
        m_listed = true;
    }

    Backend m_backend;
    std::vector<Device> m_listing;  // the devices as the program last saw them
    bool m_listed = false;
    Handle m_lastHandle = 0;
};

}  // namespace wavein
