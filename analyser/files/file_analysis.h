#pragma once
// A sound file read without a window, the way the window reads live sound:
// its frames through the analysis pipeline (the window's transform, window
// function, averaging and level rule), the strongest tone from the frame's
// own transform, the pitch of the last samples, the level meter on the
// samples themselves, and the octave bands from the frame's bin powers.
// One reading every tenth of a second of the file, and a summary at its end.
#include "frequency_weighting.h"
#include "octave_bands.h"
#include "power_averaging.h"
#include "window_functions.h"

#include <wavein/sound_file.h>

#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace vellarin {

// The scale levels are given on: the window's (20 log10 of the amplitude in
// sample units), dB below full scale, or sound pressure level from an offset
// added to dBFS.
enum class AnalysisUnit { design, dbfs, spl };

struct FileAnalysisOptions {
    int32_t fftSize = 4096;
    WindowFunction window = WindowFunction::hann;
    Averaging averaging = Averaging::off;
    AnalysisUnit unit = AnalysisUnit::design;
    double splOffsetDb = 0.0;  // SPL = dBFS + this, for the spl unit
    Weighting weighting = Weighting::z;
    std::optional<BandFraction> bands;
    wavein::ChannelChoice channel;
};

struct BandLevel {
    QString label;  // the nominal mid-band frequency, "1000", "31.5"
    double db;
};

struct FileReading {
    double seconds = 0;  // of the file up to the reading's newest sample
    std::optional<double> peakHz, peakDb;
    std::optional<double> pitchHz;
    std::optional<QString> note;
    std::optional<int> cents;
    double rmsDb = 0, peakMeterDb = 0, leqDb = 0;
    std::vector<BandLevel> bands;  // empty unless asked for
};

struct FileSummary {
    double seconds = 0;
    double leqDb = 0;
    double maxRmsDb = 0;        // the highest time-weighted level
    double maxPeakMeterDb = 0;  // the highest weighted sample
    std::optional<double> maxPeakDb;  // the loudest named peak, and where
    std::optional<double> maxPeakHz;
};

// Reads the whole file as fast as it decodes. Each reading goes to `reading`
// as it is made. False with `error` naming the file and the reason when the
// file cannot be analysed (nothing is given then) or the FFT component is
// missing.
bool analyseFile(const QString& path, const FileAnalysisOptions& options,
                 const std::function<void(const FileReading&)>& reading, FileSummary& summary, QString& error);

// The levels of a unit from dBFS.
double levelInUnit(double dbfs, const FileAnalysisOptions& options);

const char* unitKey(AnalysisUnit unit);

}  // namespace vellarin
