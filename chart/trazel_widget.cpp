#include "trazel_widget.h"

#include "chart_picture.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

namespace trazel {

TrazelWidget::TrazelWidget(const ChartPicture& picture, ResizeHandler onResize)
    : m_picture(picture), m_onResize(std::move(onResize))
{
    // The window image covers every pixel; nothing underneath needs painting.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TrazelWidget::paintEvent(QPaintEvent* event)
{
    const QImage& image = m_picture.windowImage();
    if (image.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(event->rect(), image, event->rect());
}

void TrazelWidget::resizeEvent(QResizeEvent* event)
{
    if (m_onResize)
        m_onResize(event->size().width(), event->size().height());
}

}  // namespace trazel
