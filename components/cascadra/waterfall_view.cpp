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
    m_unshownScroll += change.scroll;
    m_unshownDrawn = m_unshownDrawn.translated(change.scroll) | change.drawn;
    ++m_unshownLines;
    const qreal ratio = devicePixelRatioF();
    const QPointF by = QPointF(m_unshownScroll) / ratio;
    if (by.x() != std::round(by.x()) || by.y() != std::round(by.y())) {
        // A ratio such as 1.25 takes four lines to a whole pixel; past that
        // the picture is repainted whole.
        if (m_unshownLines < 4)
            return;
        update();
    } else {
        scroll(int(by.x()), int(by.y()));
        update(logicalRect(m_unshownDrawn));
    }
    m_unshownScroll = {};
    m_unshownDrawn = {};
    m_unshownLines = 0;
}

void WaterfallView::paintEvent(QPaintEvent* event)
{
    fitPicture();
    // Painting part of the window while moves are held back would put that
    // part ahead of the rest: the whole picture is shown as it is instead.
    if (m_unshownLines > 0) {
        m_unshownScroll = {};
        m_unshownDrawn = {};
        m_unshownLines = 0;
        if (event->region() != QRegion(rect())) {
            update();
            return;
        }
    }
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

// What is under the pointer has moved on in the picture by the moves not yet shown.
void WaterfallView::mouseMoveEvent(QMouseEvent* event) { m_onPointer(devicePoint(event->position()) + m_unshownScroll); }

void WaterfallView::mousePressEvent(QMouseEvent* event) { m_onPointer(devicePoint(event->position()) + m_unshownScroll); }

}  // namespace cascadra
