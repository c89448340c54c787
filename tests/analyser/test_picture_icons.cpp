// The picture buttons' icons at each density of screen: drawn at the
// screen's own resolution, a one-pixel line of the 16 x 16 design is as many
// whole device pixels wide as the ratio, with no blurred edge.
#include "picture_icons.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QColor>
#include <QTest>

using namespace vellarin;

class PictureIconsTest : public QObject {
    Q_OBJECT
private slots:
    // The top bar of the level span icon runs along logical row 1, from
    // column 2 to 13, on nothing; the copy icon's first line of text runs
    // along row 7, from column 7 to 12, on the white front sheet; the span's
    // shaft is two columns wide, 7 and 8, and crosses row 7 clear of its
    // arrow heads.
    void lineOneLogicalPixelWide_data()
    {
        QTest::addColumn<QIcon>("icon");
        QTest::addColumn<bool>("horizontal");  // the line runs along a row
        QTest::addColumn<int>("at");           // the logical row or column of the line
        QTest::addColumn<int>("along");        // a logical pixel on the line
        QTest::addColumn<int>("width");        // logical pixels
        QTest::addColumn<QColor>("ink");
        QTest::addColumn<QColor>("ground");
        QTest::addColumn<int>("ratio");
        const QColor span(30, 60, 160), text(70, 110, 200);
        for (const int ratio : {1, 2, 3}) {
            const QByteArray density = " at " + QByteArray::number(ratio) + "x";
            QTest::newRow("level span, top bar" + density)
                << icons::bestDynamicRange() << true << 1 << 9 << 1 << span << QColor(Qt::transparent) << ratio;
            QTest::newRow("level span, shaft" + density)
                << icons::bestDynamicRange() << false << 7 << 7 << 2 << span << QColor(Qt::transparent) << ratio;
            QTest::newRow("copy, a line of text" + density)
                << icons::copyPicture() << true << 7 << 9 << 1 << text << QColor(Qt::white) << ratio;
        }
    }
    void lineOneLogicalPixelWide()
    {
        QFETCH(QIcon, icon);
        QFETCH(bool, horizontal);
        QFETCH(int, at);
        QFETCH(int, along);
        QFETCH(int, width);
        QFETCH(QColor, ink);
        QFETCH(QColor, ground);
        QFETCH(int, ratio);
        const QPixmap pixmap = icon.pixmap(QSize(16, 16), qreal(ratio));
        QCOMPARE(pixmap.devicePixelRatio(), qreal(ratio));
        const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(image.size(), QSize(16, 16) * ratio);
        // Across the line: ground, then `width` x `ratio` device pixels of
        // ink, then ground again; nothing blended on either side.
        const int middle = along * ratio + ratio / 2;
        for (int d = (at - 1) * ratio; d < (at + width + 1) * ratio; ++d) {
            const QPoint p = horizontal ? QPoint(middle, d) : QPoint(d, middle);
            const bool onLine = d >= at * ratio && d < (at + width) * ratio;
            const QRgb expected = (onLine ? ink : ground).rgba();
            QVERIFY2(image.pixel(p) == expected, qPrintable(QString("device pixel %1 is %2, not %3")
                                                                .arg(d)
                                                                .arg(image.pixel(p), 8, 16, QChar('0'))
                                                                .arg(expected, 8, 16, QChar('0'))));
        }
    }
};

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    PictureIconsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_picture_icons.moc"
