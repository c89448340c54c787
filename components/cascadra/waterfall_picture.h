#pragma once
// The waterfall's pixels: history that scrolls by moving memory, one new
// line drawn per call, flat or as a 3D relief.
#include "line_placement.h"

#include <QImage>

#include <span>

namespace cascadra {

class WaterfallPicture {
public:
    WaterfallPicture();

    // Keeps what fits, anchored at the corner the newest line grows from.
    void resize(QSize size);
    // A new reading of the lines makes the old picture meaningless: clears it.
    void setLayout(Direction direction, bool view3D, int depth);
    void clear();

    void addLine(std::span<const int16_t> line);

    const QImage& image() const { return m_image; }
    QSize size() const { return m_image.size(); }

private:
    LinePlacement placement() const { return placementFor(m_direction, m_image.size(), m_view3D, m_depth); }
    void scrollHistory(QPoint by);
    void drawFlat(const LinePlacement& at, std::span<const int16_t> line, int pixels);
    void drawRelief(const LinePlacement& at, std::span<const int16_t> line, int pixels);
    QRgb* row(int y) { return reinterpret_cast<QRgb*>(m_image.scanLine(y)); }

    QImage m_image;
    Direction m_direction = DiagonalMinus45;
    bool m_view3D = false;
    int m_depth = 0;
};

}  // namespace cascadra
