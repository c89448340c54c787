#include <wavein/pulse_session.h>

#include <wavein/pulse_loop.h>

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/introspect.h>
#include <pulse/proplist.h>
#include <pulse/rtclock.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>
#include <pulse/timeval.h>

namespace wavein {

namespace {

static_assert(rateRange(Backend::server).highest == PA_RATE_MAX, "the server's rates are its sample spec's");

// One delivery every 20 ms: a tick of the window's timer finds about one.
constexpr pa_usec_t fragmentUsec = 20'000;

void contextChanged(pa_context*, void* loop) { signalLoop(loop); }

// A stream the server kills (its source was unlinked and it may not move)
// fails with the context's error set to PA_ERR_KILLED.
void streamChanged(pa_stream* stream, void* events)
{
    auto* e = static_cast<StreamEvents*>(events);
    if (pa_stream_get_state(stream) == PA_STREAM_FAILED && pa_context_errno(pa_stream_get_context(stream)) == PA_ERR_KILLED)
        e->killed = true;
    signalLoop(e->loop);
}

void streamMoved(pa_stream*, void* events)
{
    static_cast<StreamEvents*>(events)->moves.fetch_add(1, std::memory_order_release);
}

// Hands whatever the server sent to the queued buffers. A hole in the
// recording comes as silence, so the samples keep their place in time.
void samplesArrived(pa_stream* stream, size_t, void* capture)
{
    for (;;) {
        const void* data = nullptr;
        size_t bytes = 0;
        if (pa_stream_peek(stream, &data, &bytes) < 0 || bytes == 0)
            return;
        static_cast<CaptureStream*>(capture)->deliver(static_cast<const int16_t*>(data), bytes / sizeof(int16_t));
        pa_stream_drop(stream);
    }
}

pa_proplist* programProperties()
{
    pa_proplist* p = pa_proplist_new();
    pa_proplist_sets(p, PA_PROP_APPLICATION_NAME, "vellarin");
    pa_proplist_sets(p, PA_PROP_APPLICATION_ID, "org.vellarin.Vellarin");
    pa_proplist_sets(p, PA_PROP_APPLICATION_ICON_NAME, "org.vellarin.Vellarin");  // the installed icon
    return p;
}

bool isOver(pa_stream_state_t state) { return state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED; }

}  // namespace

PulseSession::PulseSession() : m_loop(pa_threaded_mainloop_new())
{
    if (m_loop && pa_threaded_mainloop_start(m_loop) < 0) {
        pa_threaded_mainloop_free(m_loop);
        m_loop = nullptr;
    }
}

PulseSession::~PulseSession()
{
    if (!m_loop)
        return;
    {
        LoopLock lock(m_loop);
        dropContext();
    }
    pa_threaded_mainloop_stop(m_loop);
    pa_threaded_mainloop_free(m_loop);
}

bool PulseSession::contextAlive() const
{
    return m_context && PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context));
}

void PulseSession::dropContext()
{
    if (!m_context)
        return;
    pa_context_set_state_callback(m_context, nullptr, nullptr);
    pa_context_disconnect(m_context);
    pa_context_unref(m_context);
    m_context = nullptr;
}

bool PulseSession::connect(std::chrono::milliseconds timeout)
{
    if (!m_loop)
        return false;
    LoopLock lock(m_loop);
    // A lost connection is replaced only once its streams are closed.
    if (!contextAlive() && m_openStreams == 0) {
        dropContext();
        pa_mainloop_api* api = pa_threaded_mainloop_get_api(m_loop);
        pa_proplist* properties = programProperties();
        m_context = pa_context_new_with_proplist(api, "vellarin", properties);
        pa_proplist_free(properties);
        if (!m_context)
            return false;
        pa_context_set_state_callback(m_context, &contextChanged, m_loop);
        if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
            dropContext();
            return false;
        }
    }
    if (!m_context)
        return false;
    const bool settled = waitUntil(m_loop, m_context, [this] { return pa_context_get_state(m_context) == PA_CONTEXT_READY || !contextAlive(); },
                                   timeout);
    return settled && pa_context_get_state(m_context) == PA_CONTEXT_READY;
}

std::vector<ServerSource> PulseSession::sources(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const auto left = [&] {
        return std::max(std::chrono::milliseconds(0),
                        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()));
    };
    // A connection that died while idle is noticed by the request; one more try on a new one.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!connect(left()))
            return {};
        struct Listing {
            pa_threaded_mainloop* loop;
            std::vector<ServerSource> sources{{QString(), QStringLiteral("Default"), 2}};
            bool done = false;
        } listing{m_loop};
        LoopLock lock(m_loop);
        pa_operation* op = pa_context_get_source_info_list(
            m_context,
            [](pa_context*, const pa_source_info* info, int eol, void* self) {
                auto* l = static_cast<Listing*>(self);
                if (eol) {
                    l->done = true;
                    signalLoop(l->loop);
                }
                else if (info)
                    l->sources.push_back({QString::fromUtf8(info->name), QString::fromUtf8(info->description), info->channel_map.channels});
            },
            &listing);
        if (!op)
            continue;
        // Waiting for the answer alone would leave the callback writing into
        // a listing that is gone; cancelling stops that.
        const bool answered = waitUntil(m_loop, m_context, [&] { return listing.done || !contextAlive(); }, left());
        pa_operation_cancel(op);
        pa_operation_unref(op);
        if (answered && listing.done)
            return std::move(listing.sources);
        if (contextAlive())
            return {};  // the server is there but does not answer: frozen
    }
    return {};
}

