#pragma once
// Drawing one data call's traces into the trace layer: analogue traces,
// digital lanes, event marks and legends, in scroll or scope placement.
#include "plot_call.h"
#include "raster.h"
#include "trazel_state.h"

namespace trazel {

// Plots the selected channels (or the single channel or digital lanes) and
// updates each trace's LastY. The sweep position is read, not advanced.
void plotTraces(TrazelState& state, Raster& traces, const SampleView& samples, const CallPlan& plan);

}  // namespace trazel
