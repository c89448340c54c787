#pragma once
// The Numora.Fourel object: a transform direction and the FFT method, reached
// only through its dispatch interface.
#include "fft_plans.h"

#include <automation/component.h>

namespace fourel {

class FourelComponent final : public automation::CountedComponent, public automation::Dispatch {
public:
    automation::Dispatch* dispatch() override { return this; }

    automation::HResult invoke(automation::DispId id, automation::InvokeKind kind,
                               std::span<automation::Variant> args, automation::Variant* result) override;
    std::span<const automation::MemberInfo> members() const override;

    // True selects the forward transform, False the unscaled inverse.
    bool forward = true;
    FftPlans plans;
};

}  // namespace fourel
