#pragma once
// The chart's one property page: a caption and a line of information. The
// chart's settings are the host's to make, so the page edits nothing.
#include <automation/component.h>

#include <QPointer>
#include <QWidget>

#include <vector>

namespace trazel {

class CTrazelPropPage final : public automation::CountedComponent, public automation::PropertyPage {
public:
    CTrazelPropPage();
    ~CTrazelPropPage() override;

    automation::PropertyPage* propertyPage() override { return this; }

    QString caption() const override;
    QWidget* widget() override;
    automation::HResult setObjects(std::span<automation::Component* const> objects) override;
    automation::HResult apply() override;

private:
    QPointer<QWidget> m_widget;  // a host may embed it and destroy it with its own
    std::vector<automation::Dispatch*> m_charts;
};

}  // namespace trazel
