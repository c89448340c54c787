#include "trazel_prop_page.h"

#include <QLabel>
#include <QVBoxLayout>

using namespace automation;

namespace trazel {

CTrazelPropPage::CTrazelPropPage() : m_widget(new QWidget)
{
    auto* layout = new QVBoxLayout(m_widget.data());
    layout->addWidget(new QLabel(QStringLiteral("Trazel Control: the chart is set up by its host program.")));
    layout->addStretch();
}

CTrazelPropPage::~CTrazelPropPage() { delete m_widget.data(); }

QString CTrazelPropPage::caption() const { return QStringLiteral("General"); }

QWidget* CTrazelPropPage::widget() { return m_widget.data(); }

HResult CTrazelPropPage::setObjects(std::span<Component* const> objects)
{
    std::vector<Dispatch*> charts;
    for (Component* object : objects) {
        Dispatch* chart = object ? object->dispatch() : nullptr;
        if (!chart)
            return hr::noInterface;
        charts.push_back(chart);
    }
    m_charts = std::move(charts);
    return hr::ok;
}

// The page shows information only: applying it leaves every chart as it is.
HResult CTrazelPropPage::apply() { return m_charts.empty() ? hr::unexpected : hr::ok; }

}  // namespace trazel
