#pragma once
// Frequency weightings A, C and Z of sound level meters (IEC 61672-1:2013,
// 5.5 and Annex E): the weighting in decibels at any frequency, and the same
// per FFT bin for a frame length and sample rate, built once per change.
#include <QString>

#include <cstdint>
#include <span>
#include <vector>

namespace vellarin {

enum class Weighting { z, a, c };

struct WeightingShape {
    Weighting weighting;
    const char* name;  // as the menu shows it
    const char* key;   // as it is remembered and written out
};

std::span<const WeightingShape> weightingShapes();
const WeightingShape& weightingShape(Weighting weighting);
// The weighting remembered under `key`; Z for anything unknown.
Weighting weightingFromKey(const QString& key);

// The weighting at `hz` in dB (0 at 1 kHz); minus infinity at 0 Hz for A and C.
double weightingDb(Weighting weighting, double hz);

// The weighting of bins 0..N/2 of an N-point frame at `sampleRate`, in dB and
// as a factor on power.
class WeightingTable {
public:
    // Rebuilds only when something changed.
    void build(Weighting weighting, int32_t fftSize, double sampleRate);
    Weighting weighting() const { return m_weighting; }
    std::span<const double> db() const { return m_db; }
    std::span<const double> powerGain() const { return m_power; }

private:
    Weighting m_weighting = Weighting::z;
    int32_t m_fftSize = 0;
    double m_sampleRate = 0.0;
    std::vector<double> m_db;
    std::vector<double> m_power;
};

}  // namespace vellarin
