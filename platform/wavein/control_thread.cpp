#include <wavein/control_thread.h>

namespace wavein {

namespace {
constexpr std::chrono::seconds exitWait{2};
}

ControlThread::ControlThread() : m_shared(std::make_shared<Shared>())
{
    m_thread = std::thread([shared = m_shared] { loop(shared); });
}

ControlThread::~ControlThread()
{
    std::unique_lock lock(m_shared->mutex);
    m_shared->quit = true;
    m_shared->changed.notify_all();
    const auto wait = m_shared->finished < m_shared->overdue ? std::chrono::milliseconds(0) : exitWait;
    const bool exited = m_shared->changed.wait_for(lock, wait, [this] { return m_shared->exited; });
    lock.unlock();
    // A thread stuck inside the sound library is left to finish on its own;
    // it owns what it uses.
    if (exited)
        m_thread.join();
    else
        m_thread.detach();
}

void ControlThread::loop(const std::shared_ptr<Shared>& shared)
{
    std::unique_lock lock(shared->mutex);
    for (;;) {
        shared->changed.wait(lock, [&] { return shared->quit || !shared->jobs.empty(); });
        if (shared->jobs.empty())
            break;  // quit, with every queued job done
        auto job = std::move(shared->jobs.front());
        shared->jobs.pop_front();
        lock.unlock();
        job();
        job = nullptr;  // release what the job owns outside the lock
        lock.lock();
        ++shared->finished;
        shared->changed.notify_all();
    }
    shared->exited = true;
    shared->changed.notify_all();
}

bool ControlThread::busy() const
{
    std::lock_guard lock(m_shared->mutex);
    return m_shared->finished != m_shared->queued;
}

bool ControlThread::overran() const
{
    std::lock_guard lock(m_shared->mutex);
    return m_shared->finished < m_shared->overdue;
}

bool ControlThread::waitIdle(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_shared->mutex);
    return m_shared->changed.wait_for(lock, timeout, [this] { return m_shared->finished == m_shared->queued; });
}

void ControlThread::post(std::function<void()> job)
{
    std::lock_guard lock(m_shared->mutex);
    m_shared->jobs.push_back(std::move(job));
    ++m_shared->queued;
    m_shared->changed.notify_all();
}

bool ControlThread::run(std::function<void()> job, std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_shared->mutex);
    m_shared->jobs.push_back(std::move(job));
    const auto ticket = ++m_shared->queued;
    m_shared->changed.notify_all();
    if (m_shared->changed.wait_for(lock, timeout, [&] { return m_shared->finished >= ticket; }))
        return true;
    m_shared->overdue = ticket;
    return false;
}

}  // namespace wavein
