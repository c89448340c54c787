#include <wavein/server_playback.h>

#include <wavein/pulse_loop.h>

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/proplist.h>
#include <pulse/rtclock.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>
#include <pulse/timeval.h>

#include <algorithm>

namespace wavein {

namespace {

// What the server holds ahead of the listener: small, so a pause or a seek
// is heard at once, and what the picture waits for is little more than
// the output's own latency.
constexpr pa_usec_t targetLatencyUsec = 40'000;
constexpr pa_usec_t requestUsec = 10'000;
// How often the server's thread tops the stream up and reads its latency:
// a sample reaches the picture at most this much later than it is heard.
constexpr pa_usec_t tickUsec = 5'000;
// The player pushes at most this far ahead of the listener.
constexpr uint32_t ringMilliseconds = 250;

// The server's answer on the connection wakes the program's thread.
void contextChanged(pa_context*, void* loop) { signalLoop(loop); }

QString serverError(pa_context* context)
{
    return QString::fromUtf8(pa_strerror(pa_context_errno(context)));
}

}  // namespace

ServerPlayback::ServerPlayback(uint32_t rate)
    : m_rate(rate), m_ring(size_t(rate) * ringMilliseconds / 1000 + 1), m_loop(pa_threaded_mainloop_new())
{
    if (m_loop && pa_threaded_mainloop_start(m_loop) < 0) {
        pa_threaded_mainloop_free(m_loop);
        m_loop = nullptr;
    }
}

ServerPlayback::~ServerPlayback()
{
    if (!m_loop)
        return;
    {
        LoopLock lock(m_loop);
        if (m_tick)
            pa_threaded_mainloop_get_api(m_loop)->time_free(m_tick);
        if (m_stream) {
            pa_stream_set_state_callback(m_stream, nullptr, nullptr);
            pa_stream_set_write_callback(m_stream, nullptr, nullptr);
            pa_stream_set_underflow_callback(m_stream, nullptr, nullptr);
            pa_stream_disconnect(m_stream);
            pa_stream_unref(m_stream);
        }
        if (m_context) {
            pa_context_set_state_callback(m_context, nullptr, nullptr);
            pa_context_disconnect(m_context);
            pa_context_unref(m_context);
        }
    }
    pa_threaded_mainloop_stop(m_loop);
    pa_threaded_mainloop_free(m_loop);
}

bool ServerPlayback::serverAnswers(std::chrono::milliseconds timeout)
{
    ServerPlayback probe(lowestFileRate);
    QString why;
    return probe.connect(timeout, why);
}

std::unique_ptr<ServerPlayback> ServerPlayback::open(uint32_t rate, std::chrono::milliseconds timeout, QString& why)
{
    std::unique_ptr<ServerPlayback> playback(new ServerPlayback(rate));
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    if (!playback->connect(timeout, why))
        return nullptr;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (!playback->openStream(std::max(left, std::chrono::milliseconds(0)), why))
        return nullptr;
    return playback;
}

bool ServerPlayback::connect(std::chrono::milliseconds timeout, QString& why)
{
    if (!m_loop) {
        why = QStringLiteral("no thread for the sound server's connection");
        return false;
    }
    LoopLock lock(m_loop);
    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "vellarin");
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, "org.vellarin.Vellarin");
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ICON_NAME, "org.vellarin.Vellarin");
    m_context = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(m_loop), "vellarin", properties);
    pa_proplist_free(properties);
    if (!m_context) {
        why = QStringLiteral("no connection to the sound server could be made");
        return false;
    }
    pa_context_set_state_callback(m_context, &contextChanged, m_loop);
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        why = QStringLiteral("no sound server answers (%1)").arg(serverError(m_context));
        return false;
    }
    const auto settled = [this] {
        const pa_context_state_t state = pa_context_get_state(m_context);
        return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
    };
    if (!waitUntil(m_loop, m_context, settled, timeout)) {
        why = QStringLiteral("the sound server does not answer");
        return false;
    }
    if (pa_context_get_state(m_context) != PA_CONTEXT_READY) {
        why = QStringLiteral("no sound server answers (%1)").arg(serverError(m_context));
        return false;
    }
    return true;
}

