#pragma once
// Saving what the window shows: a picture as a PNG file, and the last
// spectrum as CSV, one row per bin. Each file is written beside its final
// name and renamed into place, so a failed write leaves no partial file.
#include <QString>

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

class QDateTime;
class QImage;

namespace vellarin {

class LevelNotation;

struct SpectrumFrame {
    uint32_t sampleRate = 0;
    int32_t fftSize = 0;
    QString device;
    std::span<const int16_t> levels;  // bins 0 .. fftSize / 2
    // How the levels were made, each a "# key: value" line of the header
    // after the rate, size and device: the window function, the averaging,
    // and whatever later treatment joins them.
    std::vector<std::pair<QString, QString>> treatment;
    // The unit the levels are written in, named in the header's last line
    // ("# unit: dBFS"); the design's dB for none.
    const LevelNotation* unit = nullptr;
};

// Each returns what went wrong, or nothing.
QString writePicture(const QImage& picture, const QString& path);
QString writeSpectrumCsv(const SpectrumFrame& frame, const QString& path);

// "vellarin-chart-2026-12-07-201500.png"
QString defaultExportName(const QString& what, const QDateTime& when, const QString& suffix);

}  // namespace vellarin
