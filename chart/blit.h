#pragma once
// Block operations between chart surfaces of one size: copy, bitwise AND,
// shift left, constant-alpha blend. Surfaces of different sizes are left
// alone; nothing here allocates.
#include <QImage>

#include <cstdint>

namespace trazel {

void fillPixels(uint32_t* target, qsizetype count, uint32_t colour);

void copySurface(QImage& target, const QImage& source);
// target = a AND b, every colour byte.
void andSurfaces(QImage& target, const QImage& a, const QImage& b);
// target = a AND b inside `area`, clipped to the surfaces.
void andSurfacesInto(QImage& target, const QImage& a, const QImage& b, const QRect& area);
// Moves every row `by` pixels to the left; the columns freed on the right keep
// their old pixels for the caller to clear.
void shiftLeft(QImage& surface, int by);
// target = alpha x colour + (1 - alpha) x target per colour byte, alpha = opacity / 255.
void blendColour(QImage& target, QRgb colour, int opacity);

}  // namespace trazel
