#include "frame_measurement.h"

#include "calibration.h"
#include "spectrum_power.h"

#include <algorithm>
#include <cmath>

namespace vellarin {

void FrameMeasurement::configure(const MeasurementSetup& setup)
{
    m_fftSize = std::max<int32_t>(setup.fftSize, 0);
    m_sampleRate = setup.sampleRate;
    m_weighting = setup.weighting;
    const size_t bins = size_t(m_fftSize / 2) + 1;
    m_table.build(setup.weighting, m_fftSize, m_sampleRate);
    const auto weights = m_table.powerGain();
    m_gain.assign(bins, 1.0);
    std::copy_n(weights.begin(), std::min(bins, weights.size()), m_gain.begin());
    if (setup.correction && !setup.correction->empty()) {
        // The response only: the offset turns levels into dB SPL where they are shown.
        SplCalibration response{0.0, *setup.correction, {}};
        response.applyPerBin(m_fftSize, m_sampleRate, m_gain);
    }
    m_weighted.assign(bins, 0.0);

    m_bandsOn = setup.bands.has_value() && m_fftSize > 0 && m_sampleRate > 0.0;
    m_bandOfBin.assign(bins, -1);
    if (m_bandsOn) {
        const double enbw = setup.windowWeights.empty() ? 1.0 : equivalentNoiseBandwidth(setup.windowWeights);
        m_octaveBands.build(*setup.bands, m_fftSize, m_sampleRate, enbw);
        const auto list = m_octaveBands.bands();
        m_bandMeanSquare.assign(list.size(), 0.0);
        const double binHz = m_sampleRate / m_fftSize;
        m_bandBins.clear();
        for (size_t b = 0; b < list.size(); ++b) {
            const auto first = size_t(std::clamp(std::ceil(list[b].lower / binHz), 0.0, double(bins)));
            const auto end = size_t(std::clamp(std::ceil(list[b].upper / binHz), 0.0, double(bins)));
            m_bandBins.emplace_back(first, std::max(first, end));
            for (size_t k = first; k < end; ++k)
                m_bandOfBin[k] = int(b);
        }
    } else {
        m_bandMeanSquare.clear();
        m_bandBins.clear();
    }

    if (m_meter.sampleRate() != m_sampleRate || m_meter.weighting() != setup.weighting ||
        m_meter.timeWeighting() != setup.timeWeighting)
        m_meter.configure(m_sampleRate, setup.weighting, setup.timeWeighting);
}

void FrameMeasurement::spreadBands(std::span<double> perBin, double factor, bool hatchUnresolved) const
{
    std::fill(perBin.begin(), perBin.end(), 0.0);
    if (!m_bandsOn)
        return;
    const auto list = m_octaveBands.bands();
    for (size_t b = 0; b < m_bandBins.size() && b < list.size(); ++b) {
        const size_t first = std::min(m_bandBins[b].first, perBin.size());
        const size_t end = std::min(m_bandBins[b].second, perBin.size());
        const double level = m_bandMeanSquare[b] * factor;
        const size_t step = hatchUnresolved && !list[b].resolved ? 2 : 1;
        for (size_t k = first + (step == 2 && first % 2 ? 1 : 0); k < end; k += step)
            perBin[k] = level;
    }
}

std::span<const OctaveBand> FrameMeasurement::bands() const
{
    return m_bandsOn ? m_octaveBands.bands() : std::span<const OctaveBand>{};
}

void FrameMeasurement::measure(std::span<const double> spectrum)
{
    if (m_fftSize <= 0)
        return;
    // Bin powers and their weighting in one pass: at N = 16384 a frame's
    // measuring is mostly memory traffic.
    const size_t bins = std::min(m_weighted.size(), spectrum.size() / 2);
    binPowers(spectrum, m_fftSize, m_gain, m_weighted);
    std::fill(m_weighted.begin() + ptrdiff_t(bins), m_weighted.end(), 0.0);
    if (m_bandsOn)
        m_octaveBands.measure(m_weighted, m_bandMeanSquare);
}

}  // namespace vellarin
