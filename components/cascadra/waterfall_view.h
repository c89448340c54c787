#pragma once
// The widget a host embeds: shows the picture at its own size and reports
// where the pointer is. The picture counts device pixels, one stored pixel to
// each pixel of the screen, so a ratio of two device pixels to the logical
// one doubles its lines' length and its history, and the pointer is reported
// in the same pixels.
#include <QWidget>

#include <functional>

namespace cascadra {

class WaterfallPicture;
struct LineChange;

class WaterfallView final : public QWidget {
public:
    using PointerHandler = std::function<void(QPoint)>;

    WaterfallView(WaterfallPicture& picture, PointerHandler onPointer);

    // Brings the picture to the widget's current size; a hidden widget gets
    // no resize event until it is shown, so callers ask before drawing.
    void fitPicture();
    // Moves what is on screen with the history and repaints only the new
    // line and the ground it uncovered. Where a line moves the history by
    // part of a logical pixel (two device pixels to one), the moves are kept
    // until they make whole ones, so every other line shows a tick late
    // rather than the whole waterfall being repainted every line.
    void showLine(const LineChange& change);

    // The widget's size in device pixels.
    QSize deviceSize() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QPoint devicePoint(QPointF logical) const;
    QRect deviceRect(const QRect& logical) const;
    QRect logicalRect(const QRect& devicePixels) const;

    WaterfallPicture& m_picture;
    PointerHandler m_onPointer;
    // The history's move since the screen last followed it, in device
    // pixels, and what was drawn since, where it lies in the picture now.
    QPoint m_unshownScroll;
    QRect m_unshownDrawn;
    int m_unshownLines = 0;
};

}  // namespace cascadra
