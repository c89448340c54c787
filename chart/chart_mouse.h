#pragma once
// What the mouse does on the chart: double-clicks and the wheel zoom the
// vertical scale, a left drag offsets it (Lock off), and a held button shows
// a cross-hair that follows the pointer (Lock on, or the right button).
// Scale changes raise ChartChanged, cross-hair positions CrossHair.
#include <QPoint>

namespace trazel {

class CTrazelCtrl;

enum class MouseButton { Left, Right };

class ChartMouse {
public:
    explicit ChartMouse(CTrazelCtrl& control) : m_control(control) {}

    // Positions are client pixels and may lie outside the chart while a
    // button is held.
    void buttonDown(MouseButton button, QPoint at);
    void buttonUp(MouseButton button, QPoint at);
    void pointerMoved(QPoint at);
    void doubleClick(MouseButton button, bool shift);
    // `angleDelta` in eighths of a degree, 120 to a notch; each whole notch
    // is one zoom step. False when the chart does not take the wheel (Lock
    // on), so it can go to the window's parent.
    bool wheel(int angleDelta);
    // The window lost the mouse with a button held (hidden, or another
    // window took over): the figure goes, as if the buttons were released
    // without a drag.
    void cancel();

private:
    // ResetActive resets the active channel alone, whatever GroupSetting says.
    enum class Zoom { In, Out, Reset, ResetActive };
    void zoom(Zoom how);
    // Shows the figure for the pointer at `at` in place of the one shown.
    void showFigure(QPoint at);
    // The window then shows the traces that data calls drew meanwhile.
    void removeFigure();
    void fireCrossHair(int x, int y);
    void fireChartChanged();
    void endDrag(int y);

    CTrazelCtrl& m_control;
    int m_wheelRest = 0;  // rotation short of a whole notch
};

}  // namespace trazel
