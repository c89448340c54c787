#pragma once
// The FFT component Numora.Fourel: the members its hosts call by number.
#include <automation/dispatch.h>

namespace fourel {

namespace dispid {
// Boolean put: True selects the forward transform.
inline constexpr automation::DispId TransformFlag = 0x68030001;
// FFT(ref double first, ref long n): transforms n interleaved complex values in place.
inline constexpr automation::DispId FFT = 0x60030004;
}  // namespace dispid

}  // namespace fourel
