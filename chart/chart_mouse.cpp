#include "chart_mouse.h"

#include "trazel_ctrl.h"

#include <interfaces/trazel.h>

#include <algorithm>

namespace trazel {

namespace {

constexpr int wheelNotch = 120;
constexpr int32_t fullHalfRange = 32768;
constexpr int64_t centreLimit = 262144;

}  // namespace

void ChartMouse::buttonDown(MouseButton button, QPoint at)
{
    TrazelState& s = m_control.state;
    if (button == MouseButton::Right) {
        // The right button always shows a cross-hair while it is held: with
        // Lock on a two-line one, otherwise a one-line one under a lock
        // that the button's release lifts again.
        s.LockSetting = s.LockActive;
        if (s.LockActive)
            s.TwoAxisCrossHair = true;
        else
            s.LockActive = true;
        at = {std::clamp(at.x(), 0, s.ChartWidth), std::clamp(at.y(), 0, s.ChartHeight)};
        showFigure(at);
        fireCrossHair(at.x(), s.TwoAxisCrossHair ? at.y() : -1);
        return;
    }
    if (!s.LockActive) {
        s.DragStartY = at.y();
        showFigure(at);
        return;
    }
    at.setX(std::clamp(at.x(), 0, s.ChartWidth));
    showFigure(at);
    fireCrossHair(at.x(), -1);
}

void ChartMouse::pointerMoved(QPoint at)
{
    TrazelState& s = m_control.state;
    if (!s.CrossHairShown)
        return;
    if (!s.LockActive) {
        showFigure(at);
        return;
    }
    at = {std::clamp(at.x(), 0, s.ChartWidth), std::clamp(at.y(), 0, s.ChartHeight)};
    showFigure(at);
    fireCrossHair(at.x(), s.TwoAxisCrossHair ? at.y() : -1);
}

void ChartMouse::buttonUp(MouseButton button, QPoint at)
{
    TrazelState& s = m_control.state;
    if (button == MouseButton::Right) {
        if (s.LockActive && s.CrossHairShown)
            removeFigure();
        s.LockActive = s.LockSetting;
        s.TwoAxisCrossHair = false;
        return;
    }
    if (s.LockActive) {
        if (s.CrossHairShown)
            removeFigure();
    } else if (s.CrossHairShown) {
        removeFigure();
        endDrag(at.y());
    }
}

void ChartMouse::doubleClick(MouseButton button, bool shift)
{
    if (m_control.state.LockActive)
        return;
    if (button == MouseButton::Left)
        zoom(shift ? Zoom::Reset : Zoom::Out);
    else
        zoom(shift ? Zoom::ResetActive : Zoom::In);
}

bool ChartMouse::wheel(int angleDelta)
{
    if (m_control.state.LockActive)
        return false;
    m_wheelRest += angleDelta;
    for (; m_wheelRest >= wheelNotch; m_wheelRest -= wheelNotch)
        zoom(Zoom::In);
    for (; m_wheelRest <= -wheelNotch; m_wheelRest += wheelNotch)
        zoom(Zoom::Out);
    return true;
}

void ChartMouse::cancel()
{
    TrazelState& s = m_control.state;
    if (s.CrossHairShown)
        removeFigure();
    // Outside a right-button press these already hold.
    s.LockActive = s.LockSetting;
    s.TwoAxisCrossHair = false;
}

void ChartMouse::zoom(Zoom how)
{
    TrazelState& s = m_control.state;
    const ChannelSpan range = scaledChannels(s);
    const int active = activeChannel(s);
    for (int ch = range.first; ch <= range.last; ++ch) {
        if (how == Zoom::Out)
            s.HalfRange[ch] = saturate32(int64_t{s.HalfRange[ch]} * 2);
        else if (how == Zoom::In)
            s.HalfRange[ch] /= 2;
        if (how == Zoom::Reset || (how == Zoom::ResetActive && ch == active)) {
            s.HalfRange[ch] = fullHalfRange;
            s.Centre[ch] = 0;
        }
    }
    applyScaleClamp(s);
    // A figure left on the window would be partly overwritten by the next
    // data call and leave its trace behind; it goes now.
    removeFigure();
    for (int ch = range.first; ch <= range.last; ++ch)
        scaleFromCentre(s, ch);
    fireChartChanged();
}

void ChartMouse::endDrag(int y)
{
    TrazelState& s = m_control.state;
    const ChannelSpan range = scaledChannels(s);
    const int64_t moved = int64_t(y) - s.DragStartY;
    for (int ch = range.first; ch <= range.last; ++ch) {
        // Each channel moves by the same fraction of its own range.
        const int64_t centre = s.Centre[ch] + moved * s.HalfRange[ch] / std::max(s.HalfHeight, 1);
        s.Centre[ch] = int32_t(std::clamp(centre, -centreLimit, centreLimit));
        scaleFromCentre(s, ch);
    }
    fireChartChanged();
}

void ChartMouse::showFigure(QPoint at)
{
    TrazelState& s = m_control.state;
    m_control.picture.showFigure(s.LockActive
                                     ? crossHairFigure(s.ChartWidth, s.ChartHeight, at.x(), at.y(), s.TwoAxisCrossHair)
                                     : dragMarker(s.ChartWidth, at.x(), at.y(), s.DragStartY));
    s.CrossHairShown = true;
    s.LastCrossX = at.x();
    s.LastCrossY = at.y();
}

void ChartMouse::removeFigure()
{
    m_control.state.CrossHairShown = false;
    m_control.picture.removeFigure();
}

void ChartMouse::fireCrossHair(int x, int y)
{
    // A row of -1 is the one-line cross-hair: the plain column. The
    // two-line cross-hair folds its row into a negative offset.
    const int64_t offset = y < 0 ? x : -(int64_t(x) + int64_t(CrossHairRowStride) * (int64_t(y) + 1));
    m_control.events.fire(eventid::CrossHair, {automation::Variant(saturate32(offset))});
}

void ChartMouse::fireChartChanged()
{
    const TrazelState& s = m_control.state;
    const int active = activeChannel(s);
    m_control.events.fire(eventid::ChartChanged, {automation::Variant(s.Ymin[active]), automation::Variant(s.Ymax[active])});
}

}  // namespace trazel
