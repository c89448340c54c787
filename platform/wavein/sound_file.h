#pragma once
// A sound file read as the analyser records: 16-bit mono at the file's own
// rate, the channels mixed to one or one of them chosen. Files are opened
// read-only through libsndfile (WAV, AIFF, FLAC, Ogg Vorbis, Opus, MP3 and
// the other formats the installed library decodes). Opening checks what
// would otherwise surface half-way through: a file that is missing, a
// folder, unreadable, empty, truncated, damaged, of a kind the library does
// not read, without channels, or at a rate the analyser does not record at.
#include <QString>

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace wavein {

inline constexpr uint32_t lowestFileRate = 1000;
inline constexpr uint32_t highestFileRate = 768000;

// Which of the file's channels is heard: all of them mixed, or one (0 the first).
struct ChannelChoice {
    static constexpr int mixed = -1;
    int channel = mixed;
};

struct SoundFileInfo {
    QString name;          // the path as given, or the name of a file in memory
    uint32_t rate = 0;     // samples per second
    int channels = 0;      // in the file
    int64_t frames = 0;    // samples per channel
    QString format;        // the library's name for the container, e.g. "FLAC (Free Lossless Audio Codec)"
};

// Why a file was refused: its name and the reason, told together.
struct SoundFileError {
    QString file;
    QString reason;
    QString message() const { return QStringLiteral("%1: %2").arg(file, reason); }
};

class SoundFile {
public:
    ~SoundFile();
    SoundFile(const SoundFile&) = delete;
    SoundFile& operator=(const SoundFile&) = delete;

    // Null with `error` filled when the file cannot be analysed; the file is
    // then closed again and nothing else changes.
    static std::unique_ptr<SoundFile> open(const QString& path, ChannelChoice choice, SoundFileError& error);
    // The same for a file held in memory, which must outlive the SoundFile.
    static std::unique_ptr<SoundFile> openMemory(std::span<const uint8_t> bytes, const QString& name,
                                                 ChannelChoice choice, SoundFileError& error);

    const SoundFileInfo& info() const { return m_info; }
    int channel() const { return m_choice.channel; }

    // Up to `count` samples from the current position on, into `out`; fewer
    // only at the end of the file (or where the data stops short). Allocates
    // nothing: the file's frames are decoded through a buffer made at open.
    size_t read(int16_t* out, size_t count);
    // Moves to frame `frame` (clamped to 0..frames). False when the library
    // cannot seek there; the position is then unchanged.
    bool seek(int64_t frame);
    int64_t position() const { return m_position; }

    // Frames decoded per library call: the scratch buffer holds this many.
    static constexpr size_t chunkFrames = 4096;

private:
    struct Source;
    SoundFile(std::unique_ptr<Source> source, SoundFileInfo info, ChannelChoice choice);
    static std::unique_ptr<SoundFile> finishOpen(std::unique_ptr<Source> source, const QString& name,
                                                 ChannelChoice choice, SoundFileError& error);

    std::unique_ptr<Source> m_source;
    SoundFileInfo m_info;
    ChannelChoice m_choice;
    std::vector<int16_t> m_interleaved;  // chunkFrames x channels
    int64_t m_position = 0;
};

// The mean of a frame's channels, rounded to the nearest integer, ties to even.
int16_t mixFrame(const int16_t* frame, int channels);

// The same for two channels, inline: the sum's floor half, and a half that
// is left over goes to the even neighbour.
inline int16_t mixStereo(int16_t left, int16_t right)
{
    const int32_t sum = int32_t(left) + right;
    const int32_t half = sum >> 1;  // floor
    return int16_t(half + (sum & half & 1));
}

}  // namespace wavein
