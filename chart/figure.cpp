#include "figure.h"

#include <algorithm>
#include <cstdlib>

namespace trazel {

QRect Figure::bounds() const
{
    QRect r;
    for (int i = 0; i < count; ++i)
        r |= QRect(lines[size_t(i)].from, lines[size_t(i)].to).normalized();
    return r;
}

Figure crossHairFigure(int width, int height, int x, int y, bool twoLines)
{
    x = std::clamp(x, 0, width);
    Figure f;
    f.add({x, 0}, {x, height});
    if (twoLines) {
        y = std::clamp(y, 0, height);
        f.add({0, y}, {width, y});
    }
    return f;
}

Figure dragMarker(int width, int x, int y, int y0)
{
    x = std::clamp(x, 0, width);
    Figure f;
    f.add({x - 20, y0}, {x + 20, y0});
    if (y == y0)
        return f;
    f.add({x, y0}, {x, y});
    f.add({x - 10, y}, {x + 10, y});
    if (std::abs(int64_t(y) - y0) >= 6) {
        // The arrowhead opens back towards where the drag started.
        const int back = y < y0 ? y + 4 : y - 4;
        f.add({x, y}, {x - 4, back});
        f.add({x, y}, {x + 4, back});
    }
    return f;
}

namespace {

// A figure line is horizontal, vertical or at 45 degrees: one pixel per step
// along the longer axis, the other following exactly.
void invertLine(QImage& image, QPoint from, QPoint to)
{
    const int64_t dx = int64_t(to.x()) - from.x(), dy = int64_t(to.y()) - from.y();
    const int64_t steps = std::max(std::llabs(dx), std::llabs(dy));
    if (steps == 0)
        return;
    const int w = image.width(), h = image.height();
    const qsizetype stride = image.bytesPerLine() / qsizetype(sizeof(QRgb));
    QRgb* const bits = reinterpret_cast<QRgb*>(image.bits());
    for (int64_t i = 0; i < steps; ++i) {
        // Rounded to the nearest pixel, ties away from the start.
        const int64_t x = from.x() + (2 * i * dx + (dx >= 0 ? steps : -steps)) / (2 * steps);
        const int64_t y = from.y() + (2 * i * dy + (dy >= 0 ? steps : -steps)) / (2 * steps);
        if (x >= 0 && x < w && y >= 0 && y < h)
            bits[y * stride + x] ^= 0x00FFFFFFu;
    }
}

}  // namespace

void invertFigure(QImage& image, const Figure& figure)
{
    if (image.isNull())
        return;
    for (int i = 0; i < figure.count; ++i)
        invertLine(image, figure.lines[size_t(i)].from, figure.lines[size_t(i)].to);
}

}  // namespace trazel
