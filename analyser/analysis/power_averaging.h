#pragma once
// Exponential averaging of the power per bin, with the time constants of a
// sound level meter: Fast 125 ms, Slow 1 s. Each frame weighs in by the time
// of the sound it moved on by, so the response time is the same at every
// rate, FFT size and frame pace.
#include <QString>

#include <cstdint>
#include <span>
#include <vector>

namespace vellarin {

enum class Averaging { off, fast, slow };

struct AveragingShape {
    Averaging averaging;
    const char* name;  // as the menu shows it
    const char* key;   // as it is remembered
    double seconds;    // time constant; 0 for none
};

std::span<const AveragingShape> averagingShapes();
const AveragingShape& averagingShape(Averaging averaging);
// The averaging remembered under `key`; off for anything unknown.
Averaging averagingFromKey(const QString& key);

class PowerAverage {
public:
    // Starts afresh: the next frame is taken as it is.
    void reset() { m_power.clear(); }
    // Weighs in a frame's powers (bins 0..N/2) that arrived `seconds` after
    // the last one and returns the average; the first frame after a reset,
    // or one of another length, is taken as it is.
    std::span<const double> add(std::span<const double> power, double seconds, double timeConstant);

private:
    std::vector<double> m_power;
};

}  // namespace vellarin
