#include "picture_icons.h"

#include <QPainter>
#include <QPixmap>
#include <QStyle>

namespace vellarin::icons {

namespace {

constexpr int side = 16;

// One picture for each density of screen in common use, each drawn in the
// same 16 x 16 logical pixels at its own resolution, so a denser screen
// shows a sharp icon rather than an enlarged 16 x 16 one.
template <class Draw> QIcon drawn(Draw draw)
{
    QIcon icon;
    for (const int ratio : {1, 2, 3}) {
        QPixmap pixmap(side * ratio, side * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        // Above one device pixel to the logical one the edges of a one-pixel
        // line fall on device pixel edges when drawn through pixel centres,
        // so smoothing only rounds the slanted edges.
        if (ratio > 1) {
            painter.setRenderHint(QPainter::Antialiasing, true);
            painter.translate(0.5, 0.5);
        }
        draw(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace

QIcon start(const QStyle* style) { return style->standardIcon(QStyle::SP_MediaPlay); }
QIcon stop(const QStyle* style) { return style->standardIcon(QStyle::SP_MediaStop); }

QIcon copyPicture()
{
    // Drawn here rather than looked up in the desktop's theme, whose icons
    // would load image format plugins for this one picture.
    return drawn([](QPainter& p) {
        p.setPen(QColor(40, 40, 40));
        p.setBrush(QColor(235, 235, 235));
        p.drawRect(1, 1, 9, 11);
        p.setBrush(Qt::white);
        p.drawRect(5, 4, 9, 11);
        p.setPen(QColor(70, 110, 200));
        for (int y = 7; y <= 12; y += 2)
            p.drawLine(7, y, 12, y);
    });
}

QIcon bestDynamicRange()
{
    return drawn([](QPainter& p) {
        const QColor ink(30, 60, 160);
        p.setPen(ink);
        p.drawLine(2, 1, 13, 1);
        p.drawLine(2, 14, 13, 14);
        p.drawLine(7, 3, 7, 12);
        p.drawLine(8, 3, 8, 12);
        p.setBrush(ink);
        p.drawPolygon(QPolygon({QPoint(4, 6), QPoint(7, 3), QPoint(8, 3), QPoint(11, 6)}));
        p.drawPolygon(QPolygon({QPoint(4, 9), QPoint(7, 12), QPoint(8, 12), QPoint(11, 9)}));
    });
}

}  // namespace vellarin::icons
