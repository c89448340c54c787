#include <wavein/sound_file.h>

#include <sndfile.h>

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace wavein {

namespace {

// How far into a file the RIFF chunk walk looks for the data chunk.
constexpr size_t headerBytes = 65536;

uint32_t le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint64_t le64(const uint8_t* p) { return uint64_t(le32(p)) | uint64_t(le32(p + 4)) << 32; }

struct Shortfall {
    uint64_t claimed = 0;
    uint64_t present = 0;
};

struct RiffFacts {
    std::optional<int> channels;  // from the fmt chunk
    std::optional<Shortfall> shortfall;
};

// A RIFF/WAVE or RF64 file whose data chunk claims more bytes than follow
// it. libsndfile plays such a file up to where it stops; the analyser calls
// it truncated instead of passing off part of a recording as the whole.
// RIFF chunks (Multimedia Programming Interface and Data Specifications 1.0,
// "RIFF file format"): a four-character id, a 32-bit little-endian size, the
// body, and a pad byte to an even length. RF64 (EBU Tech 3306, 3): the sizes
// of the RIFF and data chunks are 0xFFFFFFFF and stand in the ds64 chunk
// that comes first, 64 bits each: RIFF size, data size, sample count.
// The fmt chunk's channel count is the 16-bit field after the format tag.
RiffFacts readRiff(std::span<const uint8_t> head, uint64_t fileSize)
{
    RiffFacts facts;
    if (head.size() < 12 || std::memcmp(head.data() + 8, "WAVE", 4) != 0)
        return facts;
    const bool rf64 = std::memcmp(head.data(), "RF64", 4) == 0;
    if (!rf64 && std::memcmp(head.data(), "RIFF", 4) != 0)
        return facts;
    uint64_t ds64DataSize = 0;
    size_t at = 12;
    while (at + 8 <= head.size()) {
        const uint8_t* chunk = head.data() + at;
        const uint32_t size = le32(chunk + 4);
        if (std::memcmp(chunk, "ds64", 4) == 0 && at + 8 + 16 <= head.size())
            ds64DataSize = le64(chunk + 8 + 8);
        if (std::memcmp(chunk, "fmt ", 4) == 0 && at + 8 + 4 <= head.size())
            facts.channels = chunk[10] | chunk[11] << 8;
        if (std::memcmp(chunk, "data", 4) == 0) {
            const uint64_t claimed = rf64 && size == 0xFFFFFFFFu ? ds64DataSize : size;
            const uint64_t start = at + 8;
            const uint64_t present = fileSize > start ? fileSize - start : 0;
            if (claimed > present)
                facts.shortfall = Shortfall{claimed, present};
            return facts;
        }
        at += 8 + size_t(size) + (size & 1);
    }
    return facts;
}

QString errnoText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

QString formatName(int format)
{
    SF_FORMAT_INFO info{};
    info.format = format & SF_FORMAT_TYPEMASK;
    if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info) == 0 && info.name)
        return QString::fromUtf8(info.name);
    return QStringLiteral("unknown format");
}

QString refusalFromLibrary(int code)
{
    const QString detail = QString::fromUtf8(sf_error_number(code));
    switch (code) {
    case SF_ERR_UNRECOGNISED_FORMAT: return QStringLiteral("is not a sound file of a kind this program reads");
    case SF_ERR_MALFORMED_FILE: return QStringLiteral("is damaged (%1)").arg(detail);
    case SF_ERR_UNSUPPORTED_ENCODING: return QStringLiteral("uses a sound encoding this program cannot decode");
    default: return QStringLiteral("cannot be decoded (%1)").arg(detail);
    }
}

// libsndfile's virtual I/O over bytes in memory.
struct MemoryFile {
    std::span<const uint8_t> bytes;
    sf_count_t at = 0;

    static sf_count_t length(void* self) { return sf_count_t(static_cast<MemoryFile*>(self)->bytes.size()); }
    static sf_count_t seek(sf_count_t offset, int whence, void* self)
    {
        auto& m = *static_cast<MemoryFile*>(self);
        const sf_count_t base = whence == SEEK_CUR ? m.at : whence == SEEK_END ? sf_count_t(m.bytes.size()) : 0;
        const sf_count_t to = base + offset;
        if (to < 0)
            return -1;
        m.at = to;
        return m.at;
    }
    static sf_count_t read(void* into, sf_count_t count, void* self)
    {
        auto& m = *static_cast<MemoryFile*>(self);
        const auto size = sf_count_t(m.bytes.size());
        const sf_count_t n = m.at >= size || count <= 0 ? 0 : std::min(count, size - m.at);
        if (n > 0)
            std::memcpy(into, m.bytes.data() + m.at, size_t(n));
        m.at += n;
        return n;
    }
    static sf_count_t write(const void*, sf_count_t, void*) { return 0; }  // read-only
    static sf_count_t tell(void* self) { return static_cast<MemoryFile*>(self)->at; }
};

}  // namespace

