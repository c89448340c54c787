#pragma once
// ThreadSanitizer's runtime runs inside every allocation and thread start of
// the sound libraries and slows their calls about tenfold; the waits grow with it.
namespace wavein {
#ifdef VELLARIN_TSAN
inline constexpr int waitScale = 10;
#else
inline constexpr int waitScale = 1;
#endif
}  // namespace wavein
