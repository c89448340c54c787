// The window on a screen of two device pixels to the logical one: the
// waterfall's picture has the screen's own pixels, so the lines that run
// along its height fill all of it and the pointer over it reads the row it
// is on.
#include "component_site.h"
#include "test_capture_fixture.h"

#include <QApplication>
#include <QLabel>
#include <QRadioButton>
#include <QTest>

#include <cmath>

using namespace vellarin;

namespace {

constexpr double logicalHeight = 300.5;  // not a whole number, as twips often are not

// Full-fit scaling over a picture 700 x 300.5 logical pixels at 22050 Hz, N = 1024.
struct Window : capture_test::LiveWindow {
    Window(int16_t scaling, int direction)
    {
        Form1& w = *window;
        const TwipsScale scale = TwipsScale::of(&w);
        w.chart().setXmax(600);
        w.Cascadra1->setWidthTwips(float(700 * scale.perPixelX));
        w.Cascadra1->setHeightTwips(float(logicalHeight * scale.perPixelY));
        w.Combo1->setEditText("22050");
        AnalyserState& s = mutableState();
        s.FFTSize = 1024;
        s.FreqScaling = scaling;
        w.buildBinMaps();
        s.BinLevel.fill(1000);
        w.waterfall().setScrollDirection(direction);
        w.waterfall().setView3D(0);
    }
};

double hertzOf(const QString& caption)
{
    QString number = caption;
    return number.remove("Hz").toDouble();
}

}  // namespace

class Form1DevicePixelsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QCOMPARE(qApp->devicePixelRatio(), 2.0); }

    // The maps along the waterfall's height end at its last device pixel.
    void mapsAlongTheHeightCountDevicePixels_data()
    {
        QTest::addColumn<int>("scaling");
        QTest::newRow("log") << int(LogScaling);
        QTest::newRow("full fit") << int(FullFitScaling);
    }
    void mapsAlongTheHeightCountDevicePixels()
    {
        QFETCH(int, scaling);
        Window w(int16_t(scaling), 2);
        const AnalyserState& s = w.state();
        const BinMap& map = scaling == LogScaling ? s.WaterfallLogMap : s.WaterfallFitMap;
        QCOMPARE(int(map[512][0]), int(std::nearbyint(2 * logicalHeight)));
    }

    // A line along the height has one element for every device pixel of it.
    void lineAlongTheHeightFillsIt_data()
    {
        QTest::addColumn<int>("direction");
        QTest::newRow("Right to Left") << 2;
        QTest::newRow("i Right to Left") << 5;
    }
    void lineAlongTheHeightFillsIt()
    {
        QFETCH(int, direction);
        capture_test::LiveWindow w;
        w.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
        w.start("44100", "1024");
        QVERIFY(w.capturing());
        w.window->LogX->click();
        w.window->waterfall().setScrollDirection(direction);
        QVERIFY(w.tickDraws(8));
        const double devicePixels =
            w.window->Cascadra1->heightTwips() / TwipsScale::of(w.window.get()).perPixelY * 2;
        QCOMPARE(qsizetype(w.state().WaterfallLine.size()), qsizetype(std::nearbyint(devicePixels)) + 1);
    }

    // The pointer, in device pixels, reads the frequency of the row under it.
    void pointerReadsItsDeviceRow_data()
    {
        QTest::addColumn<int>("scaling");
        QTest::addColumn<int>("direction");
        QTest::addColumn<int>("row");
        QTest::addColumn<double>("along");  // device pixels from the lowest frequency
        const double height = 2 * logicalHeight;
        QTest::newRow("Right to Left, full fit") << int(FullFitScaling) << 2 << 150 << 150.0;
        QTest::newRow("i Right to Left, full fit") << int(FullFitScaling) << 5 << 150 << std::round(height - 150);
        QTest::newRow("Right to Left, last row") << int(FullFitScaling) << 2 << 600 << 600.0;
    }
    void pointerReadsItsDeviceRow()
    {
        QFETCH(int, scaling);
        QFETCH(int, direction);
        QFETCH(int, row);
        QFETCH(double, along);
        Window w(int16_t(scaling), direction);
        w.window->waterfallPointerMoved(9, int16_t(row));
        // Within two bins: the fit map gives a row the bin at its far edge.
        // Read against the logical height the rows would be twice as far.
        const double binHertz = 22050.0 / 1024;
        const double expected = 11025.0 * along / (2 * logicalHeight);
        QVERIFY2(std::abs(hertzOf(w.window->Label5->text()) - expected) <= 2 * binHertz,
                 qPrintable(w.window->Label5->text() + " against " + QString::number(expected)));
    }
};

int main(int argc, char* argv[])
{
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    Form1DevicePixelsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_form1_device_pixels.moc"
