// The chart on a screen of two device pixels to the logical one: its picture
// is drawn at the screen's own resolution, so a one-pixel trace or grid line
// is one device pixel wide, not a logical pixel enlarged to two, and Xmax
// counts the device pixels across, as does the cross-hair under the pointer.
#include "test_chart_render_host.h"

#include <QApplication>
#include <QMouseEvent>

using namespace charttest;

namespace {

constexpr int logicalWidth = 200, logicalHeight = 51;  // 400 x 102 device pixels

struct CrossHairLog : EventSink {
    QList<int32_t> offsets;
    void onEvent(DispId event, std::span<const Variant> args) override
    {
        if (event == trazel::eventid::CrossHair && args.size() == 1)
            offsets << asLong(args[0]);
    }
};

}  // namespace

class TestChartDevicePixels : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QCOMPARE(qApp->devicePixelRatio(), 2.0); }

    void countsDevicePixels()
    {
        PictureHost chart(logicalWidth, logicalHeight);
        QCOMPARE(chart.number(id::Xmax), 2 * logicalWidth);
        QCOMPARE(chart.window().size(), QSize(2 * logicalWidth, 2 * logicalHeight));
        // A width put in pixels is device pixels too.
        QCOMPARE(chart.put(id::Xmax, int32_t(300)), hr::ok);
        QCOMPARE(chart.number(id::Xmax), 300);
        QCOMPARE(chart.widget().width(), 150);
    }

    // The cross-hair names the device column under the pointer, the column
    // the host's line put there.
    void crossHairNamesTheDeviceColumn_data()
    {
        QTest::addColumn<qreal>("logicalX");
        QTest::addColumn<int32_t>("column");
        QTest::newRow("first half of a logical pixel") << 30.25 << 60;
        QTest::newRow("second half of a logical pixel") << 30.5 << 61;
        QTest::newRow("last column") << 199.75 << 399;
    }
    void crossHairNamesTheDeviceColumn()
    {
        QFETCH(qreal, logicalX);
        QFETCH(int32_t, column);
        PictureHost chart(logicalWidth, logicalHeight);
        CrossHairLog log;
        chart.object->connectionPoint()->advise(&log);
        const QPointF at(logicalX, 10);
        QMouseEvent press(QEvent::MouseButtonPress, at, chart.widget().mapToGlobal(at), Qt::RightButton, Qt::RightButton,
                          Qt::NoModifier);
        QApplication::sendEvent(&chart.widget(), &press);
        QCOMPARE(log.offsets, QList<int32_t>{column});
    }

    // Where the lines cross a probe: along a column (rows hit) or along a row (columns hit).
    void oneDevicePixelWide_data()
    {
        QTest::addColumn<QString>("drawn");
        QTest::addColumn<bool>("alongColumn");
        QTest::addColumn<int>("probe");
        QTest::addColumn<uint32_t>("colour");
        QTest::addColumn<QList<int>>("hits");
        // Rows 20 device pixels apart from the top border, each one row.
        QTest::newRow("horizontal grid lines") << "grid rows" << true << 1 << silver
                                               << QList<int>{0, 20, 40, 60, 80, 100};
        QTest::newRow("vertical grid lines") << "grid columns" << false << 1 << silver
                                             << QList<int>{0, 20, 40, 60, 80, 100, 120, 140, 160, 180, 200, 220, 240,
                                                           260, 280, 300, 320, 340, 360, 380};
        // A level trace of zeros lies on the centre row.
        QTest::newRow("level trace") << "trace" << true << 200 << blue << QList<int>{51};
    }
    void oneDevicePixelWide()
    {
        QFETCH(QString, drawn);
        QFETCH(bool, alongColumn);
        QFETCH(int, probe);
        QFETCH(uint32_t, colour);
        QFETCH(QList<int>, hits);
        PictureHost chart(logicalWidth, logicalHeight);
        chart.bareOverlay();
        if (drawn == "grid rows")
            chart.put(id::GridSpacingY, int16_t(20));
        if (drawn == "grid columns") {
            chart.put(id::GridSpacingX, int16_t(20));
            chart.key("L");
        }
        if (drawn == "trace")
            chart.chartPoints(std::vector<int16_t>(size_t(2 * logicalWidth), 0));
        const QImage window = chart.window();
        QCOMPARE(alongColumn ? rowsIn(window, probe, shown(colour)) : columnsIn(window, probe, shown(colour)), hits);
    }
};

int main(int argc, char* argv[])
{
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestChartDevicePixels test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_chart_device_pixels.moc"
