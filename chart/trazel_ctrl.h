#pragma once
// CTrazelCtrl, the chart control: its state, its picture and window, and the
// host-facing interfaces (dispatch by number, events, persistence, control).
#include "chart_picture.h"
#include "trazel_state.h"

#include <automation/component.h>

#include <memory>

namespace trazel {

class TrazelWidget;

class CTrazelCtrl final : public automation::CountedComponent,
                          public automation::Dispatch,
                          public automation::Control {
public:
    CTrazelCtrl();
    ~CTrazelCtrl() override;

    // Component
    automation::Dispatch* dispatch() override { return this; }
    automation::Control* control() override { return this; }

    // Dispatch
    automation::HResult invoke(automation::DispId id, automation::InvokeKind kind,
                               std::span<automation::Variant> args, automation::Variant* result) override;
    std::span<const automation::MemberInfo> members() const override;

    // Control
    QWidget* widget() override;

    // New client size of the window; a zero size (minimised) is ignored.
    void resizeChart(int width, int height);
    // Rebuilds the static picture and starts the traces afresh.
    void fullRedraw();

    TrazelState state;
    ChartPicture picture;

private:
    std::unique_ptr<TrazelWidget> m_widget;
};

}  // namespace trazel
