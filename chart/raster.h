#pragma once
// Pixel primitives on one 32-bit chart surface, with the chart's drawing
// conventions: lines include their first point and exclude their last,
// dotted rows and columns use the odd positions, rectangle fills carry a
// one-pixel outline. Everything is clipped to the surface; nothing here
// allocates.
#include <QImage>
#include <QPoint>

#include <cstdint>

namespace trazel {

// A chart colour value is 0x00BBGGRR; surfaces hold opaque 0xAARRGGBB.
constexpr QRgb surfaceColour(uint32_t colour)
{
    return 0xFF000000u | ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu);
}

struct RasterPen {
    QRgb colour = 0xFF000000u;
    int width = 1;
};

class Raster {
public:
    explicit Raster(QImage& image);

    int width() const { return m_width; }
    int height() const { return m_height; }

    void setPixel(int x, int y, QRgb colour)
    {
        if (unsigned(x) < unsigned(m_width) && unsigned(y) < unsigned(m_height))
            m_bits[qsizetype(y) * m_stride + x] = colour;
    }

    void fill(QRgb colour);
    // Columns first..last inclusive over the full height.
    void fillColumns(int first, int last, QRgb colour);
    // Columns x1..x2-1 and rows y1..y2-1 filled, their outer ring in the outline colour.
    void fillRect(int x1, int y1, int x2, int y2, QRgb fill, QRgb outline);

    // From `from` (drawn) to `to` (not drawn); a pen wider than one pixel
    // stamps a round nib on every pixel of the one-pixel line.
    void line(QPoint from, QPoint to, const RasterPen& pen);

    // Pixels at columns 1, 3, 5, ... below `limit` on row y.
    void dottedRow(int y, int limit, QRgb colour);
    // Pixels at rows 1, 3, 5, ... below `limit` in column x.
    void dottedColumn(int x, int limit, QRgb colour);
    // Every row from `first` below `limit` in column x.
    void solidColumn(int x, int first, int limit, QRgb colour);

private:
    void stamp(int x, int y, const RasterPen& pen);

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
