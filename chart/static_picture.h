#pragma once
// The chart's static picture: background and border, annotation lines, base
// line, horizontal grid, vertical grid or axis tick lines, chart text and the
// auxiliary cross-hair, drawn into the surfaces that the traces are combined
// with.
#include "trazel_state.h"

#include <QImage>

namespace trazel {

struct Surfaces {
    QImage& display;
    QImage& traces;
    QImage& overlay;
};

// Builds the display image, the trace layer's background and the white grid
// overlay, all of the state's size.
void drawStaticPicture(const TrazelState& state, Surfaces surfaces);

}  // namespace trazel
