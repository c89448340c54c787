#include "chart_picture.h"

#include "blit.h"
#include "raster.h"
#include "static_picture.h"
#include "trace_plot.h"

#include <QClipboard>
#include <QGuiApplication>

#include <algorithm>

namespace trazel {

namespace {

QRgb backgroundOf(const TrazelState& s) { return surfaceColour(s.tools.backgroundBrush.colour); }

}  // namespace

void ChartPicture::resize(int width, int height)
{
    DisplayImage = QImage(width, height, QImage::Format_RGB32);
    TraceLayer = QImage(width, height, QImage::Format_RGB32);
    GridOverlay = QImage(width, height, QImage::Format_RGB32);
    FadeSurface = QImage(width, height, QImage::Format_RGB32);
    m_window = QImage(width, height, QImage::Format_RGB32);
}

void ChartPicture::redraw(TrazelState& state)
{
    if (!hasSurfaces())
        return;
    drawStaticPicture(state, {DisplayImage, TraceLayer, GridOverlay, FadeSurface});
    showOnWindow(GridOverlay);
}

void ChartPicture::plot(TrazelState& s, const int16_t* samples, int points, int channels, DataCall call)
{
    if (!samples || points < 1 || channels < 1)
        return;
    const int width = s.ChartWidth;
    const int step = std::max<int>(s.PlotStep, 1);
    const int carried = std::clamp(s.StepCountdown - 1, 0, step - 1);

    // A negative Step repeats each point of a Chart call; only the newest
    // step x width repeated points can be plotted, so only those are built.
    int64_t repeat = call == DataCall::Chart && s.StepSetting < 0 ? -int64_t(s.StepSetting) : 1;
    const int64_t plottable = int64_t(step) * width;
    if (repeat > 1 && std::min(points * repeat, plottable) * channels > StepExpansion::capacityLimit)
        repeat = 1;
    const int64_t total = points * repeat;

    const int64_t advance = (carried + total) / step;
    if (advance < 1) {
        s.StepCountdown = int16_t(carried + 1 + total);
        return;
    }
    int16_t countdown = int16_t((carried + total) % step + 1);
    if (!hasSurfaces()) {
        s.StepCountdown = countdown;
        return;
    }

    CallPlan plan{0, carried, step, int(std::min<int64_t>(advance, width)), call};
    if (advance >= width) {
        s.RestartPending = true;
        countdown = 1;
        plan.carried = 0;
        // Never before the call's first point, even when points carried over
        // from earlier calls completed the width.
        plan.start = std::max<int64_t>(0, total - plottable);
        restartTraceLayer(s);
    } else {
        makeRoom(s, plan.columns);
    }

    SampleView view{samples, channels, 0};
    if (repeat > 1 && !m_expansion.expand(samples, channels, repeat, plan.start, total - plan.start, view))
        return;
    plotTraces(s, TraceLayer, view, plan);

    if (!s.ScrollMode)
        advanceSweep(s, plan.columns);
    s.StepCountdown = countdown;
    // A cross-hair figure on the window stays undisturbed; the traces show
    // with the first call after it is gone.
    if (!s.CrossHairShown) {
        andSurfaces(DisplayImage, TraceLayer, GridOverlay);
        showOnWindow(DisplayImage);
    }
    s.RestartPending = false;
}

void ChartPicture::makeRoom(const TrazelState& s, int columns)
{
    Raster traces(TraceLayer);
    const int width = s.ChartWidth;
    if (s.ScrollMode) {
        shiftLeft(TraceLayer, columns);
        traces.fillColumns(width - columns, width, backgroundOf(s));
        return;
    }
    const int ahead = s.SweepX + columns;
    traces.fillColumns(s.SweepX + 1, std::min(ahead, width - 1), backgroundOf(s));
    if (ahead >= width)
        traces.fillColumns(0, ahead - width, backgroundOf(s));
}

void ChartPicture::restartTraceLayer(const TrazelState& s)
{
    if (s.ScrollMode || !s.SumWaveforms)
        Raster(TraceLayer).fill(backgroundOf(s));
    else if (s.Persist > 0)
        blendSurface(TraceLayer, FadeSurface, s.Persist % 256);
    // Summing without Persist draws the new sweep over the old ones.
}

void ChartPicture::advanceSweep(TrazelState& s, int columns)
{
    int sweep = s.SweepX + columns;
    if (sweep > s.ChartWidth)
        sweep -= s.ChartWidth;
    s.SweepX = int16_t(sweep);
    if (s.ShowEraseBar)
        Raster(TraceLayer).solidColumn(sweep + 1, 0, s.ChartHeight, surfaceColour(s.tools.eraseBar.colour));
}

void ChartPicture::showOnWindow(const QImage& picture)
{
    copySurface(m_window, picture);
    if (windowChanged)
        windowChanged();
}

void ChartPicture::copyToClipboard()
{
    if (m_window.isNull() || !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setImage(m_window.copy());
}

}  // namespace trazel
