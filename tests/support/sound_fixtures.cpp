#include "sound_fixtures.h"

#include <QFile>

#include <sndfile.h>

#include <cmath>
#include <numbers>

namespace test_support {

bool writeSoundFile(const QString& path, int format, int rate, int channels, const std::vector<int16_t>& frames)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!file)
        return false;
    const auto count = sf_count_t(frames.size() / size_t(channels));
    const bool written = sf_writef_short(file, frames.data(), count) == count;
    return sf_close(file) == 0 && written;
}

namespace {
void put16(QByteArray& b, uint16_t v) { b.append(char(v & 0xFF)).append(char(v >> 8)); }
void put32(QByteArray& b, uint32_t v) { put16(b, uint16_t(v & 0xFFFF)), put16(b, uint16_t(v >> 16)); }
void put64(QByteArray& b, uint64_t v) { put32(b, uint32_t(v)), put32(b, uint32_t(v >> 32)); }

// The fmt chunk of 16-bit PCM (RIFF/WAVE, WAVE_FORMAT_PCM).
void putFormat(QByteArray& b, int rate, int channels)
{
    b.append("fmt ");
    put32(b, 16);
    put16(b, 1);
    put16(b, uint16_t(channels));
    put32(b, uint32_t(rate));
    put32(b, uint32_t(rate * channels * 2));
    put16(b, uint16_t(channels * 2));
    put16(b, 16);
}
}  // namespace

QByteArray waveBytes(int rate, int channels, const std::vector<int16_t>& samples, int64_t dataBytesClaimed)
{
    const auto dataBytes = uint32_t(samples.size() * 2);
    const auto claimed = dataBytesClaimed < 0 ? dataBytes : uint32_t(dataBytesClaimed);
    QByteArray b;
    b.append("RIFF");
    put32(b, 36 + claimed);
    b.append("WAVE");
    putFormat(b, rate, channels);
    b.append("data");
    put32(b, claimed);
    for (int16_t s : samples)
        put16(b, uint16_t(s));
    return b;
}

QByteArray rf64Bytes(int rate, uint64_t dataBytes, int present)
{
    QByteArray b;
    b.append("RF64");
    put32(b, 0xFFFFFFFFu);
    b.append("WAVE");
    b.append("ds64");  // EBU Tech 3306: RIFF size, data size, sample count, table length
    put32(b, 28);
    put64(b, dataBytes + 72);
    put64(b, dataBytes);
    put64(b, dataBytes / 2);
    put32(b, 0);
    putFormat(b, rate, 1);
    b.append("data");
    put32(b, 0xFFFFFFFFu);
    b.append(QByteArray(present, '\x10'));
    return b;
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

std::vector<int16_t> sine(double hz, int rate, int count, double amplitude)
{
    std::vector<int16_t> s(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        s[size_t(i)] = int16_t(std::lround(amplitude * std::sin(2 * std::numbers::pi * hz * i / rate)));
    return s;
}

std::vector<int16_t> readAllSamples(const QString& path, int* rate, int* channels)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file)
        return {};
    std::vector<int16_t> all(size_t(info.frames * info.channels));
    all.resize(size_t(sf_readf_short(file, all.data(), info.frames) * info.channels));
    sf_close(file);
    if (rate)
        *rate = info.samplerate;
    if (channels)
        *channels = info.channels;
    return all;
}

}  // namespace test_support
