#include "blit.h"

#include <cstdint>
#include <cstring>

namespace trazel {

namespace {

bool sameShape(const QImage& a, const QImage& b)
{
    return !a.isNull() && a.size() == b.size() && a.format() == b.format() && a.bytesPerLine() == b.bytesPerLine();
}

}  // namespace

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
    auto* t = reinterpret_cast<uint32_t*>(target.bits());
    const auto* x = reinterpret_cast<const uint32_t*>(a.constBits());
    const auto* y = reinterpret_cast<const uint32_t*>(b.constBits());
    const qsizetype count = target.sizeInBytes() / 4;
    for (qsizetype i = 0; i < count; ++i)
        t[i] = x[i] & y[i];
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

void blendSurface(QImage& target, const QImage& source, int opacity)
{
    if (!sameShape(target, source))
        return;
    const uint32_t a = uint32_t(opacity & 0xFF), keep = 255 - a;
    auto* t = reinterpret_cast<uint32_t*>(target.bits());
    const auto* s = reinterpret_cast<const uint32_t*>(source.constBits());
    const qsizetype count = source.sizeInBytes() / 4;
    for (qsizetype i = 0; i < count; ++i) {
        // Rounded to the nearest level per byte; the alpha byte stays opaque.
        uint32_t out = 0xFF000000u;
        for (int shift = 0; shift < 24; shift += 8) {
            const uint32_t sb = (s[i] >> shift) & 0xFF, tb = (t[i] >> shift) & 0xFF;
            out |= ((sb * a + tb * keep + 127) / 255) << shift;
        }
        t[i] = out;
    }
}

}  // namespace trazel
