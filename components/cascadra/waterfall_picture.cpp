#include "waterfall_picture.h"

#include "colour_scale.h"

#include <QPainter>

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
// colour, its flank darkens toward the ground (light 140..230 of 256, rising
// with the step k of `height` as 140 + 90 k / height), so each ridge stands
// out from the slope of the line in front of it.
QRgb shaded(QRgb c, int light)
{
    return qRgb(qRed(c) * light >> 8, qGreen(c) * light >> 8, qBlue(c) * light >> 8);
}

int wrapped(int value, int extent) { return (value % extent + extent) % extent; }

}  // namespace

WaterfallPicture::WaterfallPicture() = default;

void WaterfallPicture::adopt(QImage image)
{
    m_image = std::move(image);
    m_bits = m_image.isNull() ? nullptr : reinterpret_cast<QRgb*>(m_image.bits());
    m_stride = m_image.bytesPerLine() / qsizetype(sizeof(QRgb));
    m_width = m_image.width();
    m_height = m_image.height();
    m_origin = {};
}

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
        const QImage seen = image();
        const LinePlacement p = placement();
        const int columns = std::min(size.width(), m_width);
        const int rows = std::min(size.height(), m_height);
        const int fromX = p.anchorRight ? m_width - columns : 0;
        const int toX = p.anchorRight ? size.width() - columns : 0;
        const int fromY = p.anchorBottom ? m_height - rows : 0;
        const int toY = p.anchorBottom ? size.height() - rows : 0;
        for (int y = 0; y < rows; ++y)
            std::memcpy(reinterpret_cast<QRgb*>(next.scanLine(toY + y)) + toX,
                        reinterpret_cast<const QRgb*>(seen.constScanLine(fromY + y)) + fromX,
                        static_cast<size_t>(columns) * sizeof(QRgb));
    }
    adopt(std::move(next));
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
    for (int y = 0; y < m_height; ++y)
        std::fill(row(y), row(y) + m_width, scale().backdrop());
}

LineChange WaterfallPicture::addLine(std::span<const int16_t> line)
{
    if (m_image.isNull())
        return {};
    const LinePlacement at = placement();
    scrollHistory(at.scroll);
    const int pixels = pixelsAlong(at, m_image.size());
    if (pixels <= 0)
        return {at.scroll, {}};
    if (m_view3D)
        drawRelief(at, line, pixels);
    else
        drawFlat(at, line, pixels);
    const QPoint end = at.origin + (pixels - 1) * at.step;
    QRect drawn(QPoint(std::min(at.origin.x(), end.x()), std::min(at.origin.y(), end.y())),
                QPoint(std::max(at.origin.x(), end.x()), std::max(at.origin.y(), end.y())));
    if (m_view3D)
        drawn |= drawn.translated(m_depth * at.rise);
    return {at.scroll, drawn & QRect(QPoint(), m_image.size())};
}

// The history moves by `by` when the origin moves the other way; what comes
// round from the far edges is the ground uncovered at the near ones.
void WaterfallPicture::scrollHistory(QPoint by)
{
    const int dx = by.x(), dy = by.y();
    if (std::abs(dx) >= m_width || std::abs(dy) >= m_height) {
        clear();
        return;
    }
    const QRgb ground = scale().backdrop();
    m_origin = {wrapped(m_origin.x() - dx, m_width), wrapped(m_origin.y() - dy, m_height)};
    for (int k = 0; k < std::abs(dy); ++k) {
        QRgb* uncovered = row(storedY(dy > 0 ? k : m_height - 1 - k));
        std::fill(uncovered, uncovered + m_width, ground);
    }
    for (int k = 0; k < std::abs(dx); ++k) {
        const int x = storedX(dx > 0 ? k : m_width - 1 - k);
        for (int y = 0; y < m_height; ++y)
            row(y)[x] = ground;
    }
}

