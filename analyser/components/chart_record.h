#pragma once
// The stored settings of the analyser's spectrum chart, as the chart's
// byte-stream property record (version 1.0) that the chart loads when the
// main window creates it.
#include <QByteArray>

namespace vellarin {

inline constexpr int chartRecordSize = 246;

// Extent 7695 x 3615 twips, only channel 0 plotted, a vertical grid line
// every 25.6 pixels, the scale locked, no erase bar, no solid base line and
// no legend; everything else at the chart's defaults.
QByteArray storedChartRecord();

}  // namespace vellarin
