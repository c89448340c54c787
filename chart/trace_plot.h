#pragma once
// Drawing one data call's traces into the trace layer: analogue traces,
// digital lanes, event marks and legends, in scroll or scope placement.
#include "plot_call.h"
#include "raster.h"
#include "trazel_state.h"

#include <QImage>

namespace trazel {

// Plots the selected channels (or the single channel or digital lanes) and
// updates each trace's LastY. The sweep position is read, not advanced.
// Every pixel drawn is noted in `ink`.
void plotTraces(TrazelState& state, QImage& traces, ColumnSpans& ink, const SampleView& samples, const CallPlan& plan);

}  // namespace trazel
