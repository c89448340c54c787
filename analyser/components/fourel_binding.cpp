#include "fourel_binding.h"

#include <interfaces/fourel.h>

namespace vellarin {

using namespace automation;

void FourelBinding::setTransformFlag(bool forward) { put(fourel::dispid::TransformFlag, Variant::fromBool(forward)); }

HResult FourelBinding::fft(double* data, int32_t& n)
{
    Variant args[] = {Variant::refDoubles(data), Variant::refLong(&n)};
    return call(fourel::dispid::FFT, args);
}

}  // namespace vellarin
