#pragma once
// One frame's measuring, as the window and a windowless analysis both do it:
// the weighted power of each bin, the octave or third-octave band levels, and
// the level meter over the sound the frame moved on by.
//
// Use:
//   FrameMeasurement m;
//   m.configure({fftSize, rate, windowWeights, Weighting::a, BandFraction::third, &correction});
//       // again whenever N, rate, window, weighting, bands or correction change
//   m.measure(fftData);          // each frame: the transform, interleaved re/im, N + 2 values
//   m.weightedPower();           // bins 0..N/2, mean square of a sine peaking on the bin, weighted
//   m.bands(), m.bandMeanSquare() // one per band; empty without bands
//   m.addSamples(newSamples);    // the sound since the last frame, in time order
//   MeterReading r = m.readMeter();
//   m.resetMeter();              // Start, or a click on the meter
// Levels are mean squares in sample units squared (level_units.h turns them
// into dBFS); the calibration offset is the caller's, only the microphone's
// response goes into the per-bin gain. Nothing allocates after configure().
#include "frequency_weighting.h"
#include "level_meter.h"
#include "microphone_correction.h"
#include "octave_bands.h"

#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace vellarin {

struct MeasurementSetup {
    int32_t fftSize = 0;
    double sampleRate = 0.0;
    // The frame's window weights divided by their coherent gain; empty for
    // the rectangular window.
    std::span<const double> windowWeights;
    Weighting weighting = Weighting::z;
    std::optional<BandFraction> bands;
    // The microphone's response, taken off every bin; none for a bare input.
    const MicrophoneCorrection* correction = nullptr;
    TimeWeighting timeWeighting = TimeWeighting::fast;
};

class FrameMeasurement {
public:
    // Rebuilds the tables; the meter is reset when its rate, weighting or
    // time weighting changes.
    void configure(const MeasurementSetup& setup);
    int32_t fftSize() const { return m_fftSize; }
    double sampleRate() const { return m_sampleRate; }
    Weighting weighting() const { return m_weighting; }
    bool bandsOn() const { return m_bandsOn; }

    // The factor on each bin's power: the weighting times the correction.
    std::span<const double> gain() const { return m_gain; }

    // Measures a frame's transform (at least N + 2 values); fewer bins than
    // N/2 + 1 in `spectrum` leave the rest silent.
    void measure(std::span<const double> spectrum);
    std::span<const double> weightedPower() const { return m_weighted; }
    std::span<const OctaveBand> bands() const;
    std::span<const double> bandMeanSquare() const { return m_bandMeanSquare; }
    // The band bin `k` lies in (its centre), or -1 outside every band.
    int bandOfBin(size_t k) const { return k < m_bandOfBin.size() ? m_bandOfBin[k] : -1; }
    // Each bin's band level times `factor`, so the bands stand as bars over
    // their bins; 0 outside every band and, with `hatchUnresolved`, at every
    // odd bin of a band the frame cannot resolve.
    void spreadBands(std::span<double> perBin, double factor, bool hatchUnresolved) const;

    void addSamples(std::span<const int16_t> samples) { m_meter.add(samples); }
    MeterReading readMeter() { return m_meter.read(); }
    void resetMeter() { m_meter.reset(); }
    const LevelMeter& meter() const { return m_meter; }

private:
    int32_t m_fftSize = 0;
    double m_sampleRate = 0.0;
    Weighting m_weighting = Weighting::z;
    bool m_bandsOn = false;
    WeightingTable m_table;
    OctaveBands m_octaveBands;
    LevelMeter m_meter;
    std::vector<double> m_gain;
    std::vector<double> m_weighted;
    std::vector<double> m_bandMeanSquare;
    std::vector<int> m_bandOfBin;
    // Bins first..end of each band, by their centres.
    std::vector<std::pair<size_t, size_t>> m_bandBins;
};

}  // namespace vellarin
