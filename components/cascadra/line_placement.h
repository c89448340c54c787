#pragma once
// Where each scroll direction puts the newest line, and how the history
// moves when a line arrives.
//
// Element i of a line lies at pixel i along it: column i when lines run
// across (Bottom to Top, Top to Bottom), row i from the top for Right to
// Left, row i from the bottom for i Right to Left. The diagonal directions
// are the vertical ones with a shear: each older line also moves one column
// to the right, so a row y holds the line that starts at column H - y
// (45 degree, newest at the bottom, history rising to the upper right) or at
// column y (-45 degree, newest at the top, history falling to the lower
// right). In both the newest line starts at the left edge and ages away from
// it, clipped at the right.
//
// The 3D view reads as a landscape seen from the bottom right: each line
// becomes a relief rising up (left for the horizontal directions) by up to
// Depth3D pixels, and a line lower or further right on the screen stands in
// front. Where the newest line arrives at the front (45 degree, Bottom to
// Top, the two Right to Left) it is drawn over the history; where it arrives
// at the back (Top to Bottom, -45 degree) it sits Depth3D rows down, leaving
// room for its relief, and shows only where the history in front leaves
// ground uncovered.
#include <interfaces/cascadra.h>

#include <QPoint>
#include <QSize>

#include <optional>

namespace cascadra {

struct LinePlacement {
    QPoint origin;        // pixel of element 0 of the newest line
    QPoint step;          // from element i to element i + 1
    QPoint scroll;        // how far the history moves per line
    QPoint rise;          // the way a 3D relief grows from its base
    bool newestInFront;   // 3D: the newest line covers the history
    bool anchorRight;     // the corner that stays put when the picture is
    bool anchorBottom;    // resized: the one the newest line grows from
};

std::optional<Direction> directionFromValue(int32_t value);
LinePlacement placementFor(Direction direction, QSize picture, bool view3D, int depth);

// Pixels from the origin along the step that lie inside the picture.
int pixelsAlong(const LinePlacement& placement, QSize picture);

}  // namespace cascadra
