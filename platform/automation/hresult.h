#pragma once
// Result codes of the component layer. The numeric values are the ones hosts
// and components have always exchanged, so a code read in a log means the same
// thing everywhere.
#include <cstdint>

namespace automation {

using HResult = int32_t;

namespace hr {
inline constexpr HResult ok = 0;
inline constexpr HResult falseResult = 1;
inline constexpr HResult fail = static_cast<HResult>(0x80004005);
inline constexpr HResult unexpected = static_cast<HResult>(0x8000FFFF);
inline constexpr HResult pointer = static_cast<HResult>(0x80004003);
inline constexpr HResult outOfMemory = static_cast<HResult>(0x8007000E);
inline constexpr HResult invalidArg = static_cast<HResult>(0x80070057);
inline constexpr HResult noInterface = static_cast<HResult>(0x80004002);
inline constexpr HResult memberNotFound = static_cast<HResult>(0x80020003);
inline constexpr HResult typeMismatch = static_cast<HResult>(0x80020005);
inline constexpr HResult badVarType = static_cast<HResult>(0x80020008);
inline constexpr HResult overflow = static_cast<HResult>(0x8002000A);
inline constexpr HResult badParamCount = static_cast<HResult>(0x8002000E);
inline constexpr HResult classNotAvailable = static_cast<HResult>(0x80040111);
inline constexpr HResult classNotRegistered = static_cast<HResult>(0x80040154);
inline constexpr HResult invalidClassString = static_cast<HResult>(0x800401F3);
inline constexpr HResult moduleNotFound = static_cast<HResult>(0x800401F8);
inline constexpr HResult errorInModule = static_cast<HResult>(0x800401F9);
inline constexpr HResult libraryNotRegistered = static_cast<HResult>(0x8002801D);
inline constexpr HResult typeLibRegistration = static_cast<HResult>(0x80040200);
inline constexpr HResult classRegistration = static_cast<HResult>(0x80040201);
inline constexpr HResult setNotSupported = static_cast<HResult>(0x800A017F);
inline constexpr HResult getNotSupported = static_cast<HResult>(0x800A018A);
}  // namespace hr

inline constexpr bool succeeded(HResult r) { return r >= 0; }
inline constexpr bool failed(HResult r) { return r < 0; }

}  // namespace automation
