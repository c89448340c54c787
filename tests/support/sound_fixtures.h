#pragma once
// Sound files for tests: written through libsndfile in any format it
// writes, or byte by byte for headers no encoder would write.
#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace test_support {

// Writes `frames` (interleaved, `channels` per frame) as a file of
// libsndfile's `format` (e.g. SF_FORMAT_WAV | SF_FORMAT_PCM_16). False when
// the library cannot write that format.
bool writeSoundFile(const QString& path, int format, int rate, int channels, const std::vector<int16_t>& frames);

// A canonical 16-bit PCM RIFF/WAVE file's bytes. `dataBytesClaimed` is what
// the data chunk's size field says (by default the size of `samples`).
QByteArray waveBytes(int rate, int channels, const std::vector<int16_t>& samples, int64_t dataBytesClaimed = -1);

// An RF64 file's header whose ds64 chunk claims `dataBytes` of 16-bit mono
// sound, followed by `present` bytes of it.
QByteArray rf64Bytes(int rate, uint64_t dataBytes, int present);

bool writeBytes(const QString& path, const QByteArray& bytes);

// `count` samples of a sine of `hz` at `rate`, amplitude `amplitude`.
std::vector<int16_t> sine(double hz, int rate, int count, double amplitude);

// Reads every sample of a 16-bit file back through libsndfile, interleaved.
std::vector<int16_t> readAllSamples(const QString& path, int* rate = nullptr, int* channels = nullptr);

}  // namespace test_support
