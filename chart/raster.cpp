#include "raster.h"

#include "blit.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace trazel {

namespace {

// Pens are at most 2 x 15 pixels wide.
constexpr int maxNib = 30;

// Row spans of a round nib of width w: offsets -(w/2)..(w-1)/2 about the
// pixel, a pixel taken when its centre lies within the nib's circle.
struct Nib {
    int first = 0;                        // offset of the first row and column
    std::array<int8_t, maxNib> left{};    // per row: leftmost column offset
    std::array<int8_t, maxNib> right{};   // per row: rightmost column offset, left > right = empty
};

constexpr Nib makeNib(int w)
{
    Nib nib;
    nib.first = -(w / 2);
    const int last = (w - 1) / 2;
    const double centre = (nib.first + last) / 2.0;
    const double radius2 = (w / 2.0) * (w / 2.0);
    for (int dy = nib.first; dy <= last; ++dy) {
        int left = last + 1, right = nib.first - 1;
        for (int dx = nib.first; dx <= last; ++dx) {
            const double ex = dx - centre, ey = dy - centre;
            if (ex * ex + ey * ey <= radius2) {
                left = std::min(left, dx);
                right = std::max(right, dx);
            }
        }
        nib.left[dy - nib.first] = int8_t(left);
        nib.right[dy - nib.first] = int8_t(right);
    }
    return nib;
}

constexpr std::array<Nib, maxNib + 1> makeNibs()
{
    std::array<Nib, maxNib + 1> nibs{};
    for (int w = 1; w <= maxNib; ++w)
        nibs[w] = makeNib(w);
    return nibs;
}

constexpr std::array<Nib, maxNib + 1> nibs = makeNibs();

}  // namespace

void ColumnSpans::reset(int width, int height)
{
    m_top.assign(size_t(std::max(width, 0)), 0);
    m_bottom.assign(size_t(std::max(width, 0)), 0);
    m_height = height;
    m_all = true;
}

void ColumnSpans::clear()
{
    const int first = firstColumn(), last = lastColumn();
    if (first <= last) {
        std::fill(m_top.begin() + first, m_top.begin() + last + 1, m_height);
        std::fill(m_bottom.begin() + first, m_bottom.begin() + last + 1, -1);
    }
    m_first = width();
    m_last = -1;
    m_all = false;
}

void ColumnSpans::noteColumns(int first, int last)
{
    for (int x = std::max(first, 0); x <= std::min(last, width() - 1); ++x)
        note(x, 0, m_height - 1);
}

void ColumnSpans::unite(const ColumnSpans& other)
{
    if (other.m_all || other.width() != width()) {
        m_all = true;
        return;
    }
    if (m_all)
        return;
    // Both hold clipped rows, empty columns as (height, -1): plain min and max.
    for (int x = other.m_first; x <= other.m_last; ++x) {
        m_top[size_t(x)] = std::min(m_top[size_t(x)], other.m_top[size_t(x)]);
        m_bottom[size_t(x)] = std::max(m_bottom[size_t(x)], other.m_bottom[size_t(x)]);
    }
    if (other.m_first <= other.m_last) {
        m_first = std::min(m_first, other.m_first);
        m_last = std::max(m_last, other.m_last);
    }
}

QRect ColumnSpans::band(int first, int last) const
{
    first = std::max(first, 0);
    last = std::min(last, width() - 1);
    int top = m_height, bottom = -1;
    for (int x = std::max(first, firstColumn()); x <= std::min(last, lastColumn()); ++x) {
        top = std::min(top, this->top(x));
        bottom = std::max(bottom, this->bottom(x));
    }
    return top <= bottom ? QRect(first, top, last - first + 1, bottom - top + 1) : QRect();
}

Raster::Raster(QImage& image, ColumnSpans* ink)
    : m_ink(ink),
      m_bits(reinterpret_cast<uint32_t*>(image.bits())),
      m_stride(image.bytesPerLine() / 4),
      m_width(image.width()),
      m_height(image.height())
{
}

