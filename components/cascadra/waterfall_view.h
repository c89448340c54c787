#pragma once
// The widget a host embeds: shows the picture at its own size and reports
// where the pointer is.
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
    // line and the ground it uncovered.
    void showLine(const LineChange& change);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    WaterfallPicture& m_picture;
    PointerHandler m_onPointer;
};

}  // namespace cascadra
