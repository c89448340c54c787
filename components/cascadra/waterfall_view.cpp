#include "waterfall_view.h"

#include "colour_scale.h"
#include "waterfall_picture.h"

#include <QMouseEvent>
#include <QPainter>

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

void WaterfallView::fitPicture() { m_picture.resize(size()); }

void WaterfallView::showLine(const LineChange& change)
{
    scroll(change.scroll.x(), change.scroll.y());
    update(change.drawn);
}

void WaterfallView::paintEvent(QPaintEvent* event)
{
    fitPicture();
    QPainter painter(this);
    // Rectangle by rectangle, each its own clip: a plain copy, where drawing
    // through the whole region's clip would blend span by span.
    for (const QRect& part : event->region()) {
        painter.setClipRect(part);
        if (m_picture.isNull())
            painter.fillRect(part, QColor::fromRgb(ColourScale::instance().backdrop()));
        else
            m_picture.paint(painter, part);
    }
}

void WaterfallView::resizeEvent(QResizeEvent*) { fitPicture(); }

void WaterfallView::mouseMoveEvent(QMouseEvent* event) { m_onPointer(event->position().toPoint()); }

void WaterfallView::mousePressEvent(QMouseEvent* event) { m_onPointer(event->position().toPoint()); }

}  // namespace cascadra
