#pragma once
// Window geometry in twips (1/1440 inch): 15 twips per pixel at 96 dots per
// inch, taken from the screen's logical resolution.
#include <QWidget>

namespace vellarin {

struct TwipsScale {
    double perPixelX = 15.0;
    double perPixelY = 15.0;

    static TwipsScale of(const QWidget* widget)
    {
        const int dpiX = widget->logicalDpiX();
        const int dpiY = widget->logicalDpiY();
        return {dpiX > 0 ? 1440.0 / dpiX : 15.0, dpiY > 0 ? 1440.0 / dpiY : 15.0};
    }

    int toPixelsX(double twips) const;
    int toPixelsY(double twips) const;
    QRect toPixels(double left, double top, double width, double height) const
    {
        return {toPixelsX(left), toPixelsY(top), toPixelsX(width), toPixelsY(height)};
    }
};

}  // namespace vellarin
