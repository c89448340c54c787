#include "blit.h"

#include <cstdint>
#include <cstring>

namespace trazel {

namespace {

// Four pixels at a time, the width of the baseline vector registers.
using Block = uint32_t __attribute__((vector_size(16)));
constexpr qsizetype blockPixels = sizeof(Block) / 4;

Block load(const uint32_t* p)
{
    Block b;
    std::memcpy(&b, p, sizeof b);
    return b;
}
void store(uint32_t* p, Block b) { std::memcpy(p, &b, sizeof b); }

bool sameShape(const QImage& a, const QImage& b)
{
    return !a.isNull() && a.size() == b.size() && a.format() == b.format() && a.bytesPerLine() == b.bytesPerLine();
}

uint32_t* pixels(QImage& image) { return reinterpret_cast<uint32_t*>(image.bits()); }
const uint32_t* pixels(const QImage& image) { return reinterpret_cast<const uint32_t*>(image.constBits()); }
qsizetype pixelCount(const QImage& image) { return image.sizeInBytes() / 4; }

}  // namespace

void fillPixels(uint32_t* target, qsizetype count, uint32_t colour)
{
    const Block value = Block{} + colour;
    qsizetype i = 0;
    for (; i + blockPixels <= count; i += blockPixels)
        store(target + i, value);
    for (; i < count; ++i)
        target[i] = colour;
}

void copySurface(QImage& target, const QImage& source)
{
    if (!sameShape(target, source))
        return;
    std::memcpy(target.bits(), source.constBits(), size_t(source.sizeInBytes()));
}

void andSurfaces(QImage& target, const QImage& a, const QImage& b)
{
    if (!sameShape(target, a) || !sameShape(target, b))
        return;
    uint32_t* t = pixels(target);
    const uint32_t* x = pixels(a);
    const uint32_t* y = pixels(b);
    const qsizetype count = pixelCount(target);
    qsizetype i = 0;
    for (; i + blockPixels <= count; i += blockPixels)
        store(t + i, load(x + i) & load(y + i));
    for (; i < count; ++i)
        t[i] = x[i] & y[i];
}

void andSurfacesInto(QImage& target, const QImage& a, const QImage& b, const QRect& area)
{
    if (!sameShape(target, a) || !sameShape(target, b))
        return;
    const QRect r = area & target.rect();
    const qsizetype stride = target.bytesPerLine() / 4;
    uint32_t* const targetPixels = pixels(target);
    const uint32_t* const aPixels = pixels(a);
    const uint32_t* const bPixels = pixels(b);
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const qsizetype start = y * stride + r.left();
        uint32_t* t = targetPixels + start;
        const uint32_t* x = aPixels + start;
        const uint32_t* z = bPixels + start;
        qsizetype i = 0;
        for (; i + blockPixels <= r.width(); i += blockPixels)
            store(t + i, load(x + i) & load(z + i));
        for (; i < r.width(); ++i)
            t[i] = x[i] & z[i];
    }
}

void shiftLeft(QImage& surface, int by)
{
    if (surface.isNull() || by <= 0)
        return;
    const int width = surface.width();
    if (by >= width)
        return;
    for (int y = 0; y < surface.height(); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(surface.scanLine(y));
        std::memmove(row, row + by, size_t(width - by) * 4);
    }
}

void blendColour(QImage& target, QRgb colour, int opacity)
{
    if (target.isNull())
        return;
    const uint32_t a = uint32_t(opacity & 0xFF), keep = 255 - a;
    uint32_t* t = pixels(target);
    const qsizetype count = pixelCount(target);
    for (qsizetype i = 0; i < count; ++i) {
        // Rounded to the nearest level per byte; the alpha byte stays opaque.
        uint32_t out = 0xFF000000u;
        for (int shift = 0; shift < 24; shift += 8) {
            const uint32_t cb = (colour >> shift) & 0xFF, tb = (t[i] >> shift) & 0xFF;
            out |= ((cb * a + tb * keep + 127) / 255) << shift;
        }
        t[i] = out;
    }
}

}  // namespace trazel
