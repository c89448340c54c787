// The waterfall on a screen of two device pixels to the logical one: its
// picture has the screen's own pixels, so a line is one device pixel thick
// and its elements one device pixel apart, and the pointer is reported in the
// same pixels the lines are laid out in.
#include "waterfall_probe.h"

#include <automation/host.h>

#include <QApplication>
#include <QBackingStore>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>

using namespace automation;

namespace {

const QSize logicalSize(60, 40);  // 120 x 80 device pixels
const QSize devicePicture = logicalSize * 2;

struct CursorSink : EventSink {
    QPoint last{-1, -1};
    void onEvent(DispId, std::span<const Variant> args) override
    {
        if (args.size() == 2)
            last = {asShort(args[0]), asShort(args[1])};
    }
};

}  // namespace

class TestCascadraDevicePixels : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QCOMPARE(qApp->devicePixelRatio(), 2.0); }

    // Two flat lines of levels rising along them: each element on its own
    // device pixel, the newer line one device pixel on from the older.
    void linesOneDevicePixelThick_data()
    {
        QTest::addColumn<int>("direction");
        QTest::newRow("Bottom to Top") << 1;
        QTest::newRow("Top to Bottom") << 3;
        QTest::newRow("Right to Left") << 2;
        QTest::newRow("45 degree") << 0;
    }
    void linesOneDevicePixelThick()
    {
        QFETCH(int, direction);
        WaterfallProbe waterfall(logicalSize, direction, 0);
        std::vector<int16_t> older(200), newer(200);
        for (size_t i = 0; i < older.size(); ++i) {
            older[i] = int16_t(100 * i);
            newer[i] = int16_t(32767 - 100 * i);
        }
        QCOMPARE(waterfall.addLine(older), hr::ok);
        QCOMPARE(waterfall.addLine(newer), hr::ok);
        const QImage picture = waterfall.picture();
        QCOMPARE(picture.size(), devicePicture);
        for (int i : {0, 1, 2, 3, 37}) {
            const QPoint atNewer = basePixel(direction, false, 0, devicePicture, 0, i);
            const QPoint atOlder = basePixel(direction, false, 0, devicePicture, 1, i);
            const QString where = QStringLiteral("element %1").arg(i);
            QVERIFY2(picture.pixel(atNewer) == waterfall.colourOf(newer[size_t(i)]), qPrintable(where));
            QVERIFY2(picture.pixel(atOlder) == waterfall.colourOf(older[size_t(i)]), qPrintable(where));
        }
    }

    // What the screen shows follows the picture though a line moves it by
    // half a logical pixel: after every second line it is the picture.
    void screenFollowsThePicture_data()
    {
        QTest::addColumn<int>("direction");
        QTest::addColumn<int>("view3D");
        QTest::newRow("Top to Bottom") << 3 << 0;
        QTest::newRow("-45 degree, 3D") << 4 << 1;
        QTest::newRow("Right to Left") << 2 << 0;
    }
    void screenFollowsThePicture()
    {
        QFETCH(int, direction);
        QFETCH(int, view3D);
        WaterfallProbe waterfall(logicalSize, direction, view3D);
        QWidget* view = waterfall.view();
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view));
        std::vector<int16_t> line(200);
        for (int n = 1; n <= 6; ++n) {
            for (size_t i = 0; i < line.size(); ++i)
                line[i] = int16_t((5000 * n + 700 * int(i)) % 32768);
            QCOMPARE(waterfall.addLine(line), hr::ok);
            QCoreApplication::processEvents();
            if (n % 2)
                continue;
            // The window's own pixels, as the screen has them: a grab would paint afresh.
            QPaintDevice* device = view->backingStore()->paintDevice();
            QVERIFY(device && device->devType() == QInternal::Image);
            const QImage shown = static_cast<QImage*>(device)->convertToFormat(QImage::Format_RGB32);
            const QImage picture = waterfall.picture().convertToFormat(QImage::Format_RGB32);
            QCOMPARE(shown.size(), picture.size());
            QVERIFY2(shown == picture, qPrintable(QStringLiteral("after %1 lines").arg(n)));
        }
    }

    void pointerInDevicePixels()
    {
        WaterfallProbe waterfall(logicalSize, 1, 0);
        waterfall.view()->show();
        QVERIFY(QTest::qWaitForWindowExposed(waterfall.view()));
        CursorSink sink;
        waterfall.component().connectionPoint()->advise(&sink);
        // Sent straight to the widget: a logical position between pixels
        // falls on the device pixel under it.
        const QPointF at(21.5, 13.25);
        QMouseEvent move(QEvent::MouseMove, at, waterfall.view()->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(waterfall.view(), &move);
        QCOMPARE(sink.last, QPoint(43, 26));
    }
};

int main(int argc, char* argv[])
{
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestCascadraDevicePixels test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_cascadra_device_pixels.moc"
