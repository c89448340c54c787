#pragma once
// What the measuring adds to exported files: the header lines saying how the
// levels were weighted and calibrated, and the octave or third-octave bands
// as CSV, one row per band.
#include "analysis_settings.h"
#include "octave_bands.h"

#include <QString>

#include <span>
#include <utility>
#include <vector>

namespace vellarin {

// "weighting: A", "calibration offset: 121.50 dB SPL at 0 dBFS" (or "none"),
// "correction file: mic.txt" (or "none"), each as a header line's key and value.
void appendMeasurementHeader(const AnalysisSettings& settings, std::vector<std::pair<QString, QString>>& header);

struct BandTable {
    uint32_t sampleRate = 0;
    int32_t fftSize = 0;
    QString device;
    std::span<const OctaveBand> bands;
    std::span<const double> meanSquare;  // one per band, sample units squared
    // The level column's unit and how a band's dBFS reads in it.
    QString unit = QStringLiteral("dBFS");
    double offsetDb = 0.0;
    std::vector<std::pair<QString, QString>> header;  // "# key: value" lines after the rate, size and device
};

// Rows "band,nominal_hz,lower_hz,upper_hz,level_db,note": band counted from
// 1, "not resolved" in the note where the band is narrower than the window
// can tell apart. Returns what went wrong, or nothing.
QString writeBandsCsv(const BandTable& table, const QString& path);

}  // namespace vellarin
