#pragma once
// The sound server's threaded main loop as the record streams and the
// playback of a file both use it: its lock held for a scope, and a wait on
// the program's thread for a condition, with a deadline.
#include <pulse/context.h>
#include <pulse/rtclock.h>
#include <pulse/thread-mainloop.h>
#include <pulse/timeval.h>

#include <chrono>

namespace wavein {

class LoopLock {
public:
    explicit LoopLock(pa_threaded_mainloop* loop) : m_loop(loop) { pa_threaded_mainloop_lock(m_loop); }
    ~LoopLock() { pa_threaded_mainloop_unlock(m_loop); }
    LoopLock(const LoopLock&) = delete;
    LoopLock& operator=(const LoopLock&) = delete;

private:
    pa_threaded_mainloop* m_loop;
};

// Wakes the program's thread waiting on the loop; `loop` as a callback's user data.
inline void signalLoop(void* loop) { pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0); }

// Under the loop's lock, which the wait gives up while it sleeps: true once
// `done()` holds, false if `timeout` passes first.
template <class Done>
bool waitUntil(pa_threaded_mainloop* loop, pa_context* context, Done done, std::chrono::milliseconds timeout)
{
    if (done())
        return true;
    struct Deadline {
        pa_threaded_mainloop* loop;
        bool expired = false;
    } deadline{loop};
    pa_time_event* timer = pa_context_rttime_new(
        context, pa_rtclock_now() + pa_usec_t(timeout.count()) * PA_USEC_PER_MSEC,
        [](pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self) {
            auto* d = static_cast<Deadline*>(self);
            d->expired = true;
            signalLoop(d->loop);
        },
        &deadline);
    while (!done() && !deadline.expired)
        pa_threaded_mainloop_wait(loop);
    if (timer)
        pa_threaded_mainloop_get_api(loop)->time_free(timer);
    return done();
}

}  // namespace wavein
