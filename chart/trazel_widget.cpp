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
    for (const QRect& part : event->region())
        painter.drawImage(part.topLeft(), image, part);
}

void TrazelWidget::resizeEvent(QResizeEvent* event)
{
    if (m_onResize)
        m_onResize(event->size().width(), event->size().height());
}

}  // namespace trazel
