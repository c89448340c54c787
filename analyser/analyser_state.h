#pragma once
// The window-level state of the analyser: every field that more than one
// handler of the main window uses, with its type and default. Booleans that
// cross to components are 16-bit: 0 false, -1 true.
#include "levels.h"

#include <wavein/wavein.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace vellarin {

inline constexpr int16_t False = 0;
inline constexpr int16_t True = -1;

// The largest FFT fixes the array sizes: N = 16384, N / 2 = 8192 bins per map.
inline constexpr int MaxFFTSize = 16384;
inline constexpr int MaxHalf = MaxFFTSize / 2;
inline constexpr int16_t NoData = -32768;

enum FreqScalingMode : int16_t { StandardScaling = 0, LogScaling = 1, FullFitScaling = 2 };

// Per FFT bin k: [k][0] the pixel column, [k][1] the step from bin k-1's column.
using BinMap = std::array<std::array<int16_t, 2>, MaxHalf + 1>;

struct AnalyserState {
    // Capture ring: 256 buffers of 1024 bytes, allocated once at start-up.
    int16_t LastBuffer = 255;
    int16_t BufferBytes = 1024;
    int16_t BufferSamples = 512;
    std::array<std::unique_ptr<char[]>, 257> BufferMemory;  // entry 256 never used
    std::array<wavein::WaveHeader, 257> BufferHeaders;       // entry 256 never used
    // Set once all 256 buffers exist; capture must not run on a partial pool.
    bool BufferPoolReady = false;

    wavein::Handle WaveInHandle = 0;
    wavein::WaveFormat CaptureFormat{};
    wavein::WaveInCaps DeviceCaps;  // scratch record of the device enumeration

    int16_t Capturing = False;
    int16_t NextBuffer = 0;
    int16_t WarmingUp = False;
    int32_t BuffersCollected = 0;

    int32_t FFTSize = 1024;
    double LevelScale = levelScale();

    std::array<int16_t, MaxFFTSize + 1> FrameSamples{};
    // Aligned for the FFT's vector code.
    alignas(64) std::array<double, 2 * MaxFFTSize + 1> FFTData{};
    std::array<int16_t, MaxFFTSize + 1> BinLevel{};
    // The rate and size BinLevel was computed with; a later Start that fails
    // changes FFTSize and CaptureFormat but not the levels.
    uint32_t BinLevelRate = 0;
    int32_t BinLevelFFTSize = 0;
    std::array<int16_t, MaxFFTSize + 1> ChartLine{};
    std::vector<int16_t> WaterfallLine;

    // Level window of the waterfall.
    int32_t LevelMin = 0;
    int32_t LevelMax = 32767;
    int32_t LevelSpan = 32767;
    int16_t LevelZoomed = False;

    int16_t FreqScaling = StandardScaling;
    BinMap ChartLogMap{};
    BinMap WaterfallLogMap{};
    BinMap ChartFitMap{};
    BinMap WaterfallFitMap{};
};

}  // namespace vellarin
