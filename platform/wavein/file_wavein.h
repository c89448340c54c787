#pragma once
// A sound file as the recording device: one device, named after the file,
// that records the file at its own rate and pace through the same queued
// buffers and done flags as a sound card, so everything downstream works on
// it unchanged. Opening asks for the file's own rate (another is refused as
// a format the device does not record); the transport pauses, seeks, loops,
// and the file's end leaves the stream stopped, as Stop would.
#include <wavein/file_player.h>
#include <wavein/single_stream_wavein.h>

namespace wavein {

// Who keeps time: the steady clock on a player thread, or the caller, who
// hands the file on by `pump` (tests, and work that runs faster than sound).
enum class FilePace { realTime, manual };

struct FileStream {
    Handle handle = 0;
    std::unique_ptr<CaptureStream> capture = std::make_unique<CaptureStream>();
    bool started = false;
};

// The one device: the file, by its name.
struct FileDevice {
    QString name;
};

class FileWaveIn final : public SingleStreamWaveIn<FileStream, FileDevice> {
public:
    explicit FileWaveIn(std::unique_ptr<SoundFile> file, FilePace pace = FilePace::realTime);
    ~FileWaveIn() override;

    const SoundFileInfo& info() const { return m_player.info(); }
    FilePlayer& transport() { return m_player; }
    // Manual pace: up to `samples` samples of a started stream, delivered on
    // the caller's thread. Returns how many went; always 0 in real-time pace.
    size_t pump(size_t samples);

    MmResult start(Handle handle) override;
    MmResult reset(Handle handle) override;
    MmResult close(Handle handle) override;
    // Paused is running: the stream is there and answers, only quiet.
    StreamState streamState(Handle handle) override;

private:
    std::optional<std::vector<FileDevice>> readDevices() override;
    WaveInCaps capsOf(const FileDevice& device) const override;
    MmResult openStream(uint32_t device, uint32_t rate, FileStream& opening) override;
    CaptureStream& captureOf(FileStream& s) override { return *s.capture; }
    MmResult halt(FileStream& s) override;

    FilePlayer m_player;
    const FilePace m_pace;
};

}  // namespace wavein