void Raster::alsoCompose(QImage& composed, const QImage& overlay)
{
    const auto alike = [this](const QImage& other) {
        return other.width() == m_width && other.height() == m_height && other.bytesPerLine() / 4 == m_stride &&
               other.depth() == 32;
    };
    if (!alike(composed) || !alike(overlay))
        return;
    m_composed = reinterpret_cast<uint32_t*>(composed.bits());
    m_overlay = reinterpret_cast<const uint32_t*>(overlay.constBits());
}

void Raster::putRun(qsizetype at, qsizetype count, QRgb colour)
{
    fillPixels(m_bits + at, count, colour);
    if (m_composed)
        for (qsizetype i = at; i < at + count; ++i)
            m_composed[i] = colour & m_overlay[i];
}

void Raster::fill(QRgb colour)
{
    if (m_ink)
        m_ink->noteAll();
    if (m_stride == m_width) {
        putRun(0, qsizetype(m_height) * m_width, colour);
        return;
    }
    for (int y = 0; y < m_height; ++y)
        putRun(qsizetype(y) * m_stride, m_width, colour);
}

void Raster::fillSpans(const ColumnSpans& spans, QRgb colour)
{
    if (spans.all()) {
        fill(colour);
        return;
    }
    for (int x = std::max(spans.firstColumn(), 0); x <= std::min(spans.lastColumn(), m_width - 1); ++x) {
        const int top = std::max(spans.top(x), 0), bottom = std::min(spans.bottom(x), m_height - 1);
        if (top > bottom)
            continue;
        if (m_ink)
            m_ink->note(x, top, bottom);
        for (qsizetype at = top * m_stride + x, end = bottom * m_stride + x; at <= end; at += m_stride)
            put(at, colour);
    }
}

void Raster::fillColumns(int first, int last, QRgb colour)
{
    first = std::max(first, 0);
    last = std::min(last, m_width - 1);
    if (first > last)
        return;
    if (m_ink)
        m_ink->noteColumns(first, last);
    for (int y = 0; y < m_height; ++y)
        putRun(qsizetype(y) * m_stride + first, last - first + 1, colour);
}

void Raster::fillRect(int x1, int y1, int x2, int y2, QRgb fill, QRgb outline)
{
    if (x2 <= x1 || y2 <= y1)
        return;
    if (m_ink)
        for (int x = x1; x < x2; ++x)
            m_ink->note(x, y1, y2 - 1);
    const int left = std::max(x1, 0), right = std::min(x2, m_width);
    for (int y = std::max(y1, 0); y < std::min(y2, m_height); ++y) {
        const bool edgeRow = y == y1 || y == y2 - 1;
        if (left < right)
            putRun(qsizetype(y) * m_stride + left, right - left, edgeRow ? outline : fill);
        if (!edgeRow) {
            setPixel(x1, y, outline);
            setPixel(x2 - 1, y, outline);
        }
    }
}

void Raster::dottedRow(int y, int limit, QRgb colour)
{
    if (unsigned(y) >= unsigned(m_height))
        return;
    for (int x = 1; x < std::min(limit, m_width); x += 2) {
        put(qsizetype(y) * m_stride + x, colour);
        if (m_ink)
            m_ink->note(x, y, y);
    }
}

void Raster::dottedColumn(int x, int limit, QRgb colour)
{
    if (unsigned(x) >= unsigned(m_width))
        return;
    if (m_ink)
        m_ink->note(x, 1, limit - 1);
    for (int y = 1; y < std::min(limit, m_height); y += 2)
        put(qsizetype(y) * m_stride + x, colour);
}

void Raster::solidColumn(int x, int first, int limit, QRgb colour)
{
    if (unsigned(x) >= unsigned(m_width))
        return;
    if (m_ink && first < limit)
        m_ink->note(x, first, limit - 1);
    for (int y = std::max(first, 0); y < std::min(limit, m_height); ++y)
        put(qsizetype(y) * m_stride + x, colour);
}

void Raster::stamp(int x, int y, const RasterPen& pen)
{
    const Nib& nib = nibs[std::clamp(pen.width, 1, maxNib)];
    if (m_ink) {
        const int extent = std::min(pen.width, maxNib);
        for (int c = x + nib.first; c < x + nib.first + extent; ++c)
            m_ink->note(c, y + nib.first, y + nib.first + extent - 1);
    }
    for (int row = 0; row < pen.width && row < maxNib; ++row) {
        const int py = y + nib.first + row;
        if (unsigned(py) >= unsigned(m_height))
            continue;
        const int left = std::max(x + nib.left[row], 0);
        const int right = std::min(x + nib.right[row], m_width - 1);
        if (left <= right)
            putRun(qsizetype(py) * m_stride + left, right - left + 1, pen.colour);
    }
}