MmResult PulseSession::open(const QString& source, uint32_t rate, ServerStream& s, std::chrono::milliseconds timeout)
{
    const pa_sample_spec spec{PA_SAMPLE_S16LE, rate, 1};
    if (rate < rateRange(Backend::server).lowest || !pa_sample_spec_valid(&spec))
        return result::badFormat;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    if (!connect(timeout))
        return result::noDriver;
    LoopLock lock(m_loop);
    pa_proplist* properties = programProperties();
    pa_proplist_sets(properties, PA_PROP_MEDIA_ROLE, "production");
    s.stream = pa_stream_new_with_proplist(m_context, "Spectrum capture", &spec, nullptr, properties);
    pa_proplist_free(properties);
    if (!s.stream)
        return result::noMemory;
    s.events->loop = m_loop;
    pa_stream_set_state_callback(s.stream, &streamChanged, s.events.get());
    pa_stream_set_moved_callback(s.stream, &streamMoved, s.events.get());
    pa_stream_set_read_callback(s.stream, &samplesArrived, s.capture.get());

    pa_buffer_attr attributes{};
    attributes.maxlength = uint32_t(-1);
    attributes.fragsize = uint32_t(pa_usec_to_bytes(fragmentUsec, &spec));
    const QByteArray name = source.toUtf8();
    // Moved elsewhere, a named source's stream would measure another input under the chosen name.
    const auto flags = pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_START_CORKED
                                         | (source.isEmpty() ? 0 : PA_STREAM_DONT_MOVE));
    ++m_openStreams;
    if (pa_stream_connect_record(s.stream, source.isEmpty() ? nullptr : name.constData(), &attributes, flags) < 0) {
        const int error = pa_context_errno(m_context);
        release(s);
        return error == PA_ERR_NOENTITY ? result::badDeviceId : result::error;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    const bool ready = waitUntil(m_loop, m_context, [&] { return pa_stream_get_state(s.stream) == PA_STREAM_READY || isOver(pa_stream_get_state(s.stream)); },
                                 std::max(left, std::chrono::milliseconds(0)));
    if (ready && pa_stream_get_state(s.stream) == PA_STREAM_READY)
        return result::ok;
    const int error = pa_context_errno(m_context);
    const bool serverGone = !contextAlive();
    release(s);
    if (!ready)
        return result::error;  // no answer in time
    if (serverGone)
        return result::noDriver;
    return error == PA_ERR_NOENTITY ? result::badDeviceId : error == PA_ERR_NOTSUPPORTED || error == PA_ERR_INVALID ? result::badFormat : result::error;
}

MmResult PulseSession::start(ServerStream& s)
{
    LoopLock lock(m_loop);
    if (!s.stream || pa_stream_get_state(s.stream) != PA_STREAM_READY)
        return result::error;
    if (pa_operation* op = pa_stream_cork(s.stream, 0, nullptr, nullptr)) {
        pa_operation_unref(op);
        return result::ok;
    }
    return result::error;
}

void PulseSession::stop(ServerStream& s)
{
    LoopLock lock(m_loop);
    if (s.stream && pa_stream_get_state(s.stream) == PA_STREAM_READY)
        if (pa_operation* op = pa_stream_cork(s.stream, 1, nullptr, nullptr))
            pa_operation_unref(op);
}

void PulseSession::close(ServerStream& s)
{
    if (!s.stream)
        return;
    // Once the loop's lock is given up, no callback of this stream runs again.
    LoopLock lock(m_loop);
    release(s);
}

void PulseSession::release(ServerStream& s)
{
    pa_stream_set_state_callback(s.stream, nullptr, nullptr);
    pa_stream_set_moved_callback(s.stream, nullptr, nullptr);
    pa_stream_set_read_callback(s.stream, nullptr, nullptr);
    pa_stream_disconnect(s.stream);  // refused, harmlessly, by a stream that already ended
    pa_stream_unref(s.stream);
    s.stream = nullptr;
    --m_openStreams;
}

bool PulseSession::failed(const ServerStream& s)
{
    LoopLock lock(m_loop);
    return !s.stream || pa_stream_get_state(s.stream) != PA_STREAM_READY || !contextAlive();
}

bool PulseSession::gone(const ServerStream& s)
{
    LoopLock lock(m_loop);
    return s.events->killed;
}

bool PulseSession::sourceOf(const ServerStream& s, ServerSource& source, std::chrono::milliseconds timeout)
{
    LoopLock lock(m_loop);
    if (!s.stream || pa_stream_get_state(s.stream) != PA_STREAM_READY || !contextAlive())
        return false;
    const char* name = pa_stream_get_device_name(s.stream);
    if (!name)
        return false;
    struct Answer {
        pa_threaded_mainloop* loop;
        ServerSource* source;
        bool done = false;
        bool found = false;
    } answer{m_loop, &source};
    pa_operation* op = pa_context_get_source_info_by_name(
        m_context, name,
        [](pa_context*, const pa_source_info* info, int eol, void* self) {
            auto* a = static_cast<Answer*>(self);
            if (info) {
                *a->source = {QString::fromUtf8(info->name), QString::fromUtf8(info->description), info->channel_map.channels};
                a->found = true;
            }
            if (eol) {
                a->done = true;
                signalLoop(a->loop);
            }
        },
        &answer);
    if (!op)
        return false;
    // Cancelled either way, so the callback never writes into an answer that is gone.
    waitUntil(m_loop, m_context, [&] { return answer.done || !contextAlive(); }, timeout);
    pa_operation_cancel(op);
    pa_operation_unref(op);
    return answer.found;
}

}  // namespace wavein
