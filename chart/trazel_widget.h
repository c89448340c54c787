#pragma once
// The chart's window: shows the picture's window image and reports its
// client size to the control.
#include <QWidget>

#include <functional>

namespace trazel {

class ChartPicture;

class TrazelWidget : public QWidget {
public:
    using ResizeHandler = std::function<void(int width, int height)>;

    // Repaints what the picture says changed, for as long as the widget lives.
    TrazelWidget(ChartPicture& picture, ResizeHandler onResize);
    ~TrazelWidget() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    ChartPicture& m_picture;
    ResizeHandler m_onResize;
};

}  // namespace trazel
