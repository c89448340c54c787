// CopyToClipboard puts exactly what the window shows on the clipboard.
#include "test_chart_render_host.h"

#include <QClipboard>
#include <QGuiApplication>

using namespace charttest;

class TestChartClipboard : public QObject {
    Q_OBJECT
private slots:
    void copiesTheWindowPicture_data()
    {
        QTest::addColumn<bool>("withData");
        QTest::addColumn<QString>("text");
        QTest::newRow("static picture with text") << false << "Level";
        QTest::newRow("traces over the grid") << true << "";
        QTest::newRow("traces with text") << true << "dB";
    }
    void copiesTheWindowPicture()
    {
        QFETCH(bool, withData);
        QFETCH(QString, text);
        PictureHost chart(160, 90);
        chart.put(id::ChartText, text);
        Variant aux[] = {Variant(int16_t(40)), Variant(int16_t(30))};
        chart.dispatch().call(id::AuxCrossHair, aux);
        if (withData) {
            std::vector<int16_t> points(50);
            for (size_t i = 0; i < points.size(); ++i)
                points[i] = int16_t(i * 1000 - 20000);
            chart.chartPoints(points);
        }
        QGuiApplication::clipboard()->clear();
        QCOMPARE(chart.dispatch().call(id::CopyToClipboard, {}), hr::ok);
        const QImage copied = QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(copied.size(), QSize(160, 90));
        QCOMPARE(copied, chart.window());
    }

    void chartWithoutSurfacesCopiesNothing()
    {
        ChartHost chart;  // never sized
        QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
        QCOMPARE(chart.dispatch().call(id::CopyToClipboard, {}), hr::ok);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
    }
};

QTEST_MAIN(TestChartClipboard)
#include "test_chart_clipboard.moc"
