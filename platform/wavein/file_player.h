#pragma once
// Plays a sound file into a capture stream at the file's own pace, with a
// transport: pause, seek, loop, and an end that stops it. The program's
// thread only posts requests and reads what the player last did, through
// atomics; the player alone touches the file while it runs. Its step takes
// no lock and allocates nothing.
#include <wavein/capture_stream.h>
#include <wavein/playback_ring.h>
#include <wavein/sound_file.h>

#include <array>
#include <atomic>
#include <memory>
#include <thread>

namespace wavein {

// Where the samples may also be heard. While one listens, the output keeps
// time instead of the steady clock: the player keeps the sink's ring a
// little ahead of the listener and hands a sample on to the picture only
// once the output says it is being heard. So the picture shows a sound when
// it is heard, whatever latency the output has; a clock of our own would
// drift from the output's and leave the two ever further apart.
class PlaybackSink {
public:
    virtual ~PlaybackSink() = default;
    // The player's thread pushes into it and takes the heard samples back.
    virtual PlaybackRing& ring() = 0;
    // The output went away: nothing more will be heard. Any thread; no lock.
    virtual bool lost() const = 0;
    // The program's thread: silent at once while held; what was pushed waits.
    virtual void hold(bool held) = 0;
};

class FilePlayer {
public:
    explicit FilePlayer(std::unique_ptr<SoundFile> file);
    ~FilePlayer();
    FilePlayer(const FilePlayer&) = delete;
    FilePlayer& operator=(const FilePlayer&) = delete;

    const SoundFileInfo& info() const { return m_file->info(); }

    // --- the transport, from the program's thread
    void setPaused(bool paused);
    bool paused() const { return m_paused.load(std::memory_order_acquire); }
    void setLooping(bool looping) { m_looping.store(looping, std::memory_order_release); }
    bool looping() const { return m_looping.load(std::memory_order_acquire); }
    // The next sample delivered is frame `frame` of the file (clamped to
    // it); an ended file plays on from there.
    void seek(int64_t frame) { m_seekTo.store(std::max<int64_t>(frame, 0), std::memory_order_release); }
    // The frame the next sample comes to the picture from, as of the
    // player's last step.
    int64_t position() const { return m_position.load(std::memory_order_acquire); }
    // The end of the file was reached without looping (and, while listening,
    // heard): nothing more comes until a seek.
    bool ended() const { return m_ended.load(std::memory_order_acquire); }

    // Heard through `sink` from now on, or, with null, no longer; the sink
    // stays the caller's and must outlive its use here. Sound pushed to a
    // sink and not yet heard is played again from the file afterwards, so
    // the picture misses nothing. Starts the sink held while paused.
    void listenThrough(PlaybackSink* sink);
    PlaybackSink* playback() const { return m_playback; }

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
    // Up to `count` samples of the file, going round when looping; fewer only
    // at its end, which it marks.
    size_t readOn(int16_t* into, size_t count);
    void loop(CaptureStream& to);
    void listenStep(CaptureStream& to);
    // Back to the sample the picture is due next: what was pushed to the
    // output and not heard is read again.
    void unlisten();
    void publishPosition();

    std::unique_ptr<SoundFile> m_file;
    PlaybackSink* m_playback = nullptr;
    bool m_listening = false;  // the player's: a sink is there and its output answers
    bool m_fileDone = false;   // the player's: the end was read, not yet all heard
    CaptureStream* m_to = nullptr;
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
