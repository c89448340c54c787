#include "waterfall_view.h"

#include "colour_scale.h"
#include "waterfall_picture.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace cascadra {

WaterfallView::WaterfallView(WaterfallPicture& picture, PointerHandler onPointer)
    : m_picture(picture)
    , m_onPointer(std::move(onPointer))
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMinimumSize(0, 0);
}

QSize WaterfallView::deviceSize() const
{
    const qreal ratio = devicePixelRatioF();
    return {int(std::lround(width() * ratio)), int(std::lround(height() * ratio))};
}

QPoint WaterfallView::devicePoint(QPointF logical) const
{
    const qreal ratio = devicePixelRatioF();
    return {int(std::floor(logical.x() * ratio)), int(std::floor(logical.y() * ratio))};
}

QRect WaterfallView::deviceRect(const QRect& logical) const
{
    return {devicePoint(logical.topLeft()), devicePoint(logical.bottomRight() + QPoint(1, 1)) - QPoint(1, 1)};
}

QRect WaterfallView::logicalRect(const QRect& devicePixels) const
{
    const qreal ratio = devicePixelRatioF();
    const int left = int(std::floor(devicePixels.left() / ratio)), top = int(std::floor(devicePixels.top() / ratio));
    const int right = int(std::ceil((devicePixels.right() + 1) / ratio)), bottom = int(std::ceil((devicePixels.bottom() + 1) / ratio));
    return {left, top, right - left, bottom - top};
}

void WaterfallView::fitPicture() { m_picture.resize(deviceSize()); }

void WaterfallView::showLine(const LineChange& change)
{
    // The window's picture moves with the history where the move is whole
    // logical pixels; a move of part of one is repainted instead.
    const qreal ratio = devicePixelRatioF();
    const QPointF by = QPointF(change.scroll) / ratio;
    if (by.x() != std::round(by.x()) || by.y() != std::round(by.y())) {
        update();
        return;
    }
    scroll(int(by.x()), int(by.y()));
    update(logicalRect(change.drawn));
}

void WaterfallView::paintEvent(QPaintEvent* event)
{
    fitPicture();
    QPainter painter(this);
    // In device pixels, so the picture lands pixel for pixel, unscaled.
    const qreal ratio = devicePixelRatioF();
    painter.scale(1 / ratio, 1 / ratio);
    // Rectangle by rectangle, each its own clip: a plain copy, where drawing
    // through the whole region's clip would blend span by span.
    for (const QRect& logical : event->region()) {
        const QRect part = deviceRect(logical);
        painter.setClipRect(part);
        if (m_picture.isNull())
            painter.fillRect(part, QColor::fromRgb(ColourScale::instance().backdrop()));
        else
            m_picture.paint(painter, part);
    }
}

void WaterfallView::resizeEvent(QResizeEvent*) { fitPicture(); }

void WaterfallView::mouseMoveEvent(QMouseEvent* event) { m_onPointer(devicePoint(event->position())); }

void WaterfallView::mousePressEvent(QMouseEvent* event) { m_onPointer(devicePoint(event->position())); }

}  // namespace cascadra
