#include "trazel_ctrl.h"

#include "trazel_widget.h"

#include <algorithm>

using namespace automation;

namespace trazel {

CTrazelCtrl::CTrazelCtrl()
{
    rebuildDrawingTools(state);
    m_widget = std::make_unique<TrazelWidget>(picture, [this](int w, int h) { resizeChart(w, h); });
    picture.windowChanged = [this] { m_widget->update(); };
}

CTrazelCtrl::~CTrazelCtrl() = default;

HResult CTrazelCtrl::invoke(DispId, InvokeKind, std::span<Variant>, Variant*) { return hr::memberNotFound; }

std::span<const MemberInfo> CTrazelCtrl::members() const { return {}; }

QWidget* CTrazelCtrl::widget() { return m_widget.get(); }

void CTrazelCtrl::resizeChart(int width, int height)
{
    if (width <= 0 || height <= 0)
        return;
    const int w = std::max(width, 2);
    const int h = std::max(height, 2);
    if (picture.hasSurfaces() && w == state.ChartWidth && h == state.ChartHeight)
        return;
    state.ChartWidth = w;
    state.ChartHeight = h;
    state.HalfWidth = w / 2;
    state.HalfHeight = h / 2;
    picture.resize(w, h);
    fullRedraw();
}

void CTrazelCtrl::fullRedraw()
{
    state.RestartPending = true;
    state.StepCountdown = 1;
    picture.redraw(state);
    state.SweepX = 0;
}

}  // namespace trazel
