#include "chart_picture.h"

namespace trazel {

void ChartPicture::resize(int width, int height)
{
    DisplayImage = QImage(width, height, QImage::Format_RGB32);
    TraceLayer = QImage(width, height, QImage::Format_RGB32);
    GridOverlay = QImage(width, height, QImage::Format_RGB32);
    FadeSurface = QImage(width, height, QImage::Format_RGB32);
    m_window = QImage(width, height, QImage::Format_RGB32);
}

void ChartPicture::redraw(TrazelState&) {}

void ChartPicture::plot(TrazelState&, const int16_t*, int, int, DataCall) {}

void ChartPicture::copyToClipboard() {}

}  // namespace trazel