void Raster::walkLine(QPoint from, QPoint to, const RasterPen& pen)
{
    const int64_t dx = int64_t(to.x()) - from.x(), dy = int64_t(to.y()) - from.y();
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const int64_t major = xMajor ? std::llabs(dx) : std::llabs(dy);  // pixels drawn
    if (major == 0)
        return;
    const int margin = pen.width;
    const int64_t minor = xMajor ? std::llabs(dy) : std::llabs(dx);
    const int64_t majorStart = xMajor ? from.x() : from.y();
    const int64_t minorStart = xMajor ? from.y() : from.x();
    const int majorSign = (xMajor ? dx : dy) > 0 ? 1 : -1;
    const int minorSign = (xMajor ? dy : dx) >= 0 ? 1 : -1;

    // Only the steps whose major coordinate can touch the surface are walked.
    const int64_t lo = -margin, hi = int64_t(xMajor ? m_width : m_height) - 1 + margin;
    int64_t first = majorSign > 0 ? lo - majorStart : majorStart - hi;
    int64_t last = majorSign > 0 ? hi - majorStart : majorStart - lo;
    first = std::max<int64_t>(first, 0);
    last = std::min<int64_t>(last, major - 1);
    if (first > last)
        return;

    // Minor offset of step i is round(i * minor / major), ties away from the start.
    const int64_t twiceMajor = 2 * major;
    int64_t offset = 0, remainder = major;
    if (first > 0) {  // the division only where clipping skips steps
        const int64_t numerator = 2 * first * minor + major;
        offset = numerator / twiceMajor;
        remainder = numerator % twiceMajor;
    }
    const int64_t twiceMinor = 2 * minor;
    int64_t a = majorStart + majorSign * first, b = minorStart + minorSign * offset;
    const auto step = [&] {
        a += majorSign;
        remainder += twiceMinor;
        if (remainder < twiceMajor)
            return false;
        remainder -= twiceMajor;
        b += minorSign;
        return true;
    };
    if (pen.width > 1) {
        for (int64_t i = first; i <= last; ++i, step()) {
            const int64_t x = xMajor ? a : b, y = xMajor ? b : a;
            if (x >= -margin && x < m_width + margin && y >= -margin && y < m_height + margin)
                stamp(int(x), int(y), pen);
        }
        return;
    }

    // A thin line, the common trace, walked in locals: the pixel stores
    // could otherwise alias the members and force them to be read again.
    uint32_t* const bits = m_bits;
    uint32_t* const composed = m_composed;
    const uint32_t* const overlay = m_overlay;
    const qsizetype stride = m_stride;
    const uint64_t width = uint64_t(m_width), height = uint64_t(m_height);
    const QRgb colour = pen.colour;
    ColumnSpans* const ink = m_ink;
    const auto plot = [=](int64_t x, int64_t y) {
        const int64_t at = y * stride + x;
        bits[at] = colour;
        if (composed)
            composed[at] = colour & overlay[at];
    };
    if (xMajor) {  // one pixel a column
        for (int64_t i = first; i <= last; ++i, step())
            if (uint64_t(a) < width && uint64_t(b) < height) {
                plot(a, b);
                if (ink)
                    ink->note(int(a), int(b), int(b));
            }
        return;
    }
    // Down a column and on to the next: ink noted once a column.
    int64_t top = 0, bottom = -1;
    const auto noteRun = [&](int64_t column) {
        if (ink && bottom >= top)
            ink->note(int(column), int(top), int(bottom));
        top = 0;
        bottom = -1;
    };
    for (int64_t i = first; i <= last; ++i) {
        if (uint64_t(b) < width && uint64_t(a) < height) {
            plot(b, a);
            top = bottom < top ? a : std::min(top, a);
            bottom = std::max(bottom, a);
        }
        if (const int64_t column = b; step())
            noteRun(column);
    }
    noteRun(b);
}

}  // namespace trazel
