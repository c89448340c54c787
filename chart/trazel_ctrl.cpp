#include "trazel_ctrl.h"

#include "trazel_members.h"
#include "trazel_widget.h"

#include <interfaces/class_ids.h>

#include <algorithm>
#include <cmath>

using namespace automation;

namespace trazel {

CTrazelCtrl::CTrazelCtrl() : events(eventInfos())
{
    rebuildDrawingTools(state);
    m_widget = new TrazelWidget(picture, mouse, [this](int w, int h) { resizeChart(w, h); });
    picture.windowChanged = [this] {
        if (m_widget)
            m_widget->update();
    };
}

CTrazelCtrl::~CTrazelCtrl() { delete m_widget.data(); }

QWidget* CTrazelCtrl::widget() { return m_widget.data(); }

bool CTrazelCtrl::resizeWindow(int width, int height)
{
    if (!m_widget)
        return resizeChart(width, height);
    // A hidden window gets its resize event only when shown; the chart
    // takes the new size now.
    const QSize before = m_widget->size();
    m_widget->resize(m_widget->logicalSize(QSize(width, height)));
    const QSize pixels = m_widget->deviceSize();
    if (resizeChart(pixels.width(), pixels.height()))
        return true;
    m_widget->resize(before);
    return false;
}

QSize CTrazelCtrl::windowSize() const
{
    return m_widget ? m_widget->deviceSize() : QSize(state.ChartWidth, state.ChartHeight);
}

QPoint CTrazelCtrl::windowDpi() const
{
    // Device pixels per inch, as the chart counts its size in them.
    if (!m_widget)
        return QPoint(96, 96);
    const qreal ratio = m_widget->devicePixelRatioF();
    return QPoint(int(std::lround(m_widget->logicalDpiX() * ratio)), int(std::lround(m_widget->logicalDpiY() * ratio)));
}

std::span<const QUuid> CTrazelCtrl::propertyPages() const
{
    static const QUuid pages[] = {sdk::classes::trazelPropertyPage.classId};
    return pages;
}

bool CTrazelCtrl::resizeChart(int width, int height)
{
    if (width <= 0 || height <= 0)
        return true;
    const int w = std::max(width, 2);
    const int h = std::max(height, 2);
    // A window first sized 1 x 1 still needs its surfaces, although the size
    // matches the initial one.
    if (picture.hasSurfaces() && w == state.ChartWidth && h == state.ChartHeight)
        return true;
    if (!picture.resize(w, h))
        return false;
    state.ChartWidth = w;
    state.ChartHeight = h;
    state.HalfWidth = w / 2;
    state.HalfHeight = h / 2;
    fullRedraw();
    return true;
}

void CTrazelCtrl::fullRedraw()
{
    state.RestartPending = true;
    state.StepCountdown = 1;
    picture.redraw(state);
    state.SweepX = 0;
}

bool CTrazelCtrl::setChartText(const QString& text)
{
    // Text reaches the chart as a C string would: it ends at the first NUL.
    const qsizetype end = text.indexOf(QChar(u'\0'));
    const QString stored = end < 0 ? text : text.left(end);
    if (stored.size() > chartTextLimit)
        return false;
    state.ChartText = stored;
    rebuildDrawingTools(state);
    fullRedraw();
    markModified();
    return true;
}

QString CTrazelCtrl::readChartText()
{
    if (!state.PositionQuery)
        return state.ChartText;
    state.PositionQuery = false;
    return QString::number(state.SweepX);
}

void CTrazelCtrl::setScaleBound(int channel, bool upper, int32_t value)
{
    (upper ? state.Ymax : state.Ymin)[channel] = value;
    deriveScale(state, channel);
    applyScaleClamp(state);
    fullRedraw();
    markModified();
}

void CTrazelCtrl::setStep(int16_t step)
{
    if (step > 0) {
        state.StepSetting = state.PlotStep = state.StepCountdown = step;
    } else if (step < 0) {
        state.StepSetting = std::max<int16_t>(step, -20);
        state.PlotStep = state.StepCountdown = 1;
    }
    markModified();
}

void CTrazelCtrl::setWidthInPixels(int32_t width)
{
    if (width > 10 && width < 3000)
        resizeWindow(width, windowSize().height());
    markModified();
}

void CTrazelCtrl::plot(const int16_t* samples, int points, int channels, DataCall call)
{
    if (!samples || points < 1 || channels < 1)
        return;
    picture.plot(state, samples, points, channels, call);
}

}  // namespace trazel
