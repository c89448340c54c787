#pragma once
// The sample rates the analyser records at, whether chosen in the window or
// given on the command line.
#include <cstdint>

namespace vellarin {

inline constexpr uint32_t LowestSampleRate = 1000;
inline constexpr uint32_t HighestSampleRate = 768000;

}  // namespace vellarin