bool ServerPlayback::openStream(std::chrono::milliseconds timeout, QString& why)
{
    LoopLock lock(m_loop);
    const pa_sample_spec spec{PA_SAMPLE_S16LE, m_rate, 1};
    if (!pa_sample_spec_valid(&spec)) {
        why = QStringLiteral("the sound server does not play %1 Hz").arg(m_rate);
        return false;
    }
    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_MEDIA_ROLE, "music");
    m_stream = pa_stream_new_with_proplist(m_context, "Sound file", &spec, nullptr, properties);
    pa_proplist_free(properties);
    if (!m_stream) {
        why = serverError(m_context);
        return false;
    }
    pa_stream_set_state_callback(m_stream, &ServerPlayback::streamChanged, this);
    pa_stream_set_write_callback(m_stream, &ServerPlayback::wanted, this);
    pa_stream_set_underflow_callback(m_stream, &ServerPlayback::starved, this);

    pa_buffer_attr attributes{};
    attributes.maxlength = uint32_t(-1);
    attributes.tlength = uint32_t(pa_usec_to_bytes(targetLatencyUsec, &spec));
    attributes.minreq = uint32_t(pa_usec_to_bytes(requestUsec, &spec));
    // One sample starts the output: the end of a file, however short, is
    // played, and a stream that ran dry waits for more rather than skip it.
    attributes.prebuf = uint32_t(pa_frame_size(&spec));
    attributes.fragsize = uint32_t(-1);
    const auto flags = pa_stream_flags_t(PA_STREAM_START_CORKED | PA_STREAM_ADJUST_LATENCY | PA_STREAM_INTERPOLATE_TIMING
                                         | PA_STREAM_AUTO_TIMING_UPDATE);
    if (pa_stream_connect_playback(m_stream, nullptr, &attributes, flags, nullptr, nullptr) < 0) {
        why = serverError(m_context);
        return false;
    }
    const auto settled = [this] {
        const pa_stream_state_t state = pa_stream_get_state(m_stream);
        return state == PA_STREAM_READY || state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED;
    };
    if (!waitUntil(m_loop, m_context, settled, timeout)) {
        why = QStringLiteral("the sound server does not answer");
        return false;
    }
    if (pa_stream_get_state(m_stream) != PA_STREAM_READY) {
        why = serverError(m_context);
        return false;
    }
    m_tick = pa_context_rttime_new(m_context, pa_rtclock_now() + tickUsec, &ServerPlayback::tick, this);
    return true;
}

void ServerPlayback::hold(bool held)
{
    if (!m_loop)
        return;
    LoopLock lock(m_loop);
    if (!m_stream || pa_stream_get_state(m_stream) != PA_STREAM_READY)
        return;
    // A seek taken while silent: what the output held from before it goes
    // before it can be heard.
    if (!held)
        takeDrop();
    if (pa_operation* op = pa_stream_cork(m_stream, held ? 1 : 0, nullptr, nullptr))
        pa_operation_unref(op);
}

void ServerPlayback::streamChanged(pa_stream* stream, void* self)
{
    auto* p = static_cast<ServerPlayback*>(self);
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED) {
        p->m_ring.hearAll();
        p->m_lost.store(true, std::memory_order_release);
    }
    pa_threaded_mainloop_signal(p->m_loop, 0);
}

void ServerPlayback::wanted(pa_stream*, size_t, void* self) { static_cast<ServerPlayback*>(self)->feed(); }

void ServerPlayback::starved(pa_stream*, void* self)
{
    auto* p = static_cast<ServerPlayback*>(self);
    if (!p->m_starved) {
        p->publishHeard();  // what the output still holds, as it ran dry
        p->m_starved = true;
        p->m_starvedAt = std::chrono::steady_clock::now();
    }
}

void ServerPlayback::tick(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self)
{
    auto* p = static_cast<ServerPlayback*>(self);
    p->feed();
    pa_context_rttime_restart(p->m_context, p->m_tick, pa_rtclock_now() + tickUsec);
}

void ServerPlayback::takeDrop()
{
    if (!m_ring.takeDrop())
        return;
    if (pa_operation* op = pa_stream_flush(m_stream, nullptr, nullptr))
        pa_operation_unref(op);
    m_behind = 0;
}

void ServerPlayback::feed()
{
    if (!m_stream || pa_stream_get_state(m_stream) != PA_STREAM_READY)
        return;
    takeDrop();
    const size_t room = pa_stream_writable_size(m_stream);
    if (room != size_t(-1) && room >= sizeof(int16_t) && m_ring.writable() > 0) {
        void* data = nullptr;
        size_t bytes = std::min(room, m_ring.writable() * sizeof(int16_t));
        if (pa_stream_begin_write(m_stream, &data, &bytes) == 0 && data) {
            const size_t samples = m_ring.write(static_cast<int16_t*>(data), bytes / sizeof(int16_t));
            if (samples > 0) {
                pa_stream_write(m_stream, data, samples * sizeof(int16_t), nullptr, 0, PA_SEEK_RELATIVE);
                m_starved = false;
            }
            else
                pa_stream_cancel_write(m_stream);
        }
    }
    publishHeard();
}

void ServerPlayback::publishHeard()
{
    // The sample heard now was written this long ago: what waits in the
    // server's buffer and the output's own latency.
    pa_usec_t latency = 0;
    int negative = 0;
    if (!m_starved) {
        if (pa_stream_get_latency(m_stream, &latency, &negative) != 0)
            return;  // no timing yet, as just after a flush
        m_behind = negative ? 0 : latency * m_rate / PA_USEC_PER_SEC;
        m_ring.hear(m_ring.written() - std::min<uint64_t>(m_behind, m_ring.written()));
        return;
    }
    // Run dry: the output plays out what it holds at its own pace.
    const auto since = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - m_starvedAt);
    const uint64_t played = uint64_t(since.count()) * m_rate / PA_USEC_PER_SEC;
    const uint64_t behind = m_behind - std::min(m_behind, played);
    m_ring.hear(m_ring.written() - std::min<uint64_t>(behind, m_ring.written()));
}

}  // namespace wavein
