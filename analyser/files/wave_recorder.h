#pragma once
// Records what is captured: 16-bit mono samples into a WAV file at the
// capture rate, written as they come. The header's sizes are fixed after
// every flush, so a program that is killed leaves a file that plays up to
// its last flush; flushes come at least every quarter second of sound. A
// write that fails (a full disk, a file size limit) ends the recording with
// a message and never troubles the capture: later samples are let go.
#include <QString>

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace vellarin {

class WaveRecorder {
public:
    ~WaveRecorder();  // flushes and closes
    WaveRecorder(const WaveRecorder&) = delete;
    WaveRecorder& operator=(const WaveRecorder&) = delete;

    // Creates (or empties) `path` for 16-bit mono at `rate`. Null with
    // `error` naming the file and the reason when it cannot be written.
    static std::unique_ptr<WaveRecorder> create(const QString& path, uint32_t rate, QString& error);

    // Takes samples; writes them once a quarter second of sound has gathered.
    // False once the recording has stopped.
    bool append(std::span<const int16_t> samples);
    // Writes what has gathered and fixes the header's sizes.
    bool flush();

    bool stopped() const { return !m_error.isEmpty(); }
    // Why the recording stopped, naming the file; empty while it runs.
    const QString& error() const { return m_error; }
    const QString& path() const { return m_path; }
    uint32_t rate() const { return m_rate; }
    // Samples on disk with the header's sizes fixed to include them.
    uint64_t samplesKept() const { return m_kept; }

private:
    WaveRecorder(int fd, QString path, uint32_t rate);
    bool fail(int error);

    int m_fd = -1;
    QString m_path;
    uint32_t m_rate = 0;
    std::vector<int16_t> m_pending;
    size_t m_flushEvery = 0;  // samples
    uint64_t m_kept = 0;
    QString m_error;
};

}  // namespace vellarin
