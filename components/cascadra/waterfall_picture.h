#pragma once
// The waterfall's pixels: one new line drawn per call, flat or as a 3D
// relief. Every scroll direction moves the whole history by a fixed step, so
// the history never moves in memory: the picture wraps around at both edges
// and a line only moves the origin where the picture as seen begins.
#include "line_placement.h"

#include <QImage>

#include <span>

class QPainter;

namespace cascadra {

// What a new line did to the picture as seen: the history moved by
// `scroll`, and `drawn` holds every pixel written besides.
struct LineChange {
    QPoint scroll;
    QRect drawn;
};

class WaterfallPicture {
public:
    WaterfallPicture();

    // Keeps what fits, anchored at the corner the newest line grows from.
    void resize(QSize size);
    // A new reading of the lines makes the old picture meaningless: clears it.
    void setLayout(Direction direction, bool view3D, int depth);
    void clear();

    LineChange addLine(std::span<const int16_t> line);

    bool isNull() const { return m_image.isNull(); }
    QSize size() const { return m_image.size(); }
    // The picture as seen, its top-left corner at (0, 0).
    QImage image() const;
    // Draws `area` of the picture at the same place, straight from the
    // wrapped pixels: at most four pieces, none of them scaled.
    void paint(QPainter& painter, const QRect& area) const;

private:
    LinePlacement placement() const { return placementFor(m_direction, m_image.size(), m_view3D, m_depth); }
    void scrollHistory(QPoint by);
    void drawFlat(const LinePlacement& at, std::span<const int16_t> line, int pixels);
    void drawRelief(const LinePlacement& at, std::span<const int16_t> line, int pixels);

    void adopt(QImage image);
    QRgb* row(int y) { return m_bits + qsizetype(y) * m_stride; }
    const QRgb* row(int y) const { return m_bits + qsizetype(y) * m_stride; }
    // Stored column and row of a pixel of the picture as seen; p inside it.
    int storedX(int x) const { return x < m_width - m_origin.x() ? x + m_origin.x() : x + m_origin.x() - m_width; }
    int storedY(int y) const { return y < m_height - m_origin.y() ? y + m_origin.y() : y + m_origin.y() - m_height; }
    QRgb& pixel(QPoint p) { return row(storedY(p.y()))[storedX(p.x())]; }

    // Written through m_bits only, so no write ever detaches it from them.
    QImage m_image;
    QRgb* m_bits = nullptr;
    qsizetype m_stride = 0;  // in pixels
    int m_width = 0;
    int m_height = 0;
    QPoint m_origin;  // where the picture's top-left pixel is stored
    Direction m_direction = DiagonalMinus45;
    bool m_view3D = false;
    int m_depth = 0;
};

}  // namespace cascadra
