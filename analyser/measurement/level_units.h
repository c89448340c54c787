#pragma once
// Levels in decibels. dBFS is relative to the 16-bit full scale as an
// amplitude: a full-scale sine peaks at 0 dBFS and its RMS is -3.01 dBFS.
// The design's scale is 20 log10 of the amplitude in sample units, so it is
// dBFS moved up by 20 log10(32767): a full-scale sine reads 90.31 there.
#include <algorithm>
#include <cmath>

namespace vellarin {

inline constexpr double FullScale = 32767.0;
inline constexpr double DesignFullScaleDb = 90.308733622833979;  // 20 log10(32767)
// A sine's peak over its RMS: 20 log10(sqrt 2).
inline constexpr double SineCrestDb = 3.0102999566398120;
// Below every level worth showing; what silence reads instead of minus infinity.
inline constexpr double SilenceDb = -200.0;

inline double dbfsFromMeanSquare(double meanSquare)
{
    return std::max(10.0 * std::log10(meanSquare / (FullScale * FullScale)), SilenceDb);
}

inline double dbfsFromAmplitude(double amplitude)
{
    return std::max(20.0 * std::log10(std::fabs(amplitude) / FullScale), SilenceDb);
}

inline double designDbFromDbfs(double dbfs) { return dbfs + DesignFullScaleDb; }
inline double dbfsFromDesignDb(double designDb) { return designDb - DesignFullScaleDb; }

}  // namespace vellarin
