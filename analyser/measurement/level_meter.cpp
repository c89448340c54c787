#include "level_meter.h"

#include "level_units.h"

#include <algorithm>
#include <cmath>

namespace vellarin {

namespace {

// -1 dBFS as a sample: 32767 x 10^(-1/20).
const double overSample = FullScale * std::pow(10.0, LevelMeter::OverDbfs / 20.0);

}  // namespace

double timeConstant(TimeWeighting timeWeighting)
{
    return timeWeighting == TimeWeighting::fast ? 0.125 : 1.0;
}

void LevelMeter::configure(double sampleRate, Weighting weighting, TimeWeighting timeWeighting)
{
    m_sampleRate = sampleRate > 0.0 ? sampleRate : 0.0;
    m_timeWeighting = timeWeighting;
    m_filter.design(weighting, m_sampleRate);
    // The exponential average of IEC 61672-1:2013, 3.9 (time-weighted sound
    // level), one sample at a time.
    m_decay = m_sampleRate > 0.0 ? std::exp(-1.0 / (m_sampleRate * timeConstant(timeWeighting))) : 0.0;
    reset();
}

void LevelMeter::reset()
{
    m_filter.clear();
    m_meanSquare = 0.0;
    m_maxMeanSquare = 0.0;
    m_sum = 0.0;
    m_count = 0;
    m_peak = 0.0;
    m_over = false;
    m_clipped = false;
}

void LevelMeter::add(std::span<const int16_t> samples)
{
    const double keep = m_decay;
    const double take = 1.0 - keep;
    double meanSquare = m_meanSquare;
    double maxMeanSquare = m_maxMeanSquare;
    double sum = 0.0;
    double peak = m_peak;
    int inputPeak = 0;
    m_filter.filter(samples, [&](int16_t s, double y) {
        inputPeak = std::max(inputPeak, std::abs(int(s)));
        const double yy = y * y;
        sum += yy;
        peak = std::max(peak, std::fabs(y));
        meanSquare = keep * meanSquare + take * yy;
        maxMeanSquare = std::max(maxMeanSquare, meanSquare);
    });
    m_meanSquare = meanSquare;
    m_maxMeanSquare = maxMeanSquare;
    m_sum += sum;
    m_count += samples.size();
    m_peak = peak;
    m_over = m_over || inputPeak >= overSample;
    m_clipped = m_clipped || inputPeak >= int(FullScale);
}

MeterReading LevelMeter::read()
{
    MeterReading r;
    r.rmsDb = dbfsFromMeanSquare(m_meanSquare);
    r.peakDb = dbfsFromAmplitude(m_peak);
    r.maxDb = dbfsFromMeanSquare(m_maxMeanSquare);
    r.leqDb = dbfsFromMeanSquare(m_count ? m_sum / double(m_count) : 0.0);
    r.over = m_over;
    r.clipped = m_clipped;
    r.seconds = m_sampleRate > 0.0 ? double(m_count) / m_sampleRate : 0.0;
    m_peak = 0.0;
    m_over = false;
    m_clipped = false;
    return r;
}

}  // namespace vellarin
