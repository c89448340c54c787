#pragma once
// The window function and the averaging a user chose, applied to each frame
// the window draws, and the listeners that look at each frame once drawn.
// Rectangular and unaveraged, the frame goes its designed way untouched.
#include "frame_extras.h"
#include "power_averaging.h"
#include "window_functions.h"

#include <functional>
#include <vector>

namespace vellarin {

class SpectrumTreatment final : public FrameExtras {
public:
    WindowFunction windowFunction() const { return m_weights.function(); }
    void setWindowFunction(WindowFunction function);
    Averaging averaging() const { return m_averaging; }
    void setAveraging(Averaging averaging);

    // Turns a frame's transform into the power of bins 0..N/2 (|X|^2, as the
    // treatment's own rule has it) in place of that rule, such as weighted or
    // gathered into bands; false leaves the frame to the rule. Averaging
    // follows on the powers it gives.
    using PowerStage = std::function<bool(std::span<const double> spectrum, int32_t fftSize, std::span<double> power)>;
    void setPowerStage(PowerStage stage) { m_stage = std::move(stage); }

    // Called after every frame drawn.
    void onFrameDrawn(std::function<void()> listener) { m_listeners.push_back(std::move(listener)); }
    // Called with each frame's transform (as computeLevels has it), before
    // its levels are computed.
    using TransformListener = std::function<void(std::span<const double> transform, int32_t fftSize)>;
    void onTransform(TransformListener listener) { m_transformListeners.push_back(std::move(listener)); }

    bool weighFrame(std::span<const int16_t> samples, std::span<double> fftData) override;
    bool computeLevels(std::span<const double> spectrum, int32_t fftSize, const FrameTiming& timing,
                       std::span<int16_t> binLevel) override;
    void frameDrawn() override;

private:
    WindowWeights m_weights;
    Averaging m_averaging = Averaging::off;
    PowerAverage m_average;
    std::vector<double> m_power;
    uint32_t m_averagedRate = 0;
    std::vector<std::function<void()>> m_listeners;
    std::vector<TransformListener> m_transformListeners;
    PowerStage m_stage;
};

}  // namespace vellarin
