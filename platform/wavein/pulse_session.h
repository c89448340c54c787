#pragma once
// The desktop's sound server through its own client library: one connection
// per process on a threaded main loop of its own, so recording goes on while
// the program's thread is busy. Nothing here waits on the server for longer
// than the time it is given: a server that dies or freezes costs a listing or
// an open at most that time, and stop and close never wait at all.
//
// Every member is called on the program's thread. The read callback runs on
// the loop's thread and only hands samples to the capture stream.
#include <wavein/capture_stream.h>
#include <wavein/wavein.h>

#include <QString>

#include <atomic>
#include <chrono>
#include <memory>
#include <vector>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;

namespace wavein {

struct ServerSource {
    QString name;         // the server's name for it, stable across restarts; empty: the default source
    QString description;  // what the desktop calls it
    int channels = 0;
};

// What the server tells of a stream besides its samples. Written on the
// loop's thread: killed under the loop's lock, moves at any time.
struct StreamEvents {
    pa_threaded_mainloop* loop = nullptr;
    bool killed = false;  // the server ended the stream: its source went away
    std::atomic<uint32_t> moves{0};
};

// One record stream on the server. Owned by the program's thread; the loop's
// thread only reads through capture and writes events.
struct ServerStream {
    pa_stream* stream = nullptr;
    std::shared_ptr<CaptureStream> capture = std::make_shared<CaptureStream>();
    std::shared_ptr<StreamEvents> events = std::make_shared<StreamEvents>();
};

class PulseSession {
public:
    PulseSession();
    ~PulseSession();
    PulseSession(const PulseSession&) = delete;
    PulseSession& operator=(const PulseSession&) = delete;

    // True when a server answers within timeout; connects afresh if the
    // last connection was lost and no stream is open on it.
    bool connect(std::chrono::milliseconds timeout);
    // "Default" first, then every source the server has, monitors included;
    // empty when no server answers within timeout.
    std::vector<ServerSource> sources(std::chrono::milliseconds timeout);

    // Opens a corked record stream of 16-bit mono at rate from the source of
    // that name (empty: the default source), delivered about every 20 ms. A
    // named source's stream is never moved: when the source goes away the
    // server ends it. The default's stream follows the default.
    MmResult open(const QString& source, uint32_t rate, ServerStream& s, std::chrono::milliseconds timeout);
    MmResult start(ServerStream& s);  // uncorks: the server starts sending
    void stop(ServerStream& s);       // corks: the server stops sending, no wait
    void close(ServerStream& s);      // the stream ends; no callback runs for it afterwards, no wait
    // The stream or the connection failed, or the server went away.
    bool failed(const ServerStream& s);
    // The server ended the stream because its source went away.
    bool gone(const ServerStream& s);
    // The source the stream records from now; false when the server does not say within timeout.
    bool sourceOf(const ServerStream& s, ServerSource& source, std::chrono::milliseconds timeout);

private:
    bool contextAlive() const;
    void dropContext();
    void release(ServerStream& s);  // under the loop's lock

    pa_threaded_mainloop* m_loop = nullptr;
    pa_context* m_context = nullptr;
    int m_openStreams = 0;
};

}  // namespace wavein
