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

HResult CTrazelPropPage::apply() { return hr::ok; }

}  // namespace trazel
