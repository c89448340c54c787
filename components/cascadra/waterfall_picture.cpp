#include "waterfall_picture.h"

#include "colour_scale.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace cascadra {

namespace {

const ColourScale& scale() { return ColourScale::instance(); }

// Relief height of a level: the full scale rises Depth3D pixels.
int reliefHeight(int16_t level, int depth)
{
    return level <= 0 ? 0 : (level * depth + 16383) / 32767;
}

// Light falls from above: the crest of a relief shows the level's own
// colour, its flank darkens toward the ground, so each ridge stands out from
// the slope of the line in front of it.
QRgb flankShade(QRgb c, int k, int height)
{
    if (k >= height)
        return c;
    const int light = 140 + 90 * k / height;  // of 256
    return qRgb(qRed(c) * light >> 8, qGreen(c) * light >> 8, qBlue(c) * light >> 8);
}

}  // namespace

WaterfallPicture::WaterfallPicture() = default;

void WaterfallPicture::resize(QSize size)
{
    size = size.expandedTo(QSize(0, 0));
    if (size == m_image.size())
        return;
    QImage next;
    if (!size.isEmpty()) {
        next = QImage(size, QImage::Format_RGB32);
        next.fill(scale().backdrop());
    }
    if (!next.isNull() && !m_image.isNull()) {
        const LinePlacement p = placement();
        const int columns = std::min(size.width(), m_image.width());
        const int rows = std::min(size.height(), m_image.height());
        const int fromX = p.anchorRight ? m_image.width() - columns : 0;
        const int toX = p.anchorRight ? size.width() - columns : 0;
        const int fromY = p.anchorBottom ? m_image.height() - rows : 0;
        const int toY = p.anchorBottom ? size.height() - rows : 0;
        for (int y = 0; y < rows; ++y)
            std::memcpy(reinterpret_cast<QRgb*>(next.scanLine(toY + y)) + toX,
                        reinterpret_cast<const QRgb*>(m_image.constScanLine(fromY + y)) + fromX,
                        static_cast<size_t>(columns) * sizeof(QRgb));
    }
    m_image = std::move(next);
}

void WaterfallPicture::setLayout(Direction direction, bool view3D, int depth)
{
    if (direction == m_direction && view3D == m_view3D && depth == m_depth)
        return;
    m_direction = direction;
    m_view3D = view3D;
    m_depth = depth;
    clear();
}

void WaterfallPicture::clear()
{
    if (!m_image.isNull())
        m_image.fill(scale().backdrop());
}

void WaterfallPicture::addLine(std::span<const int16_t> line)
{
    if (m_image.isNull())
        return;
    const LinePlacement at = placement();
    scrollHistory(at.scroll);
    const int pixels = pixelsAlong(at, m_image.size());
    if (m_view3D)
        drawRelief(at, line, pixels);
    else
        drawFlat(at, line, pixels);
}

// Moves every row by one memmove, walking the rows so that each is read
// before it is overwritten; the ground uncovered at the edges is backdrop.
void WaterfallPicture::scrollHistory(QPoint by)
{
    const int width = m_image.width(), height = m_image.height();
    const int dx = by.x(), dy = by.y();
    const int rowsKept = height - std::abs(dy), columnsKept = width - std::abs(dx);
    const QRgb ground = scale().backdrop();
    if (rowsKept <= 0 || columnsKept <= 0) {
        m_image.fill(ground);
        return;
    }
    for (int k = 0; k < rowsKept; ++k) {
        const int to = dy > 0 ? height - 1 - k : k;
        QRgb* target = row(to);
        const QRgb* source = row(to - dy);
        std::memmove(target + std::max(dx, 0), source + std::max(-dx, 0), static_cast<size_t>(columnsKept) * sizeof(QRgb));
        if (dx > 0)
            std::fill(target, target + dx, ground);
        else if (dx < 0)
            std::fill(target + columnsKept, target + width, ground);
    }
    const int firstVacated = dy > 0 ? 0 : rowsKept;
    for (int y = firstVacated; y < firstVacated + std::abs(dy); ++y)
        std::fill(row(y), row(y) + width, ground);
}

void WaterfallPicture::drawFlat(const LinePlacement& at, std::span<const int16_t> line, int pixels)
{
    const ColourScale& colours = scale();
    const int drawn = std::min<int>(pixels, static_cast<int>(line.size()));
    QPoint p = at.origin;
    for (int i = 0; i < pixels; ++i, p += at.step)
        row(p.y())[p.x()] = i < drawn ? colours.colourOf(line[static_cast<size_t>(i)]) : colours.noData();
}

void WaterfallPicture::drawRelief(const LinePlacement& at, std::span<const int16_t> line, int pixels)
{
    const ColourScale& colours = scale();
    const QRgb ground = colours.backdrop();
    const int width = m_image.width(), height = m_image.height();
    QPoint base = at.origin;
    for (int i = 0; i < pixels; ++i, base += at.step) {
        const int16_t level = i < static_cast<int>(line.size()) ? line[static_cast<size_t>(i)] : noDataLevel;
        const QRgb surface = colours.colourOf(level);
        const int height3D = level == noDataLevel ? 0 : reliefHeight(level, m_depth);
        QPoint p = base;
        for (int k = 0; k <= height3D; ++k, p += at.rise) {
            if (p.x() < 0 || p.y() < 0 || p.x() >= width || p.y() >= height)
                break;
            QRgb& pixel = row(p.y())[p.x()];
            if (at.newestInFront || pixel == ground)
                pixel = flankShade(surface, k, height3D);
        }
    }
}

}  // namespace cascadra
