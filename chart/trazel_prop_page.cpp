#include "trazel_prop_page.h"

#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

using namespace automation;

namespace trazel {

CTrazelPropPage::CTrazelPropPage() : m_widget(std::make_unique<QWidget>())
{
    auto* layout = new QVBoxLayout(m_widget.get());
    layout->addWidget(new QLabel(QStringLiteral("Trazel Control: the chart is set up by its host program.")));
    layout->addStretch();
}

CTrazelPropPage::~CTrazelPropPage() = default;

QString CTrazelPropPage::caption() const { return QStringLiteral("General"); }

QWidget* CTrazelPropPage::widget() { return m_widget.get(); }

HResult CTrazelPropPage::apply() { return hr::ok; }

}  // namespace trazel
