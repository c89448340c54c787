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

    TrazelWidget(const ChartPicture& picture, ResizeHandler onResize);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    const ChartPicture& m_picture;
    ResizeHandler m_onResize;
};

}  // namespace trazel
