#include "trazel_widget.h"

#include "chart_mouse.h"
#include "chart_picture.h"

#include <QMouseEvent>
#include <QWheelEvent>

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

#include <cmath>
#include <optional>

namespace trazel {

TrazelWidget::TrazelWidget(ChartPicture& picture, ChartMouse& mouse, ResizeHandler onResize)
    : m_picture(picture), m_mouse(mouse), m_onResize(std::move(onResize))
{
    // The window image covers every pixel; nothing underneath needs painting.
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_picture.windowPartChanged = [this](const QRegion& part) {
        if (devicePixelRatioF() == 1.0) {
            update(part);
            return;
        }
        QRegion logical;
        for (const QRect& r : part)
            logical += logicalRect(r);
        update(logical);
    };
}

TrazelWidget::~TrazelWidget() { m_picture.windowPartChanged = nullptr; }

QSize TrazelWidget::deviceSize() const
{
    const qreal ratio = devicePixelRatioF();
    return {int(std::lround(width() * ratio)), int(std::lround(height() * ratio))};
}

QSize TrazelWidget::logicalSize(QSize devicePixels) const
{
    const qreal ratio = devicePixelRatioF();
    return {int(std::ceil(devicePixels.width() / ratio)), int(std::ceil(devicePixels.height() / ratio))};
}

QPoint TrazelWidget::devicePoint(QPointF logical) const
{
    const qreal ratio = devicePixelRatioF();
    return {int(std::floor(logical.x() * ratio)), int(std::floor(logical.y() * ratio))};
}

QRect TrazelWidget::logicalRect(const QRect& devicePixels) const
{
    const qreal ratio = devicePixelRatioF();
    const int left = int(std::floor(devicePixels.left() / ratio)), top = int(std::floor(devicePixels.top() / ratio));
    const int right = int(std::ceil((devicePixels.right() + 1) / ratio)), bottom = int(std::ceil((devicePixels.bottom() + 1) / ratio));
    return {left, top, right - left, bottom - top};
}

void TrazelWidget::paintEvent(QPaintEvent* event)
{
    // A window moved to a screen of another density keeps its logical size
    // and gets no resize event; the picture follows the device size here.
    if (const QSize pixels = deviceSize(); m_onResize && m_picture.windowImage().size() != pixels)
        m_onResize(pixels.width(), pixels.height());
    const QImage& image = m_picture.windowImage();
    if (image.isNull())
        return;
    QPainter painter(this);
    // In device pixels, so the picture lands pixel for pixel, unscaled.
    const qreal ratio = devicePixelRatioF();
    painter.scale(1 / ratio, 1 / ratio);
    // Rectangle by rectangle, each its own clip: a plain copy, where drawing
    // through the whole region's clip would blend span by span.
    for (const QRect& logical : event->region()) {
        const QRect part = QRect(devicePoint(logical.topLeft()), devicePoint(logical.bottomRight() + QPoint(1, 1)) - QPoint(1, 1));
        painter.setClipRect(part);
        painter.drawImage(part.topLeft(), image, part);
    }
}

void TrazelWidget::resizeEvent(QResizeEvent*)
{
    if (m_onResize) {
        const QSize pixels = deviceSize();
        m_onResize(pixels.width(), pixels.height());
    }
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
        m_mouse.buttonDown(*button, devicePoint(event->position()));
}

void TrazelWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (const auto button = chartButton(event->button()))
        m_mouse.buttonUp(*button, devicePoint(event->position()));
}

void TrazelWidget::mouseMoveEvent(QMouseEvent* event) { m_mouse.pointerMoved(devicePoint(event->position())); }

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
