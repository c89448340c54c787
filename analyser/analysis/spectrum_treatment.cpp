#include "spectrum_treatment.h"

#include "levels.h"

#include <algorithm>
#include <cmath>

namespace vellarin {

void SpectrumTreatment::setWindowFunction(WindowFunction function)
{
    // Powers seen through another window are not averaged with these.
    if (function != m_weights.function())
        m_average.reset();
    m_weights.choose(function);
}

void SpectrumTreatment::setAveraging(Averaging averaging)
{
    if (averaging == m_averaging)
        return;
    // Switched on, it starts from the frame on show, not from an old average.
    if (m_averaging == Averaging::off)
        m_average.reset();
    m_averaging = averaging;
}

bool SpectrumTreatment::weighFrame(std::span<const int16_t> samples, std::span<double> fftData)
{
    if (m_weights.function() == WindowFunction::rectangular)
        return false;
    m_weights.weigh(samples, fftData);
    return true;
}

bool SpectrumTreatment::computeLevels(std::span<const double> spectrum, int32_t fftSize, const FrameTiming& timing,
                                      std::span<int16_t> binLevel)
{
    for (const auto& listener : m_transformListeners)
        listener(spectrum, fftSize);
    if (fftSize <= 0)
        return false;
    const size_t bins = std::min({size_t(fftSize / 2) + 1, binLevel.size(), spectrum.size() / 2});
    m_power.resize(bins);
    const bool staged = m_stage && m_stage(spectrum, fftSize, m_power);
    if (!staged && m_averaging == Averaging::off)
        return false;
    if (!staged)
        for (size_t k = 0; k < bins; ++k)
            m_power[k] = spectrum[2 * k] * spectrum[2 * k] + spectrum[2 * k + 1] * spectrum[2 * k + 1];

    std::span<const double> power = m_power;
    if (m_averaging != Averaging::off) {
        if (timing.firstFrame || timing.sampleRate != m_averagedRate)
            m_average.reset();
        m_averagedRate = timing.sampleRate;
        const double seconds = timing.sampleRate > 0 ? double(timing.newSamples) / timing.sampleRate : 0.0;
        power = m_average.add(m_power, seconds, averagingShape(m_averaging).seconds);
    }
    const double toAmplitude = 2.0 / fftSize;
    for (size_t k = 0; k < bins; ++k)
        binLevel[k] = amplitudeLevel(std::sqrt(power[k]) * toAmplitude);
    return true;
}

void SpectrumTreatment::frameDrawn()
{
    for (const auto& listener : m_listeners)
        listener();
}

}  // namespace vellarin
