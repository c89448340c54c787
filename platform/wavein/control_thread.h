#pragma once
// Runs the sound library's blocking calls on a thread of their own, so that
// the program's thread can stop waiting for a device that no longer answers
// (a frozen sound server keeps a stop or a close waiting for half a minute).
// A job that overruns its time still runs to its end; everything it touches
// must therefore be owned by the job itself.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace wavein {

class ControlThread {
public:
    ControlThread();
    // Waits a bounded time for queued jobs, then lets the thread go; does not
    // wait at all behind a job that already overran.
    ~ControlThread();
    ControlThread(const ControlThread&) = delete;
    ControlThread& operator=(const ControlThread&) = delete;

    // True while an earlier job has not finished (it overran its time, or was posted).
    bool busy() const;
    // True while a job that run() stopped waiting for has not finished: the
    // library hangs, and waiting for it again would hang the caller too.
    bool overran() const;
    // Waits at most timeout for every earlier job to finish. True when none is left.
    bool waitIdle(std::chrono::milliseconds timeout);

    // Queues job and waits at most timeout for it. True when it finished.
    bool run(std::function<void()> job, std::chrono::milliseconds timeout);

    // The job's result, or nothing when it did not finish in time.
    template <class F>
    auto call(F job, std::chrono::milliseconds timeout) -> std::optional<decltype(job())>
    {
        auto result = std::make_shared<std::optional<decltype(job())>>();
        if (!run([result, job = std::move(job)]() mutable { *result = job(); }, timeout))
            return std::nullopt;
        return *result;
    }

    // Queues job without waiting for it.
    void post(std::function<void()> job);

private:
    struct Shared {
        mutable std::mutex mutex;
        std::condition_variable changed;
        std::deque<std::function<void()>> jobs;
        unsigned long long queued = 0;    // jobs ever queued
        unsigned long long finished = 0;  // jobs ever finished
        unsigned long long overdue = 0;   // the last job run() gave up waiting for
        bool quit = false;
        bool exited = false;
    };
    static void loop(const std::shared_ptr<Shared>& shared);

    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
};

}  // namespace wavein
