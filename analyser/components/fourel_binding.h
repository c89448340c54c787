#pragma once
// The FFT component Fourel1, through its dispatch interface.
#include "component_binding.h"

namespace vellarin {

class FourelBinding final : public ComponentBinding {
public:
    automation::HResult create() { return ComponentBinding::create(sdk::classes::fourel); }

    void setTransformFlag(bool forward);
    // Transforms `n` interleaved complex values at `data` in place (2n doubles);
    // `n` is passed by reference and comes back unchanged.
    automation::HResult fft(double* data, int32_t& n);
};

}  // namespace vellarin