struct SoundFile::Source {
    SNDFILE* file = nullptr;
    SF_INFO info{};
    MemoryFile memory;
    SF_VIRTUAL_IO io{&MemoryFile::length, &MemoryFile::seek, &MemoryFile::read, &MemoryFile::write, &MemoryFile::tell};
    std::vector<uint8_t> head;  // the first bytes, for the RIFF check
    uint64_t size = 0;

    ~Source()
    {
        if (file)
            sf_close(file);
    }
};

namespace {
// Why the library refused a file, in the file's own terms where its header tells.
QString refusal(std::span<const uint8_t> head, uint64_t size, int code)
{
    if (readRiff(head, size).channels == 0)
        return QStringLiteral("has no channels");
    return refusalFromLibrary(code);
}
}  // namespace

int16_t mixFrame(const int16_t* frame, int channels)
{
    int32_t sum = 0;
    for (int c = 0; c < channels; ++c)
        sum += frame[c];
    int32_t q = sum / channels;
    const int32_t r = sum % channels;
    const int32_t twice = 2 * (r < 0 ? -r : r);
    if (twice > channels || (twice == channels && (q & 1)))
        q += sum < 0 ? -1 : 1;
    return int16_t(q);
}

SoundFile::SoundFile(std::unique_ptr<Source> source, SoundFileInfo info, ChannelChoice choice)
    : m_source(std::move(source))
    , m_info(std::move(info))
    , m_choice(choice)
    , m_interleaved(chunkFrames * size_t(m_info.channels))
{
}

SoundFile::~SoundFile() = default;

std::unique_ptr<SoundFile> SoundFile::open(const QString& path, ChannelChoice choice, SoundFileError& error)
{
    error = {path, {}};
    const QByteArray native = QFile::encodeName(path);
    struct stat st{};
    if (::stat(native.constData(), &st) != 0) {
        error.reason = errno == ENOENT ? QStringLiteral("no such file") : QStringLiteral("cannot be read (%1)").arg(errnoText(errno));
        return nullptr;
    }
    if (S_ISDIR(st.st_mode)) {
        error.reason = QStringLiteral("is a folder, not a sound file");
        return nullptr;
    }
    if (!S_ISREG(st.st_mode)) {
        error.reason = QStringLiteral("is not a regular file");
        return nullptr;
    }
    if (st.st_size == 0) {
        error.reason = QStringLiteral("is empty");
        return nullptr;
    }
    // Read-only, whatever the library would ask for.
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error.reason = QStringLiteral("cannot be read (%1)").arg(errnoText(errno));
        return nullptr;
    }
    auto source = std::make_unique<Source>();
    source->size = uint64_t(st.st_size);
    source->head.resize(size_t(std::min<uint64_t>(headerBytes, source->size)));
    const ssize_t got = ::pread(fd, source->head.data(), source->head.size(), 0);
    if (got < 0) {
        error.reason = QStringLiteral("cannot be read (%1)").arg(errnoText(errno));
        ::close(fd);
        return nullptr;
    }
    source->head.resize(size_t(got));
    source->file = sf_open_fd(fd, SFM_READ, &source->info, SF_TRUE);
    if (!source->file) {
        error.reason = refusal(source->head, source->size, sf_error(nullptr));
        return nullptr;  // the library closed the descriptor
    }
    return finishOpen(std::move(source), path, choice, error);
}

std::unique_ptr<SoundFile> SoundFile::openMemory(std::span<const uint8_t> bytes, const QString& name,
                                                 ChannelChoice choice, SoundFileError& error)
{
    error = {name, {}};
    if (bytes.empty()) {
        error.reason = QStringLiteral("is empty");
        return nullptr;
    }
    auto source = std::make_unique<Source>();
    source->memory.bytes = bytes;
    source->size = bytes.size();
    const auto head = bytes.first(std::min(bytes.size(), headerBytes));
    source->head.assign(head.begin(), head.end());
    source->file = sf_open_virtual(&source->io, SFM_READ, &source->info, &source->memory);
    if (!source->file) {
        error.reason = refusal(source->head, source->size, sf_error(nullptr));
        return nullptr;
    }
    return finishOpen(std::move(source), name, choice, error);
}

