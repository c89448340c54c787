#include "picture_icons.h"

#include <QPainter>
#include <QPixmap>
#include <QStyle>

namespace vellarin::icons {

namespace {

constexpr int side = 16;

template <class Draw> QIcon drawn(Draw draw)
{
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, false);
    draw(painter);
    painter.end();
    return QIcon(pixmap);
}

}  // namespace

QIcon start(const QStyle* style) { return style->standardIcon(QStyle::SP_MediaPlay); }
QIcon stop(const QStyle* style) { return style->standardIcon(QStyle::SP_MediaStop); }

QIcon copyPicture()
{
    return QIcon::fromTheme(QStringLiteral("edit-copy"), drawn([](QPainter& p) {
        p.setPen(QColor(40, 40, 40));
        p.setBrush(QColor(235, 235, 235));
        p.drawRect(1, 1, 9, 11);
        p.setBrush(Qt::white);
        p.drawRect(5, 4, 9, 11);
        p.setPen(QColor(70, 110, 200));
        for (int y = 7; y <= 12; y += 2)
            p.drawLine(7, y, 12, y);
    }));
}

QIcon bestDynamicRange()
{
    return QIcon::fromTheme(QStringLiteral("zoom-fit-best"), drawn([](QPainter& p) {
        const QColor ink(30, 60, 160);
        p.setPen(ink);
        p.drawLine(2, 1, 13, 1);
        p.drawLine(2, 14, 13, 14);
        p.drawLine(7, 3, 7, 12);
        p.drawLine(8, 3, 8, 12);
        p.setBrush(ink);
        p.drawPolygon(QPolygon({QPoint(4, 6), QPoint(7, 3), QPoint(8, 3), QPoint(11, 6)}));
        p.drawPolygon(QPolygon({QPoint(4, 9), QPoint(7, 12), QPoint(8, 12), QPoint(11, 9)}));
    }));
}

}  // namespace vellarin::icons
