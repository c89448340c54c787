#pragma once
// A sound file heard through the sound server's default output, in step
// with the picture: a playback stream of 16-bit mono at the file's rate with
// a small target latency, on a connection and threaded main loop of its own.
// The server's thread writes what the player pushed and tells, from the
// stream's latency, how far the listener has got; the player's thread only
// touches the ring. Nothing here waits on the server for longer than the
// time it is given.
#include <wavein/file_player.h>

#include <QString>

#include <atomic>
#include <chrono>
#include <memory>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;
struct pa_time_event;
struct pa_mainloop_api;
struct timeval;

namespace wavein {

class ServerPlayback final : public PlaybackSink {
public:
    // Whether a sound server answers within timeout.
    static bool serverAnswers(std::chrono::milliseconds timeout);
    // An output held silent until the player runs; null with `why` when no
    // server answers or the stream cannot be opened within timeout.
    static std::unique_ptr<ServerPlayback> open(uint32_t rate, std::chrono::milliseconds timeout, QString& why);
    ~ServerPlayback() override;
    ServerPlayback(const ServerPlayback&) = delete;
    ServerPlayback& operator=(const ServerPlayback&) = delete;

    PlaybackRing& ring() override { return m_ring; }
    bool lost() const override { return m_lost.load(std::memory_order_acquire); }
    void hold(bool held) override;

private:
    explicit ServerPlayback(uint32_t rate);
    bool connect(std::chrono::milliseconds timeout, QString& why);
    bool openStream(std::chrono::milliseconds timeout, QString& why);

    // On the server's thread, under the loop's lock.
    static void streamChanged(pa_stream* stream, void* self);
    static void wanted(pa_stream* stream, size_t bytes, void* self);
    static void starved(pa_stream* stream, void* self);
    static void tick(pa_mainloop_api* api, pa_time_event* event, const timeval* tv, void* self);
    void feed();
    void takeDrop();
    void publishHeard();

    const uint32_t m_rate;
    PlaybackRing m_ring;
    std::atomic<bool> m_lost{false};

    pa_threaded_mainloop* m_loop = nullptr;
    pa_context* m_context = nullptr;
    pa_stream* m_stream = nullptr;
    pa_time_event* m_tick = nullptr;
    // The server's: samples between what was written and what is heard when
    // the stream last had something to play, and when it ran dry, so the
    // last of it is counted heard as the output plays it out.
    uint64_t m_behind = 0;
    bool m_starved = false;
    std::chrono::steady_clock::time_point m_starvedAt;
};

}  // namespace wavein
