#include <wavein/file_player.h>

#include <chrono>

namespace wavein {

namespace {

// Short enough that a buffer of 512 samples is never late by more than its
// own length at 44100 Hz; long enough to cost nothing.
constexpr std::chrono::milliseconds stepPeriod{5};
// The player takes a seek within a step; resuming waits that long at most for it.
constexpr std::chrono::milliseconds seekTakenTime{100};

}  // namespace

FilePlayer::FilePlayer(std::unique_ptr<SoundFile> file) : m_file(std::move(file)) {}

FilePlayer::~FilePlayer() { stop(); }

void FilePlayer::setPaused(bool paused)
{
    if (!paused && m_playback && running()) {
        // A seek asked for while paused is taken first, or the output would
        // play on from where it stood before the seek.
        const auto deadline = std::chrono::steady_clock::now() + seekTakenTime;
        while (m_seekTo.load(std::memory_order_acquire) >= 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    m_paused.store(paused, std::memory_order_release);
    if (m_playback && running())
        m_playback->hold(paused);
}

void FilePlayer::listenThrough(PlaybackSink* sink)
{
    if (sink == m_playback)
        return;
    CaptureStream* to = m_to;
    const bool wasRunning = running();
    stop();  // joined: the player's side is the caller's until it runs again
    if (m_listening)
        unlisten();
    m_playback = sink;
    m_listening = sink != nullptr;
    if (wasRunning && to)
        run(*to);
}

void FilePlayer::unlisten()
{
    PlaybackRing& ring = m_playback->ring();
    if (ring.pending() > 0) {
        const int64_t at = position();
        ring.drop();
        if (m_file->seek(at))
            m_fileDone = false;
    }
    m_listening = false;
    if (m_fileDone)
        m_ended.store(true, std::memory_order_release);
    publishPosition();
}

void FilePlayer::publishPosition()
{
    int64_t at = m_file->position();
    if (m_listening) {
        // What was pushed but not heard may reach back round a loop.
        at -= int64_t(m_playback->ring().pending());
        const int64_t frames = info().frames;
        if (at < 0)
            at = frames > 0 ? (at % frames + frames) % frames : 0;
    }
    m_position.store(at, std::memory_order_release);
}

void FilePlayer::takeSeek()
{
    const int64_t to = m_seekTo.exchange(-1, std::memory_order_acq_rel);
    if (to < 0)
        return;
    if (m_file->seek(to)) {
        m_ended.store(false, std::memory_order_release);
        m_fileDone = false;
        if (m_listening)
            m_playback->ring().drop();  // what stood before the seek is not to be heard
    }
    publishPosition();
}

size_t FilePlayer::readOn(int16_t* into, size_t count)
{
    size_t got = 0;
    bool wrapped = false;  // and nothing read since: a file that yields nothing must not spin
    while (got < count) {
        const size_t read = m_file->read(into + got, count - got);
        got += read;
        if (read > 0)
            wrapped = false;
        if (got < count) {
            // The end of the file, or of what of it decodes.
            if (!looping() || wrapped || !m_file->seek(0)) {
                m_fileDone = true;
                break;
            }
            wrapped = true;
        }
    }
    return got;
}

size_t FilePlayer::step(CaptureStream& to, size_t samples)
{
    takeSeek();
    if (paused() || ended())
        return 0;
    size_t handed = 0;
    while (handed < samples && !m_fileDone) {
        const size_t got = readOn(m_chunk.data(), std::min(samples - handed, m_chunk.size()));
        if (got > 0)
            to.deliver(m_chunk.data(), got);
        handed += got;
    }
    if (m_fileDone)
        m_ended.store(true, std::memory_order_release);
    publishPosition();
    return handed;
}

void FilePlayer::listenStep(CaptureStream& to)
{
    takeSeek();
    PlaybackRing& ring = m_playback->ring();
    if (!paused())
        while (!m_fileDone) {
            const size_t room = std::min(ring.room(), m_chunk.size());
            if (room == 0)
                break;
            ring.push(m_chunk.data(), readOn(m_chunk.data(), room));
        }
    while (const size_t heard = ring.takeHeard(m_chunk.data(), m_chunk.size()))
        to.deliver(m_chunk.data(), heard);
    // The end comes once its last sample has been heard.
    if (m_fileDone && ring.pending() == 0)
        m_ended.store(true, std::memory_order_release);
    publishPosition();
}

void FilePlayer::run(CaptureStream& to)
{
    if (running())
        return;
    m_to = &to;
    if (m_playback)
        m_playback->hold(paused());
    m_quit.store(false, std::memory_order_release);
    m_thread = std::thread([this, &to] { loop(to); });
}

void FilePlayer::stop()
{
    if (!running())
        return;
    m_quit.store(true, std::memory_order_release);
    m_thread.join();
    // Stopped is silent, as a paused player is.
    if (m_playback)
        m_playback->hold(true);
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
        if (m_listening) {
            if (!m_playback->lost()) {
                listenStep(to);
                continue;
            }
            // The output went away: what it played is in the picture; the
            // rest plays on by the steady clock from here.
            listenStep(to);
            unlisten();
            base = now;
            sent = 0;
        }
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
