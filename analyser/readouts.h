#pragma once
// What the pointer reads: the bin under a chart column or a waterfall pixel,
// and the captions of the readout label.
#include "analyser_state.h"
#include "level_notation.h"
#include "levels.h"

#include <QString>

#include <optional>

namespace vellarin {

// The first bin from `first` to `half` whose column lies past `v`; none when
// `v` lies at or past the column of bin `half`.
std::optional<int32_t> binPast(const BinMap& map, int32_t first, int32_t half, double v);

struct ScalingView {
    int16_t freqScaling;
    int32_t firstBin;  // the pan position of standard scaling
    int32_t half;      // the highest bin, N / 2
};

// The bin under chart column `column` (already within the chart).
int32_t chartColumnBin(const ScalingView& view, int32_t column, const BinMap& chartLog, const BinMap& chartFit);

struct WaterfallPointer {
    int16_t x, y;           // pixels from the picture's top-left corner
    double width, height;   // the picture's size in pixels, not rounded
    int32_t direction;      // the waterfall's scroll direction
    int16_t reliefShift;    // Depth3D while the 3D view is on, else 0; it moves
                            // where the lines of the -45 degree direction start
};

struct WaterfallMaps {
    const BinMap& chartLog;
    const BinMap& chartFit;
    const BinMap& waterfallLog;
    const BinMap& waterfallFit;
};

// The bin under the waterfall pointer; fractional only in the inverted
// horizontal direction of standard scaling. None for an unknown direction.
std::optional<double> waterfallBin(const ScalingView& view, const WaterfallPointer& p, const WaterfallMaps& maps);

// The two directions whose lines run along the picture's height.
bool runsAlongHeight(int32_t direction);

// "43.1Hz 90.31dB": the level in decibels of the amplitude it stands for;
// in another unit, the same with that unit's number and name ("0.00dBFS").
QString crossHairCaption(double hertz, int32_t level, const LevelNotation* notation = nullptr);
// "1k band 63.2dB": a band by its nominal label and the level of its bar,
// in `notation`'s unit as the cross-hair's, of a tone at the band's centre.
QString bandCaption(const QString& label, double centre, int32_t level, const LevelNotation* notation = nullptr);
// "3230.0Hz"; two decimals in the directions along the picture's height.
QString waterfallCaption(double hertz, int32_t direction);

}  // namespace vellarin
