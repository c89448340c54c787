#include "trazel_widget.h"

#include "chart_picture.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

namespace trazel {

TrazelWidget::TrazelWidget(ChartPicture& picture, ResizeHandler onResize)
    : m_picture(picture), m_onResize(std::move(onResize))
{
    // The window image covers every pixel; nothing underneath needs painting.
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_picture.windowPartChanged = [this](const QRegion& part) { update(part); };
}

TrazelWidget::~TrazelWidget() { m_picture.windowPartChanged = nullptr; }

void TrazelWidget::paintEvent(QPaintEvent* event)
{
    const QImage& image = m_picture.windowImage();
    if (image.isNull())
        return;
    QPainter painter(this);
    // Rectangle by rectangle, each its own clip: a plain copy, where drawing
    // through the whole region's clip would blend span by span.
    for (const QRect& part : event->region()) {
        painter.setClipRect(part);
        painter.drawImage(part.topLeft(), image, part);
    }
}

void TrazelWidget::resizeEvent(QResizeEvent* event)
{
    if (m_onResize)
        m_onResize(event->size().width(), event->size().height());
}

}  // namespace trazel
