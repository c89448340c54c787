// The scales beside the chart on a screen of two device pixels to the
// logical one: the chart counts device pixels, so each tick of the scales
// fills the device column or row the chart draws that frequency or level on,
// one device pixel wide.
#include "analysis_extras.h"
#include "component_site.h"
#include "frequency_scale.h"
#include "frequency_scaling.h"
#include "level_ruler.h"
#include "test_capture_fixture.h"

#include <QApplication>
#include <QMenu>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

#include <cmath>

using namespace vellarin;

namespace {

constexpr int ratio = 2;

struct Scaled : capture_test::LiveWindow {
    QMenu menu;
    AnalysisExtras extras{*window, menu};
    Scaled()
    {
        window->show();
        extras.setScalesShown(true);
        start("44100", "4096");
    }
    QImage grab() const { return window->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    QRgb ink() const { return extras.frequencyScale()->palette().color(QPalette::WindowText).rgb(); }
    // The window's device pixel of a logical point of one of its children.
    static QPoint device(const QWidget* child, QPoint logical) { return (child->geometry().topLeft() + logical) * ratio; }
};

}  // namespace

class ScalesDevicePixelsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QCOMPARE(qApp->devicePixelRatio(), qreal(ratio)); }

    void frequencyTicksOnTheChartsColumns_data()
    {
        QTest::addColumn<bool>("logarithmic");
        QTest::newRow("log") << true;
        QTest::newRow("full fit") << false;
    }
    // Each solid tick line of the chart runs down its device column; the
    // scale's tick below it fills that column and neither neighbour.
    void frequencyTicksOnTheChartsColumns()
    {
        QFETCH(bool, logarithmic);
        Scaled w;
        QVERIFY(w.capturing());
        (logarithmic ? w.window->LogX : w.window->FullFreqX)->click();
        QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
        const AnalyserState& s = w.state();
        const AnalysisSettings& settings = w.window->settings().value();
        const FrequencyAxis axis{s.FreqScaling, s.FFTSize, settings.sampleRate(), 0, w.window->chart().xmax(),
                                 axisTicks(s.FreqScaling, settings.sampleRate(), settings.fftSizeText, settings.rateText)};
        QCOMPARE(axis.columns, w.window->Trazel1->width() * ratio);
        const QImage picture = w.grab();
        const QWidget* chart = w.window->Trazel1;
        const QWidget* scale = w.extras.frequencyScale();
        const int chartRow = Scaled::device(chart, {0, chart->height() / 2}).y();
        const int tickRow = Scaled::device(scale, {0, 0}).y() + 1;
        int checked = 0;
        for (const ScaleMark& m : frequencyMarks(axis)) {
            if (!m.major || m.column < 1 || m.column + 1 >= axis.columns)
                continue;
            const int x = Scaled::device(chart, {}).x() + m.column;
            const QRgb line = picture.pixel(x, chartRow);
            QVERIFY2(line != picture.pixel(x - 1, chartRow) && line != picture.pixel(x + 1, chartRow),
                     qPrintable(QString("no tick line of the chart on device column %1").arg(x)));
            QCOMPARE(Scaled::device(scale, {}).x(), Scaled::device(chart, {}).x());
            QVERIFY2(picture.pixel(x, tickRow) == w.ink(), qPrintable(QString("%1 Hz").arg(m.hertz)));
            QVERIFY2(picture.pixel(x - 1, tickRow) != w.ink() && picture.pixel(x + 1, tickRow) != w.ink(),
                     qPrintable(QString("%1 Hz: the tick is wider than one device pixel").arg(m.hertz)));
            ++checked;
        }
        QVERIFY2(checked >= 2, qPrintable(QString::number(checked)));
    }

    // The ruler's ticks fill the device row of the chart's level, and no
    // neighbouring row.
    void levelTicksOnTheChartsRows()
    {
        Scaled w;
        QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
        const QWidget* chart = w.window->Trazel1;
        const LevelRuler* ruler = w.extras.levelRuler();
        QCOMPARE(ruler->geometry().top(), chart->geometry().top());
        const QImage picture = w.grab();
        const int x = Scaled::device(ruler, {ruler->width(), 0}).x() - 1;
        const std::vector<RulerMark> marks =
            rulerMarks({w.window->chart().ymin(0), w.window->chart().ymax(0), chart->height() * ratio},
                       1.6 * ruler->fontMetrics().height() * ratio);
        int checked = 0;
        for (const RulerMark& m : marks) {
            const int row = int(std::lround(m.row));
            if (row < 1 || row + 1 >= chart->height() * ratio)
                continue;
            const int y = Scaled::device(chart, {}).y() + row;
            QVERIFY2(picture.pixel(x, y) == w.ink(), qPrintable(QString("%1 dB on device row %2").arg(m.decibels).arg(y)));
            QVERIFY2(picture.pixel(x, y - 1) != w.ink() && picture.pixel(x, y + 1) != w.ink(),
                     qPrintable(QString("%1 dB: the tick is more than one device pixel high").arg(m.decibels)));
            ++checked;
        }
        QVERIFY(checked >= 3);
    }
};

int main(int argc, char* argv[])
{
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    ScalesDevicePixelsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_scales_device_pixels.moc"
