#pragma once
// A recording device driven by the test instead of by sound hardware. It
// keeps the bookkeeping of a real device (queue order, done and in-queue
// flags, reset, handles) while the test decides when buffers complete, what
// they hold, and which calls fail. Every call is logged.
#include <wavein/wavein.h>

#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

namespace wavein {

class ScriptedWaveIn : public WaveInApi {
public:
    enum class Op { getNumDevs, getDevCaps, open, prepare, unprepare, add, start, stop, reset, close };

    struct Call {
        Op op;
        Handle handle = 0;           // 0 for the device listing and open
        uint32_t device = 0;         // getDevCaps and open only
        const WaveHeader* header = nullptr;  // prepare, unprepare and add only
        MmResult result = result::ok;
    };

    // Sample value for the running sample number since the stream was opened,
    // so a generated tone keeps its phase across buffers.
    using SampleGenerator = std::function<int16_t(uint64_t sampleNumber)>;

    explicit ScriptedWaveIn(QStringList deviceNames = {"Scripted microphone"});

    // --- what the test scripts
    // A name "USB Mic|alsa_input.usb" is a sound server's source: its
    // description, then the server's name for it.
    void setDevices(QStringList names);
    // The nth call of op from now on (1 = the next one) fails with failure and
    // changes nothing. Several failures may be pending at once.
    void failCall(Op op, MmResult failure, int nth = 1);
    // Fills the oldest queued buffers, in queue order, bufferLength / 2 samples
    // each, and marks them done. Only a started stream records. Returns how
    // many buffers completed (fewer than count when fewer are queued).
    int completeBuffers(int count, const SampleGenerator& samples = {});
    // The device goes away: the stream reports failed and records nothing more,
    // while stop, reset, unprepare and close still work.
    void failStream();
    // The source the stream records from goes away, and the stream with it:
    // it reports gone and records nothing more.
    void loseSource();
    // The sound server moves the open stream to another source ("Desk Mic|alsa_input.desk").
    void moveStream(const QString& source);
    // The way this device records, and so the rates it takes.
    void setBackend(Backend backend) { m_backend = backend; }

    // --- what the test reads back
    const std::vector<Call>& calls() const { return m_calls; }
    int callCount(Op op) const;
    void clearCalls() { m_calls.clear(); }
    const WaveFormat& lastFormat() const { return m_lastFormat; }  // as asked for by the last open
    uint32_t openDevice() const { return m_device; }
    Handle openHandle() const { return m_handle; }
    bool isStarted() const { return m_started; }
    std::vector<WaveHeader*> queue() const { return {m_queue.begin(), m_queue.end()}; }
    uint64_t samplesRecorded() const { return m_sampleNumber; }

    static const char* opName(Op op);

    // --- the device
    uint32_t getNumDevs() override;
    MmResult getDevCaps(uint32_t device, WaveInCaps& caps) override;
    MmResult open(Handle& handle, uint32_t device, const WaveFormat& format) override;
    MmResult prepareHeader(Handle handle, WaveHeader& header) override;
    MmResult unprepareHeader(Handle handle, WaveHeader& header) override;
    MmResult addBuffer(Handle handle, WaveHeader& header) override;
    MmResult start(Handle handle) override;
    MmResult stop(Handle handle) override;
    MmResult reset(Handle handle) override;
    MmResult close(Handle handle) override;
    StreamState streamState(Handle handle) override;
    Backend backend() const override { return m_backend; }
    uint32_t streamMoves(Handle handle) override;
    MmResult streamSource(Handle handle, WaveInCaps& caps) override;

private:
    struct PendingFailure {
        Op op;
        int remaining;
        MmResult failure;
    };

    bool takeFailure(Op op, MmResult& failure);
    MmResult log(Call call);
    MmResult checkHandle(Handle handle) const;

    QStringList m_devices;
    std::vector<PendingFailure> m_failures;
    std::vector<Call> m_calls;
    WaveFormat m_lastFormat;

    Handle m_handle = 0;  // the open stream, 0 when closed
    Handle m_lastHandle = 0;
    uint32_t m_device = 0;
    bool m_started = false;
    bool m_failed = false;
    bool m_gone = false;
    uint32_t m_moves = 0;
    QString m_source;  // where the open stream records from, when it moved; else its device
    Backend m_backend = Backend::automatic;
    std::deque<WaveHeader*> m_queue;
    uint64_t m_sampleNumber = 0;
};

}  // namespace wavein
