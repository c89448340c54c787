#include "fourel_component.h"

#include <automation/dispatch_table.h>
#include <interfaces/fourel.h>

using namespace automation;

namespace fourel {

namespace {

// Both by reference, as the analyser passes its own frame array and length;
// the table turns any other kind, or a null reference, into a type mismatch.
constexpr ParamInfo fftParams[] = {{"Data", vtByRef | vtR8}, {"Length", vtByRef | vtI4}};

HResult runFft(FourelComponent& self, std::span<Variant> args, Variant& result)
{
    auto* data = static_cast<double*>(args[0].byRef()->address);
    const int32_t n = *static_cast<const int32_t*>(args[1].byRef()->address);
    const FftStatus status = self.plans.transform(data, n, self.forward ? Direction::Forward : Direction::Inverse);
    result = Variant(static_cast<int16_t>(status));
    return hr::ok;
}

const std::array<MemberEntry<FourelComponent>, 2> table{{
    {{dispid::TransformFlag, "TransformFlag", MemberKind::Property, vtBool, {},
      "True for the forward transform, False for the unscaled inverse"},
     [](FourelComponent& self, std::span<Variant>) { return Variant::fromBool(self.forward); },
     [](FourelComponent& self, std::span<Variant>, const Variant& value) { self.forward = asBool(value); }},
    {{dispid::FFT, "FFT", MemberKind::Method, vtI2, fftParams,
      "Transforms Length interleaved complex values in place; 0 when done, negative for a bad length"},
     nullptr, nullptr, runFft},
}};

const auto infos = memberInfos(table);

}  // namespace

HResult FourelComponent::invoke(DispId id, InvokeKind kind, std::span<Variant> args, Variant* result)
{
    return invokeFromTable(table, *this, id, kind, args, result);
}

std::span<const MemberInfo> FourelComponent::members() const { return infos; }

}  // namespace fourel
