// The Qt Designer plugin: TrazelChart in the widget box, under the chart
// module's toolbox picture and type name, with its properties in the
// property editor and saved in the form.
#include "widgets/trazel_chart.h"

#include <automation/host.h>
#include <automation/registry.h>
#include <interfaces/class_ids.h>

#include <QtUiPlugin/QDesignerCustomWidgetInterface>

using namespace automation;

namespace {

// The module that makes the chart, and the picture number the registry
// names for its toolbox: "path,1".
std::pair<QString, int> toolboxPicture()
{
    const sdk::ClassIdentity& chart = sdk::classes::trazelChart;
    if (const auto registered = registeredClasses(chart.classId);
        !registered.empty() && !registered.front().toolboxBitmap.isEmpty()) {
        const QString entry = registered.front().toolboxBitmap;
        return {entry.section(u',', 0, -2), entry.section(u',', -1).toInt()};
    }
    return {modulePathForName(QString::fromLatin1(chart.module)), 1};
}

}  // namespace

class TrazelChartPlugin final : public QObject, public QDesignerCustomWidgetInterface {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QDesignerCustomWidgetInterface")
    Q_INTERFACES(QDesignerCustomWidgetInterface)

public:
    QString name() const override { return QStringLiteral("TrazelChart"); }
    QString group() const override { return QStringLiteral("Vellarin"); }
    QString toolTip() const override { return QString::fromLatin1(sdk::classes::trazelChart.typeName); }
    QString whatsThis() const override
    {
        return QStringLiteral("A 16-channel strip chart and oscilloscope: the trazel chart control.");
    }
    QString includeFile() const override { return QStringLiteral("widgets/trazel_chart.h"); }
    bool isContainer() const override { return false; }
    QIcon icon() const override
    {
        const auto [module, number] = toolboxPicture();
        HResult r = hr::ok;
        const ModulePicture picture = modulePicture(module, number, r);
        return picture ? QIcon(QPixmap(picture)) : QIcon();
    }
    QWidget* createWidget(QWidget* parent) override { return new TrazelChart(parent); }
    QString domXml() const override
    {
        return QStringLiteral("<ui language=\"c++\"><widget class=\"TrazelChart\" name=\"trazelChart\">"
                              "<property name=\"geometry\"><rect><x>0</x><y>0</y><width>400</width><height>200</height></rect></property>"
                              "</widget></ui>");
    }
    bool isInitialized() const override { return m_initialized; }
    void initialize(QDesignerFormEditorInterface*) override { m_initialized = true; }

private:
    bool m_initialized = false;
};

#include "trazel_chart_plugin.moc"
