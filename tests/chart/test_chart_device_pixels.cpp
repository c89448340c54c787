// The chart on a screen of two device pixels to the logical one: its picture
// is drawn at the screen's own resolution, so a one-pixel trace or grid line
// is one device pixel wide, not a logical pixel enlarged to two, and Xmax
// counts the device pixels across.
#include "test_chart_render_host.h"

#include <QApplication>

using namespace charttest;

namespace {

constexpr int logicalWidth = 200, logicalHeight = 51;  // 400 x 102 device pixels

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
