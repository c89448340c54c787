#include <wavein/file_player.h>

#include <chrono>

namespace wavein {

namespace {

// Short enough that a buffer of 512 samples is never late by more than its
// own length at 44100 Hz; long enough to cost nothing.
constexpr std::chrono::milliseconds stepPeriod{5};

}  // namespace

FilePlayer::FilePlayer(std::unique_ptr<SoundFile> file) : m_file(std::move(file)) {}

FilePlayer::~FilePlayer() { stop(); }

void FilePlayer::takeSeek()
{
    const int64_t to = m_seekTo.exchange(-1, std::memory_order_acq_rel);
    if (to < 0)
        return;
    if (m_file->seek(to))
        m_ended.store(false, std::memory_order_release);
    m_position.store(m_file->position(), std::memory_order_release);
}

size_t FilePlayer::step(CaptureStream& to, size_t samples)
{
    takeSeek();
    if (paused() || ended())
        return 0;
    size_t handed = 0;
    bool wrapped = false;  // and nothing read since: a file that yields nothing must not spin
    while (handed < samples) {
        const size_t want = std::min(samples - handed, m_chunk.size());
        const size_t got = m_file->read(m_chunk.data(), want);
        if (got > 0) {
            to.deliver(m_chunk.data(), got);
            if (m_playback)
                m_playback->play(m_chunk.data(), got);
            handed += got;
            wrapped = false;
        }
        if (got < want) {
            // The end of the file, or of what of it decodes.
            if (!looping() || wrapped || !m_file->seek(0)) {
                m_ended.store(true, std::memory_order_release);
                break;
            }
            wrapped = true;
        }
    }
    m_position.store(m_file->position(), std::memory_order_release);
    return handed;
}

void FilePlayer::run(CaptureStream& to)
{
    if (running())
        return;
    m_quit.store(false, std::memory_order_release);
    m_thread = std::thread([this, &to] { loop(to); });
}

void FilePlayer::stop()
{
    if (!running())
        return;
    m_quit.store(true, std::memory_order_release);
    m_thread.join();
}

void FilePlayer::loop(CaptureStream& to)
{
    using clock = std::chrono::steady_clock;
    const int64_t rate = m_file->info().rate;
    // Samples are due by the time since `base`; a pause moves the base on,
    // so playing resumes where it stopped, not where the clock got to.
    auto base = clock::now();
    int64_t sent = 0;
    while (!m_quit.load(std::memory_order_acquire)) {
        std::this_thread::sleep_for(stepPeriod);
        const auto now = clock::now();
        if (paused() || ended()) {
            base = now;
            sent = 0;
            takeSeek();
            continue;
        }
        const int64_t elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(now - base).count();
        const int64_t due = elapsed / 1000 * rate / 1000000 - sent;
        if (due > 0)
            step(to, size_t(due));
        sent += std::max<int64_t>(due, 0);
    }
}

}  // namespace wavein
