#pragma once
// A device object with at most one stream open at a time. What every such
// device does the same way, whatever it records from, lives here: the open
// stream and its handle, the program's side of the buffer headers, and the
// checks that come first in open and close. The backend keeps its listing and
// how it opens, starts, halts, resets and closes its stream.
//
// Stream is the backend's record of its open stream: it has a handle and a
// started flag.
#include <wavein/capture_stream.h>
#include <wavein/device_rules.h>
#include <wavein/wavein.h>

#include <chrono>
#include <optional>
#include <utility>

namespace wavein {

template <class Stream>
class SingleStreamWaveIn : public WaveInApi {
public:
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
    // The state the capture callback fills the stream's buffers from.
    virtual CaptureStream& captureOf(Stream& s) = 0;
    // Keeps the callback away from the buffers and stops the stream.
    virtual MmResult halt(Stream& s) = 0;

    Stream* find(Handle handle) { return m_open && handle != 0 && m_open->handle == handle ? &*m_open : nullptr; }

    // What open refuses before it asks the backend anything.
    MmResult mayOpen(const WaveFormat& format) const
    {
        if (m_open)
            return result::allocated;  // one stream per device object
        if (!rules::isMono16BitPcm(format))
            return result::badFormat;
        return result::ok;
    }

    // Makes a stream the backend has opened the open one, under a handle never given before.
    Handle adopt(Stream&& opening)
    {
        opening.handle = ++m_lastHandle;
        m_open = std::move(opening);
        return m_open->handle;
    }

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
    Handle m_lastHandle = 0;
};

}  // namespace wavein
