#pragma once
// Pixel primitives on one 32-bit chart surface, with the chart's drawing
// conventions: lines include their first point and exclude their last,
// dotted rows and columns use the odd positions, rectangle fills carry a
// one-pixel outline. Everything is clipped to the surface; nothing here
// allocates.
#include <QImage>
#include <QPoint>
#include <QRect>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace trazel {

// A chart colour value is 0x00BBGGRR; surfaces hold opaque 0xAARRGGBB.
constexpr QRgb surfaceColour(uint32_t colour)
{
    return 0xFF000000u | ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu);
}

// Per column, the rows a surface may have been drawn on since it was last
// known to be plain: lets the chart clear and recompose only where a trace
// went instead of whole surfaces. Allocates only when sized.
class ColumnSpans {
public:
    // Sized to a surface and covering all of it, since nothing is known yet.
    void reset(int width, int height);
    void clear();
    void noteAll() { m_all = true; }
    // Rows top..bottom inclusive of column x, clipped to the surface.
    void note(int x, int top, int bottom)
    {
        if (m_all || unsigned(x) >= unsigned(m_top.size()))
            return;
        m_top[size_t(x)] = std::min(m_top[size_t(x)], std::max(top, 0));
        m_bottom[size_t(x)] = std::max(m_bottom[size_t(x)], std::min(bottom, m_height - 1));
        m_first = std::min(m_first, x);
        m_last = std::max(m_last, x);
    }
    void noteColumns(int first, int last);
    void unite(const ColumnSpans& other);

    bool all() const { return m_all; }
    int width() const { return int(m_top.size()); }
    // No column outside first..last holds a row; first > last when none does.
    int firstColumn() const { return m_all ? 0 : m_first; }
    int lastColumn() const { return m_all ? width() - 1 : m_last; }
    // The rows of columns first..last together, as one rectangle (empty if none).
    QRect band(int first, int last) const;
    // An empty column has top > bottom.
    int top(int x) const { return m_all ? 0 : m_top[size_t(x)]; }
    int bottom(int x) const { return m_all ? m_height - 1 : m_bottom[size_t(x)]; }

private:
    std::vector<int> m_top, m_bottom;
    // The columns noted since the last clear: a trace over part of the
    // width costs the rest nothing.
    int m_first = 0, m_last = -1;
    int m_height = 0;
    bool m_all = true;
};

struct RasterPen {
    QRgb colour = 0xFF000000u;
    int width = 1;
};

class Raster {
public:
    // Every pixel written is noted in `ink`, if given.
    explicit Raster(QImage& image, ColumnSpans* ink = nullptr);

    // Every pixel written is also written, ANDed with the same pixel of
    // `overlay`, into `composed`: the picture stays the composition of this
    // surface and the overlay without composing it again. Ignored unless
    // all three surfaces are alike.
    void alsoCompose(QImage& composed, const QImage& overlay);

    int width() const { return m_width; }
    int height() const { return m_height; }

    void setPixel(int x, int y, QRgb colour)
    {
        if (unsigned(x) < unsigned(m_width) && unsigned(y) < unsigned(m_height)) {
            put(qsizetype(y) * m_stride + x, colour);
            if (m_ink)
                m_ink->note(x, y, y);
        }
    }

    void fill(QRgb colour);
    // Each column's rows in `spans`: as few pixels as the spans allow.
    void fillSpans(const ColumnSpans& spans, QRgb colour);
    // Columns first..last inclusive over the full height.
    void fillColumns(int first, int last, QRgb colour);
    // Columns x1..x2-1 and rows y1..y2-1 filled, their outer ring in the outline colour.
    void fillRect(int x1, int y1, int x2, int y2, QRgb fill, QRgb outline);

    // From `from` (drawn) to `to` (not drawn); a pen wider than one pixel
    // stamps a round nib on every pixel of the one-pixel line.
    void line(QPoint from, QPoint to, const RasterPen& pen)
    {
        // A line wholly past one edge, nib and all, draws nothing: a trace
        // held below the chart costs no walk and no call.
        const int margin = pen.width;
        const auto beyond = [margin](int a, int b, int size) {
            return (a < -margin && b < -margin) || (a >= size + margin && b >= size + margin);
        };
        if (!beyond(from.y(), to.y(), m_height) && !beyond(from.x(), to.x(), m_width))
            walkLine(from, to, pen);
    }

    // Pixels at columns 1, 3, 5, ... below `limit` on row y.
    void dottedRow(int y, int limit, QRgb colour);
    // Pixels at rows 1, 3, 5, ... below `limit` in column x.
    void dottedColumn(int x, int limit, QRgb colour);
    // Every row from `first` below `limit` in column x.
    void solidColumn(int x, int first, int limit, QRgb colour);

private:
    void walkLine(QPoint from, QPoint to, const RasterPen& pen);
    void stamp(int x, int y, const RasterPen& pen);
    void put(qsizetype at, QRgb colour)
    {
        m_bits[at] = colour;
        if (m_composed)
            m_composed[at] = colour & m_overlay[at];
    }
    void putRun(qsizetype at, qsizetype count, QRgb colour);

    ColumnSpans* m_ink;
    uint32_t* m_composed = nullptr;
    const uint32_t* m_overlay = nullptr;
    uint32_t* m_bits;
    qsizetype m_stride;  // in pixels
    int m_width;
    int m_height;
};

// A pen position with move-to / line-to, as the plotting steps are phrased.
class PenCursor {
public:
    PenCursor(Raster& raster, const RasterPen& pen) : m_raster(raster), m_pen(pen) {}

    void moveTo(int x, int y) { m_at = {x, y}; }
    void lineTo(int x, int y)
    {
        m_raster.line(m_at, {x, y}, m_pen);
        m_at = {x, y};
    }
    QPoint position() const { return m_at; }

private:
    Raster& m_raster;
    RasterPen m_pen;
    QPoint m_at;
};

}  // namespace trazel
