#pragma once
// Plays a sound file into a capture stream at the file's own pace, with a
// transport: pause, seek, loop, and an end that stops it. The program's
// thread only posts requests and reads what the player last did, through
// atomics; the player alone touches the file while it runs. Its step takes
// no lock and allocates nothing.
#include <wavein/capture_stream.h>
#include <wavein/sound_file.h>

#include <array>
#include <atomic>
#include <memory>
#include <thread>

namespace wavein {

// Where the samples may also be heard. A sink that plays them through the
// sound server's default output keeps them in step with the picture when the
// player's pace follows the sink's clock; the player hands it each step's
// samples on the player's thread, so it must not lock or allocate either.
class PlaybackSink {
public:
    virtual ~PlaybackSink() = default;
    virtual void play(const int16_t* samples, size_t count) = 0;
};

class FilePlayer {
public:
    explicit FilePlayer(std::unique_ptr<SoundFile> file);
    ~FilePlayer();
    FilePlayer(const FilePlayer&) = delete;
    FilePlayer& operator=(const FilePlayer&) = delete;

    const SoundFileInfo& info() const { return m_file->info(); }

    // --- the transport, from the program's thread
    void setPaused(bool paused) { m_paused.store(paused, std::memory_order_release); }
    bool paused() const { return m_paused.load(std::memory_order_acquire); }
    void setLooping(bool looping) { m_looping.store(looping, std::memory_order_release); }
    bool looping() const { return m_looping.load(std::memory_order_acquire); }
    // The next sample delivered is frame `frame` of the file (clamped to
    // it); an ended file plays on from there.
    void seek(int64_t frame) { m_seekTo.store(std::max<int64_t>(frame, 0), std::memory_order_release); }
    // The frame the next sample comes from, as of the player's last step.
    int64_t position() const { return m_position.load(std::memory_order_acquire); }
    // The end of the file was reached without looping: nothing more comes
    // until a seek.
    bool ended() const { return m_ended.load(std::memory_order_acquire); }

    // Only while not running.
    void setPlayback(PlaybackSink* sink) { m_playback = sink; }

    // --- the player's side
    // Hands up to `samples` samples to `to`, unless paused or ended; returns
    // how many it handed over.
    size_t step(CaptureStream& to, size_t samples);

    // A thread that steps every few milliseconds by the samples the steady
    // clock says are due. Stop joins it: once it returns the file is the
    // caller's again.
    void run(CaptureStream& to);
    void stop();
    bool running() const { return m_thread.joinable(); }

private:
    void takeSeek();
    void loop(CaptureStream& to);

    std::unique_ptr<SoundFile> m_file;
    PlaybackSink* m_playback = nullptr;
    std::array<int16_t, SoundFile::chunkFrames> m_chunk{};

    std::atomic<bool> m_paused{false};
    std::atomic<bool> m_looping{false};
    std::atomic<int64_t> m_seekTo{-1};
    std::atomic<int64_t> m_position{0};
    std::atomic<bool> m_ended{false};
    std::atomic<bool> m_quit{false};
    std::thread m_thread;
};

}  // namespace wavein
