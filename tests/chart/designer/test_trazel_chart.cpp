// TrazelChart as Qt Designer and uic meet it: made by the plugin, set up
// through Qt properties, built from a form.
#include "ui_chart_form.h"

#include <automation/host.h>
#include <interfaces/trazel.h>
#include <widgets/trazel_chart.h>

#include <QPluginLoader>
#include <QTest>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

using namespace automation;
namespace id = trazel::dispid;

namespace {

QDesignerCustomWidgetInterface* plugin()
{
    static QPluginLoader loader(QStringLiteral(TRAZELCHART_PLUGIN));
    auto* loaded = qobject_cast<QDesignerCustomWidgetInterface*>(loader.instance());
    if (!loaded)
        qWarning("%s", qPrintable(loader.errorString()));
    return loaded;
}

// What the chart itself answers, as text for text and as a number otherwise.
QVariant chartValue(TrazelChart& chart, DispId member, QMetaType::Type as)
{
    Variant v;
    if (!chart.dispatch() || failed(chart.dispatch()->get(member, v)))
        return {};
    return as == QMetaType::QString ? QVariant(asString(v)) : QVariant(asLong(v));
}

}  // namespace

class TestTrazelChart : public QObject {
    Q_OBJECT
private slots:
    void pluginShowsTheChartInTheWidgetBox()
    {
        QDesignerCustomWidgetInterface* p = plugin();
        QVERIFY(p);
        QCOMPARE(p->name(), QStringLiteral("TrazelChart"));
        QCOMPARE(p->toolTip(), QStringLiteral("Trazel Control"));
        QCOMPARE(p->icon().pixmap(16, 15).size(), QSize(16, 15));
        QCOMPARE(p->includeFile(), QStringLiteral("widgets/trazel_chart.h"));
    }

    // Designer sets a property through QObject::setProperty; the chart has it.
    void propertiesReachTheChart_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("member");
        QTest::addColumn<QVariant>("inChart");
        QTest::newRow("short") << QByteArray("GridSpacingX") << QVariant(40) << id::GridSpacingX << QVariant(40);
        QTest::newRow("long, the chart's own rule") << QByteArray("ChannelMask") << QVariant(0x12345) << id::ChannelMask
                                                    << QVariant(0x2345);
        QTest::newRow("bool") << QByteArray("ScrollMode") << QVariant(false) << id::ScrollMode << QVariant(0);
        QTest::newRow("text") << QByteArray("ChartText") << QVariant(QStringLiteral("volts")) << id::ChartText
                              << QVariant(QStringLiteral("volts"));
        QTest::newRow("colour, red in the low byte") << QByteArray("PText") << QVariant(QColor(0x11, 0x22, 0x33))
                                                     << id::PText << QVariant(0x332211);
        QTest::newRow("flags, bit 15 too")
            << QByteArray("DigitalMask")
            << QVariant::fromValue(TrazelChart::enumDigitalMaskFlags(TrazelChart::PlotBit0 | TrazelChart::PlotBit15))
            << id::DigitalMask << QVariant(-32767);
    }
    void propertiesReachTheChart()
    {
        QFETCH(QByteArray, name);
        QFETCH(QVariant, value);
        QFETCH(int, member);
        QFETCH(QVariant, inChart);
        QVERIFY(plugin());
        std::unique_ptr<QWidget> widget(plugin()->createWidget(nullptr));
        auto* chart = qobject_cast<TrazelChart*>(widget.get());
        QVERIFY(chart && chart->dispatch());
        QVERIFY(chart->setProperty(name, value));
        QCOMPARE(chartValue(*chart, member, QMetaType::Type(inChart.typeId())), inChart);
        if (member != id::ChannelMask)  // the chart masks that one
            QCOMPARE(chart->property(name), value);
    }

    // Generated from the type library: a member added there appears here.
    void propertiesAreTheTypeLibrarysScalarMembers()
    {
        HResult r = hr::ok;
        const TypeLibrary* library = moduleTypeLibrary(modulePathForName(QStringLiteral("trazel")), r);
        QVERIFY(library);
        QStringList expected, listed;
        for (const MemberInfo& m : library->interfaces[0].members)
            if (m.kind == MemberKind::Property && !m.hidden && m.readable && m.writable)
                expected << QString::fromLatin1(m.name);
        const QMetaObject& meta = TrazelChart::staticMetaObject;
        for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i)
            listed << QString::fromLatin1(meta.property(i).name());
        QCOMPARE(listed, expected);
    }

    void formBuiltWithUicShowsTheChartAsSet()
    {
        QWidget form;
        Ui::ChartForm ui;
        ui.setupUi(&form);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        TrazelChart& chart = *ui.chart;
        QCOMPARE(chartValue(chart, id::GridSpacingX, QMetaType::Int), QVariant(35));
        QCOMPARE(chartValue(chart, id::PGrid, QMetaType::Int), QVariant(0x0000FF));
        QCOMPARE(chartValue(chart, id::ScrollMode, QMetaType::Int), QVariant(0));
        QCOMPARE(chartValue(chart, id::DigitalMask, QMetaType::Int), QVariant(5));
        QCOMPARE(chartValue(chart, id::ChartText, QMetaType::QString), QVariant(QStringLiteral("volts")));
        QCOMPARE(chartValue(chart, id::Xmax, QMetaType::Int), QVariant(chart.width()));
    }
};

QTEST_MAIN(TestTrazelChart)
#include "test_trazel_chart.moc"
