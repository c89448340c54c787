#pragma once
// The chart's window: shows the picture's window image, reports its client
// size to the control and hands the mouse to the chart's mouse handling.
//
// The chart counts device pixels: on a screen of two device pixels to the
// logical one its picture has twice the columns and rows, one pixel of a
// trace or a grid line is one device pixel, and pointer positions and
// repainted parts are converted at this one border.
#include <QWidget>

#include <functional>

namespace trazel {

class ChartMouse;
class ChartPicture;

class TrazelWidget : public QWidget {
public:
    using ResizeHandler = std::function<void(int width, int height)>;

    // Repaints what the picture says changed, for as long as the widget lives.
    TrazelWidget(ChartPicture& picture, ChartMouse& mouse, ResizeHandler onResize);
    ~TrazelWidget() override;

    // The client size in device pixels, and a size in device pixels as the
    // logical size that covers it.
    QSize deviceSize() const;
    QSize logicalSize(QSize devicePixels) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QPoint devicePoint(QPointF logical) const;
    QRect logicalRect(const QRect& devicePixels) const;

    ChartPicture& m_picture;
    ChartMouse& m_mouse;
    ResizeHandler m_onResize;
};

}  // namespace trazel
