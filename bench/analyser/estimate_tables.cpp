// Prints, as Markdown, the peak estimate against the true frequency and
// level of a tone per window and offset between bins (the worst of four
// phases at N = 1024 and 16384, beside the parabola through three bin
// levels), and the pitch estimate per note from A0 to C8.
#include "peak_readout.h"
#include "window_functions.h"
#include "levels.h"
#include "note_names.h"
#include "peak_estimate.h"
#include "pitch_estimate.h"

#include <synthetic_sound.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

using namespace vellarin;

namespace {

void peakTable()
{
    std::printf("| window | offset (bin) | estimate: worst bin error | worst dB error | parabola on dB: worst bin error | worst dB error |\n");
    std::printf("|---|---|---|---|---|---|\n");
    const double amplitude = 16384.0, rate = 44100.0;
    for (const WindowShape& shape : windowShapes())
        for (int step = 0; step <= 20; ++step) {
            double bin = 0, db = 0, oldBin = 0, oldDb = 0;
            for (int32_t n : {1024, 16384}) {
                WindowWeights weights;
                weights.choose(shape.function);
                const auto w = weights.weights(n);
                PeakEstimator estimator;
                estimator.prepare(w);
                for (int p = 0; p < 4; ++p) {
                    const double cycles = 97 + step * 0.05;
                    const auto spectrum = synthetic::spectrum(synthetic::tone(n, cycles, amplitude, p * std::numbers::pi / 2.7), w);
                    const double truth = 20 * std::log10(amplitude);
                    if (const auto peak = estimator.estimate(spectrum, rate)) {
                        bin = std::max(bin, std::fabs(peak->bin - cycles));
                        db = std::max(db, std::fabs(peak->decibels - truth));
                    }
                    std::vector<int16_t> levels(size_t(n) / 2 + 1);
                    computeBinLevels(spectrum, n, levels);
                    if (const auto old = strongestPeak(levels, n, rate)) {
                        oldBin = std::max(oldBin, std::fabs(old->hertz * n / rate - cycles));
                        oldDb = std::max(oldDb, std::fabs(old->decibels - truth));
                    }
                }
            }
            std::printf("| %s | %.2f | %.1e | %.1e | %.3f | %.2f |\n", shape.name, step * 0.05, bin, db, oldBin, oldDb);
        }
}

void pitchTable()
{
    std::printf("\n| note | true Hz | 44100: 1-6 | 44100: f0 -20 dB | 44100: 2-6 | 48000: 1-6 | 48000: f0 -20 dB | 48000: 2-6 |\n");
    std::printf("|---|---|---|---|---|---|---|---|\n");
    for (int note = 21; note <= 108; ++note) {
        const double hertz = noteHertz(note) * std::exp2(1.7 / 1200);
        std::printf("| %s | %.2f |", qPrintable(noteName(note)), hertz);
        for (double rate : {44100.0, 48000.0})
            for (int kind = 0; kind < 3; ++kind) {
                const auto sound = synthetic::harmonics(rate, hertz, kind == 2 ? 2 : 1, 6, 4000.0, kind == 1 ? -20.0 : 0.0, 0.15);
                PitchEstimator estimator;
                const auto pitch = estimator.estimate(sound, rate);
                const auto named = pitch ? nearestNote(pitch->hertz) : std::nullopt;
                if (named)
                    std::printf(" %s %+.2f ct |", qPrintable(named->name), 1200 * std::log2(pitch->hertz / hertz));
                else
                    std::printf(" none |");
            }
        std::printf("\n");
    }
}

}  // namespace

int main()
{
    peakTable();
    pitchTable();
    return 0;
}