void WaterfallPicture::drawFlat(const LinePlacement& at, std::span<const int16_t> line, int pixels)
{
    const ColourScale& colours = scale();
    const int drawn = std::min<int>(pixels, static_cast<int>(line.size()));
    QPoint p = at.origin;
    for (int i = 0; i < pixels; ++i, p += at.step)
        pixel(p) = i < drawn ? colours.colourOf(line[static_cast<size_t>(i)]) : colours.noData();
}

void WaterfallPicture::drawRelief(const LinePlacement& at, std::span<const int16_t> line, int pixels)
{
    const ColourScale& colours = scale();
    const QRgb ground = colours.backdrop();
    // A relief rises up or to the left. Its pixels are walked in storage,
    // one pointer step each, jumping back across the far edge where the
    // stored picture wraps.
    const bool risesUp = at.rise.y() != 0;
    const qsizetype riseStep = risesUp ? -m_stride : -1;
    const qsizetype wrapJump = risesUp ? qsizetype(m_height) * m_stride : m_width;
    QPoint base = at.origin;
    for (int i = 0; i < pixels; ++i, base += at.step) {
        const int16_t level = i < static_cast<int>(line.size()) ? line[static_cast<size_t>(i)] : noDataLevel;
        const QRgb surface = colours.colourOf(level);
        const int height3D = level == noDataLevel ? 0 : reliefHeight(level, m_depth);
        // Steps before the relief would leave the picture as seen, and never
        // more than the picture's extent across.
        const int room = risesUp ? std::min(base.y(), m_width) : std::min(base.x(), m_height);
        const int top = std::min(height3D, room);
        QRgb* target = &pixel(base);
        int untilWrap = (risesUp ? storedY(base.y()) : storedX(base.x())) + 1;
        // The flank's light, 140 + 90 k / height, carried from step to step
        // (a flat line is all crest, whatever its light).
        const int height = std::max(height3D, 1);
        const int lightStep = 90 / height, lightCarry = 90 % height;
        int light = 140, carried = 0;
        for (int k = 0; k <= top; ++k) {
            if (at.newestInFront || *target == ground)
                *target = k >= height3D ? surface : shaded(surface, light);
            light += lightStep;
            carried += lightCarry;
            if (carried >= height) {
                carried -= height;
                ++light;
            }
            target += riseStep;
            if (--untilWrap == 0)
                target += wrapJump;
        }
    }
}

QImage WaterfallPicture::image() const
{
    if (m_image.isNull())
        return {};
    QImage seen(m_image.size(), QImage::Format_RGB32);
    const int right = m_width - m_origin.x();  // columns before the seam
    for (int y = 0; y < m_height; ++y) {
        const QRgb* stored = row(storedY(y));
        auto* target = reinterpret_cast<QRgb*>(seen.scanLine(y));
        std::copy(stored + m_origin.x(), stored + m_width, target);
        std::copy(stored, stored + m_origin.x(), target + right);
    }
    return seen;
}

void WaterfallPicture::paint(QPainter& painter, const QRect& area) const
{
    const QRect wanted = area & QRect(QPoint(), m_image.size());
    if (wanted.isEmpty())
        return;
    // The seams split the picture as seen into up to four pieces, each one
    // stored in a single block.
    const int seamX = m_width - m_origin.x(), seamY = m_height - m_origin.y();
    const QRect pieces[] = {
        QRect(0, 0, seamX, seamY), QRect(seamX, 0, m_origin.x(), seamY),
        QRect(0, seamY, seamX, m_origin.y()), QRect(seamX, seamY, m_origin.x(), m_origin.y())};
    for (const QRect& piece : pieces) {
        const QRect part = piece & wanted;
        if (part.isEmpty())
            continue;
        const QPoint stored(storedX(part.left()), storedY(part.top()));
        painter.drawImage(part.topLeft(), m_image, QRect(stored, part.size()));
    }
}

}  // namespace cascadra
