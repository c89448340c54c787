#include "wave_recorder.h"

#include <QFile>

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace vellarin {

namespace {

// The canonical WAVE file: a RIFF chunk of form type "WAVE" holding a 16-byte
// fmt chunk (WAVE_FORMAT_PCM: format tag 1, channels, samples per second,
// average bytes per second, block align, bits per sample) and the data chunk
// (Multimedia Programming Interface and Data Specifications 1.0, "WAVE Form
// Definition"). All fields little-endian; 44 bytes before the samples.
constexpr size_t headerSize = 44;
constexpr off_t riffSizeAt = 4;
constexpr off_t dataSizeAt = 40;
// RIFF sizes are 32 bits: a recording stops before its data outgrows them.
constexpr uint64_t largestData = 0xFFFFFFFFull - (headerSize - 8);

void put16(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void put32(uint8_t* p, uint32_t v)
{
    put16(p, uint16_t(v));
    put16(p + 2, uint16_t(v >> 16));
}

std::array<uint8_t, headerSize> header(uint32_t rate, uint32_t dataBytes)
{
    std::array<uint8_t, headerSize> h{};
    std::memcpy(&h[0], "RIFF", 4);
    put32(&h[4], uint32_t(headerSize - 8) + dataBytes);
    std::memcpy(&h[8], "WAVE", 4);
    std::memcpy(&h[12], "fmt ", 4);
    put32(&h[16], 16);
    put16(&h[20], 1);  // PCM
    put16(&h[22], 1);  // mono
    put32(&h[24], rate);
    put32(&h[28], rate * 2);
    put16(&h[32], 2);
    put16(&h[34], 16);
    std::memcpy(&h[36], "data", 4);
    put32(&h[40], dataBytes);
    return h;
}

bool writeAll(int fd, const void* data, size_t bytes, off_t at)
{
    auto p = static_cast<const char*>(data);
    while (bytes > 0) {
        const ssize_t n = ::pwrite(fd, p, bytes, at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        p += n;
        at += n;
        bytes -= size_t(n);
    }
    return true;
}

QString reasonOf(int error)
{
    switch (error) {
    case ENOSPC: return QStringLiteral("the disk is full");
    case EFBIG: return QStringLiteral("the file has grown as large as it may");
    case EDQUOT: return QStringLiteral("the disk quota is used up");
    default: return QString::fromLocal8Bit(std::strerror(error));
    }
}

}  // namespace

WaveRecorder::WaveRecorder(int fd, QString path, uint32_t rate)
    : m_fd(fd)
    , m_path(std::move(path))
    , m_rate(rate)
    , m_flushEvery(std::max<size_t>(rate / 4, 1))
{
    m_pending.reserve(m_flushEvery + 4096);
}

WaveRecorder::~WaveRecorder()
{
    flush();
    ::close(m_fd);
}

std::unique_ptr<WaveRecorder> WaveRecorder::create(const QString& path, uint32_t rate, QString& error)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = QStringLiteral("Cannot record to %1: %2").arg(path, reasonOf(errno));
        return nullptr;
    }
    const auto h = header(rate, 0);
    if (!writeAll(fd, h.data(), h.size(), 0)) {
        error = QStringLiteral("Cannot record to %1: %2").arg(path, reasonOf(errno));
        ::close(fd);
        return nullptr;
    }
    error.clear();
    return std::unique_ptr<WaveRecorder>(new WaveRecorder(fd, path, rate));
}

bool WaveRecorder::fail(int error)
{
    m_error = QStringLiteral("Recording to %1 stopped: %2. The file keeps the sound recorded until then.")
                  .arg(m_path, reasonOf(error));
    m_pending.clear();
    return false;
}

bool WaveRecorder::append(std::span<const int16_t> samples)
{
    if (stopped())
        return false;
    m_pending.insert(m_pending.end(), samples.begin(), samples.end());
    return m_pending.size() < m_flushEvery || flush();
}

bool WaveRecorder::flush()
{
    if (stopped())
        return false;
    if (m_pending.empty())
        return true;
    const uint64_t dataBytes = m_kept * 2;
    if (dataBytes + m_pending.size() * 2 > largestData)
        return fail(EFBIG);
    // Samples first, sizes after: the header never claims what is not there.
    if (!writeAll(m_fd, m_pending.data(), m_pending.size() * 2, off_t(headerSize + dataBytes)))
        return fail(errno);
    const uint64_t newData = dataBytes + m_pending.size() * 2;
    uint8_t size[4];
    put32(size, uint32_t(headerSize - 8 + newData));
    if (!writeAll(m_fd, size, 4, riffSizeAt))
        return fail(errno);
    put32(size, uint32_t(newData));
    if (!writeAll(m_fd, size, 4, dataSizeAt))
        return fail(errno);
    m_kept += m_pending.size();
    m_pending.clear();
    return true;
}

}  // namespace vellarin
