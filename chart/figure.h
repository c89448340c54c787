#pragma once
// The inverting figures the mouse puts on the chart's window: the drag
// marker and the one- and two-line cross-hairs. Every pixel of a figure line
// is replaced by its colour inverse, so inverting the same figure twice
// gives the window back exactly.
#include <QImage>
#include <QPoint>
#include <QRect>

#include <array>

namespace trazel {

// Up to six one-pixel lines; each includes its first point and excludes its last.
struct Figure {
    struct Line {
        QPoint from, to;
    };
    std::array<Line, 6> lines{};
    int count = 0;

    void add(QPoint from, QPoint to) { lines[size_t(count++)] = {from, to}; }
    bool isEmpty() const { return count == 0; }
    // Every pixel the figure may touch (before clipping to a surface).
    QRect bounds() const;
};

// The cross-hair at column x of a chart width x height: a vertical line over
// the full height and, for the two-line cross-hair, a horizontal one at row y.
// x and y are limited to the chart first.
Figure crossHairFigure(int width, int height, int x, int y, bool twoLines);

// The drag marker from start row y0 to the pointer at (x, y): a bar at y0,
// and once the pointer has left that row, a stem, a bar at y and an
// arrowhead pointing along the drag. x is limited to the chart first; y is
// not, the window clips it.
Figure dragMarker(int width, int x, int y, int y0);

// Inverts every pixel of the figure's lines inside the image.
void invertFigure(QImage& image, const Figure& figure);

}  // namespace trazel