std::unique_ptr<SoundFile> SoundFile::finishOpen(std::unique_ptr<Source> source, const QString& name,
                                                 ChannelChoice choice, SoundFileError& error)
{
    const SF_INFO& in = source->info;
    if (in.channels < 1) {
        error.reason = QStringLiteral("has no channels");
        return nullptr;
    }
    if (in.samplerate < int(lowestFileRate) || in.samplerate > int(highestFileRate)) {
        error.reason = QStringLiteral("its sample rate of %1 Hz lies outside the %2 to %3 Hz the analyser records at")
                           .arg(in.samplerate)
                           .arg(lowestFileRate)
                           .arg(highestFileRate);
        return nullptr;
    }
    if (choice.channel != ChannelChoice::mixed && (choice.channel < 0 || choice.channel >= in.channels)) {
        error.reason = QStringLiteral("has %1 %2, so it has no channel %3")
                           .arg(in.channels)
                           .arg(in.channels == 1 ? QStringLiteral("channel") : QStringLiteral("channels"))
                           .arg(choice.channel + 1);
        return nullptr;
    }
    if (in.frames <= 0) {
        error.reason = QStringLiteral("holds no sound");
        return nullptr;
    }
    if (const auto shortfall = readRiff(source->head, source->size).shortfall) {
        error.reason = QStringLiteral("is truncated: its data chunk claims %1 bytes, but only %2 follow")
                           .arg(shortfall->claimed)
                           .arg(shortfall->present);
        return nullptr;
    }
    // Floating-point sound beyond full scale is clipped, not wrapped round.
    sf_command(source->file, SFC_SET_CLIPPING, nullptr, SF_TRUE);

    // Both ends must decode: a damaged or cut-off stream is found now, not
    // when playing reaches it.
    int16_t probe[16];
    const bool wide = in.channels > int(std::size(probe));
    std::vector<int16_t> wideProbe(wide ? size_t(in.channels) : 0);
    int16_t* frame = wide ? wideProbe.data() : probe;
    const bool decodes = sf_readf_short(source->file, frame, 1) == 1 && sf_seek(source->file, in.frames - 1, SEEK_SET) >= 0
                         && sf_readf_short(source->file, frame, 1) == 1 && sf_seek(source->file, 0, SEEK_SET) == 0;
    if (!decodes) {
        error.reason = QStringLiteral("is truncated or damaged: its sound cannot be decoded to the end");
        return nullptr;
    }

    SoundFileInfo info{name, uint32_t(in.samplerate), in.channels, int64_t(in.frames), formatName(in.format)};
    error = {};
    return std::unique_ptr<SoundFile>(new SoundFile(std::move(source), std::move(info), choice));
}

size_t SoundFile::read(int16_t* out, size_t count)
{
    const int channels = m_info.channels;
    size_t done = 0;
    while (done < count) {
        const auto want = sf_count_t(std::min(count - done, chunkFrames));
        const sf_count_t got = channels == 1 ? sf_readf_short(m_source->file, out + done, want)
                                             : sf_readf_short(m_source->file, m_interleaved.data(), want);
        if (got <= 0)
            break;
        if (channels > 1) {
            const int16_t* frame = m_interleaved.data();
            if (m_choice.channel == ChannelChoice::mixed && channels == 2) {
                for (sf_count_t i = 0; i < got; ++i, frame += 2)
                    out[done + size_t(i)] = mixStereo(frame[0], frame[1]);
            } else if (m_choice.channel == ChannelChoice::mixed) {
                for (sf_count_t i = 0; i < got; ++i, frame += channels)
                    out[done + size_t(i)] = mixFrame(frame, channels);
            } else {
                for (sf_count_t i = 0; i < got; ++i, frame += channels)
                    out[done + size_t(i)] = frame[m_choice.channel];
            }
        }
        done += size_t(got);
        m_position += got;
        if (got < want)
            break;
    }
    return done;
}

bool SoundFile::seek(int64_t frame)
{
    const int64_t to = std::clamp<int64_t>(frame, 0, m_info.frames);
    if (sf_seek(m_source->file, sf_count_t(to), SEEK_SET) < 0)
        return false;
    m_position = to;
    return true;
}

}  // namespace wavein
