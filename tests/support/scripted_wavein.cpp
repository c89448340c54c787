#include "scripted_wavein.h"

#include <wavein/device_rules.h>

#include <algorithm>
#include <cstring>

namespace wavein {

ScriptedWaveIn::ScriptedWaveIn(QStringList deviceNames) : m_devices(std::move(deviceNames)) {}

void ScriptedWaveIn::setDevices(QStringList names)
{
    m_devices = std::move(names);
}

void ScriptedWaveIn::failCall(Op op, MmResult failure, int nth)
{
    m_failures.push_back({op, std::max(nth, 1), failure});
}

bool ScriptedWaveIn::takeFailure(Op op, MmResult& failure)
{
    bool failed = false;
    for (auto& pending : m_failures) {
        if (pending.op != op || --pending.remaining > 0)
            continue;
        if (failed)
            pending.remaining = 1;  // two failures due at once: the second fails the next call
        else
            failure = pending.failure;
        failed = true;
    }
    std::erase_if(m_failures, [](const PendingFailure& p) { return p.remaining <= 0; });
    return failed;
}

MmResult ScriptedWaveIn::log(Call call)
{
    m_calls.push_back(call);
    return call.result;
}

MmResult ScriptedWaveIn::checkHandle(Handle handle) const
{
    return handle != 0 && handle == m_handle ? result::ok : result::invalidHandle;
}

int ScriptedWaveIn::callCount(Op op) const
{
    return int(std::count_if(m_calls.begin(), m_calls.end(), [op](const Call& c) { return c.op == op; }));
}

const char* ScriptedWaveIn::opName(Op op)
{
    switch (op) {
    case Op::getNumDevs: return "getNumDevs";
    case Op::getDevCaps: return "getDevCaps";
    case Op::open: return "open";
    case Op::prepare: return "prepareHeader";
    case Op::unprepare: return "unprepareHeader";
    case Op::add: return "addBuffer";
    case Op::start: return "start";
    case Op::stop: return "stop";
    case Op::reset: return "reset";
    case Op::close: return "close";
    }
    return "?";
}

uint32_t ScriptedWaveIn::getNumDevs()
{
    MmResult failure = result::ok;
    // A failed listing finds no device, as a system with no sound card would.
    const auto count = takeFailure(Op::getNumDevs, failure) ? 0u : uint32_t(m_devices.size());
    log({Op::getNumDevs, 0, 0, nullptr, failure});
    return count;
}

MmResult ScriptedWaveIn::getDevCaps(uint32_t device, WaveInCaps& caps)
{
    MmResult r = result::ok;
    if (!takeFailure(Op::getDevCaps, r)) {
        if (device >= uint32_t(m_devices.size())) {
            r = result::badDeviceId;
        } else {
            caps.productName = m_devices[int(device)].section(u'|', 0, 0);
            caps.serverName = m_devices[int(device)].section(u'|', 1);
            caps.channels = 1;
        }
    }
    return log({Op::getDevCaps, 0, device, nullptr, r});
}

MmResult ScriptedWaveIn::open(Handle& handle, uint32_t device, const WaveFormat& format)
{
    m_lastFormat = format;
    MmResult r = result::ok;
    if (!takeFailure(Op::open, r)) {
        if (device >= uint32_t(m_devices.size()))
            r = result::badDeviceId;
        else if (m_handle != 0)
            r = result::allocated;
        else if (!rules::isMono16BitPcm(format))
            r = result::badFormat;
    }
    if (r == result::ok) {
        m_handle = ++m_lastHandle;
        m_device = device;
        m_started = false;
        m_failed = false;
        m_gone = false;
        m_moves = 0;
        m_source = m_devices[int(device)];
        m_sampleNumber = 0;
        handle = m_handle;
    }
    return log({Op::open, 0, device, nullptr, r});
}

MmResult ScriptedWaveIn::prepareHeader(Handle handle, WaveHeader& header)
{
    MmResult r = result::ok;
    if (!takeFailure(Op::prepare, r) && (r = checkHandle(handle)) == result::ok)
        r = rules::prepare(header);
    return log({Op::prepare, handle, 0, &header, r});
}

MmResult ScriptedWaveIn::unprepareHeader(Handle handle, WaveHeader& header)
{
    MmResult r = result::ok;
    if (!takeFailure(Op::unprepare, r) && (r = checkHandle(handle)) == result::ok)
        r = rules::unprepare(header);
    return log({Op::unprepare, handle, 0, &header, r});
}

MmResult ScriptedWaveIn::addBuffer(Handle handle, WaveHeader& header)
{
    MmResult r = result::ok;
    if (!takeFailure(Op::add, r) && (r = checkHandle(handle)) == result::ok && (r = rules::enqueue(header)) == result::ok)
        m_queue.push_back(&header);
    return log({Op::add, handle, 0, &header, r});
}

MmResult ScriptedWaveIn::start(Handle handle)
{
    MmResult r = result::ok;
    if (!takeFailure(Op::start, r)) {
        if ((r = checkHandle(handle)) == result::ok) {
            if (m_failed)
                r = result::error;
            else
                m_started = true;
        }
    }
    return log({Op::start, handle, 0, nullptr, r});
}

MmResult ScriptedWaveIn::stop(Handle handle)
{
    MmResult r = result::ok;
    if (!takeFailure(Op::stop, r) && (r = checkHandle(handle)) == result::ok)
        m_started = false;
    return log({Op::stop, handle, 0, nullptr, r});
}

MmResult ScriptedWaveIn::reset(Handle handle)
{
    MmResult r = result::ok;
    if (!takeFailure(Op::reset, r) && (r = checkHandle(handle)) == result::ok) {
        m_started = false;
        for (WaveHeader* header : m_queue)
            rules::markDone(*header, 0);
        m_queue.clear();
    }
    return log({Op::reset, handle, 0, nullptr, r});
}

MmResult ScriptedWaveIn::close(Handle handle)
{
    MmResult r = result::ok;
    if (!takeFailure(Op::close, r) && (r = checkHandle(handle)) == result::ok) {
        if (!m_queue.empty()) {
            r = result::stillPlaying;  // reset first: the device still owns buffers
        } else {
            m_handle = 0;
            m_started = false;
            m_failed = m_gone = false;
        }
    }
    return log({Op::close, handle, 0, nullptr, r});
}

StreamState ScriptedWaveIn::streamState(Handle handle)
{
    if (checkHandle(handle) != result::ok)
        return StreamState::closed;
    if (m_gone)
        return StreamState::gone;
    if (m_failed)
        return StreamState::failed;
    return m_started ? StreamState::running : StreamState::stopped;
}

void ScriptedWaveIn::failStream()
{
    if (m_handle != 0)
        m_failed = true;
}

void ScriptedWaveIn::loseSource()
{
    if (m_handle != 0)
        m_failed = m_gone = true;
}

void ScriptedWaveIn::moveStream(const QString& source)
{
    if (m_handle == 0)
        return;
    m_source = source;
    ++m_moves;
}

uint32_t ScriptedWaveIn::streamMoves(Handle handle)
{
    return checkHandle(handle) == result::ok ? m_moves : 0;
}

MmResult ScriptedWaveIn::streamSource(Handle handle, WaveInCaps& caps)
{
    if (MmResult r = checkHandle(handle); r != result::ok)
        return r;
    caps.productName = m_source.section(u'|', 0, 0);
    caps.serverName = m_source.section(u'|', 1);
    caps.channels = 1;
    return result::ok;
}

int ScriptedWaveIn::completeBuffers(int count, const SampleGenerator& samples)
{
    if (m_handle == 0 || !m_started || m_failed)
        return 0;
    int completed = 0;
    for (; completed < count && !m_queue.empty(); ++completed) {
        WaveHeader* header = m_queue.front();
        m_queue.pop_front();
        const uint32_t sampleCount = header->bufferLength / 2;
        for (uint32_t i = 0; i < sampleCount; ++i) {
            const int16_t value = samples ? samples(m_sampleNumber) : int16_t(0);
            std::memcpy(header->data + 2 * i, &value, sizeof value);
            ++m_sampleNumber;
        }
        rules::markDone(*header, sampleCount * 2);
    }
    return completed;
}

}  // namespace wavein
