#include "trazel_widget.h"

#include "chart_mouse.h"
#include "chart_picture.h"

#include <QMouseEvent>
#include <QWheelEvent>

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

#include <optional>

namespace trazel {

TrazelWidget::TrazelWidget(ChartPicture& picture, ChartMouse& mouse, ResizeHandler onResize)
    : m_picture(picture), m_mouse(mouse), m_onResize(std::move(onResize))
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

namespace {

std::optional<MouseButton> chartButton(Qt::MouseButton button)
{
    if (button == Qt::LeftButton)
        return MouseButton::Left;
    if (button == Qt::RightButton)
        return MouseButton::Right;
    return std::nullopt;
}

}  // namespace

// The mouse events are the chart's own: none goes on to the host's window.
// Qt delivers a double-click as press, release, double-click, release, the
// second press being the double-click itself.
void TrazelWidget::mousePressEvent(QMouseEvent* event)
{
    if (const auto button = chartButton(event->button()))
        m_mouse.buttonDown(*button, event->position().toPoint());
}

void TrazelWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (const auto button = chartButton(event->button()))
        m_mouse.buttonUp(*button, event->position().toPoint());
}

void TrazelWidget::mouseMoveEvent(QMouseEvent* event) { m_mouse.pointerMoved(event->position().toPoint()); }

void TrazelWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (const auto button = chartButton(event->button()))
        m_mouse.doubleClick(*button, event->modifiers().testFlag(Qt::ShiftModifier));
}

void TrazelWidget::wheelEvent(QWheelEvent* event)
{
    // Sideways scrolling is no zoom; a locked chart leaves the wheel to its parent.
    const int rotation = event->angleDelta().y();
    if (rotation == 0 || !m_mouse.wheel(rotation))
        event->ignore();
}

// A release the window never sees would leave the figure up and the
// chart's window frozen under it.
void TrazelWidget::hideEvent(QHideEvent*) { m_mouse.cancel(); }

void TrazelWidget::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        m_mouse.cancel();
    QWidget::changeEvent(event);
}

}  // namespace trazel
