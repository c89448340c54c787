#include "chart_picture.h"

#include "blit.h"
#include "raster.h"
#include "static_picture.h"
#include "trace_plot.h"

#include <QClipboard>
#include <QGuiApplication>

#include <algorithm>
#include <new>

namespace trazel {

namespace {

QRgb backgroundOf(const TrazelState& s) { return surfaceColour(s.tools.backgroundBrush.colour); }

// Pixels from the free store, so that a size the memory cannot hold is an
// answer (a null surface) and not the end of the host program.
QImage newSurface(int width, int height)
{
    const qsizetype bytesPerLine = qsizetype(width) * 4;
    uchar* pixels = nullptr;
    try {
        pixels = new uchar[size_t(bytesPerLine) * size_t(height)];
    } catch (const std::bad_alloc&) {
        return {};
    }
    return QImage(pixels, width, height, bytesPerLine, QImage::Format_RGB32,
                  [](void* p) { delete[] static_cast<uchar*>(p); }, pixels);
}

}  // namespace

bool ChartPicture::resize(int width, int height)
{
    // The old surfaces go only once all the new ones are had.
    QImage surfaces[3];
    for (QImage& surface : surfaces)
        if (surface = newSurface(width, height); surface.isNull())
            return false;
    ColumnSpans ink, stale, changed;
    try {
        ink.reset(width, height);
        stale.reset(width, height);
        changed.reset(width, height);
    } catch (const std::bad_alloc&) {
        return false;
    }
    DisplayImage = std::move(surfaces[0]);
    TraceLayer = std::move(surfaces[1]);
    GridOverlay = std::move(surfaces[2]);
    m_shown = &DisplayImage;
    m_figured = {};
    m_ink = std::move(ink);
    m_stale = std::move(stale);
    m_changed = std::move(changed);
    return true;
}

void ChartPicture::redraw(TrazelState& state)
{
    if (!hasSurfaces())
        return;
    drawStaticPicture(state, {DisplayImage, TraceLayer, GridOverlay});
    m_ink.noteAll();
    m_stale.noteAll();
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
    if (repeat > 1 && !m_expansion.reserve(std::min(points * repeat, plottable) * channels))
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

    // While the window shows the display image as it stands, the traces go
    // into it as they are drawn; otherwise it catches up later.
    m_drawThrough = !s.CrossHairShown && !figureShown() && !m_stale.all();
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

    const SampleView view = repeat > 1 ? m_expansion.expand(samples, channels, repeat, plan.start, total - plan.start)
                                       : SampleView{samples, channels, 0};
    Raster traces = traceRaster(&m_ink);
    plotTraces(s, traces, view, plan);

    if (!s.ScrollMode)
        advanceSweep(s, plan.columns);
    s.StepCountdown = countdown;
    // A cross-hair figure on the window stays undisturbed; the traces show
    // once it is gone.
    (m_drawThrough ? m_changed : m_stale).unite(m_ink);
    if (!s.CrossHairShown && !figureShown())
        composeOnWindow();
    s.RestartPending = false;
}

void ChartPicture::makeRoom(const TrazelState& s, int columns)
{
    const int width = s.ChartWidth;
    if (s.ScrollMode) {
        // The display image cannot follow the shift: it is composed anew.
        shiftLeft(TraceLayer, columns);
        m_ink.noteAll();
        loseComposition();
        traceRaster(&m_ink).fillColumns(width - columns, width, backgroundOf(s));
        return;
    }
    Raster traces = traceRaster(&m_ink);
    const int ahead = s.SweepX + columns;
    traces.fillColumns(s.SweepX + 1, std::min(ahead, width - 1), backgroundOf(s));
    if (ahead >= width)
        traces.fillColumns(0, ahead - width, backgroundOf(s));
}

void ChartPicture::restartTraceLayer(const TrazelState& s)
{
    if (s.ScrollMode || !s.SumWaveforms) {
        clearInk(backgroundOf(s));
    } else if (s.Persist > 0) {
        // Old sweeps fade toward the background by Persist.
        blendColour(TraceLayer, backgroundOf(s), s.Persist % 256);
        m_ink.noteAll();
        loseComposition();
    }
    // Summing without Persist draws the new sweep over the old ones.
}

void ChartPicture::advanceSweep(TrazelState& s, int columns)
{
    int sweep = s.SweepX + columns;
    if (sweep > s.ChartWidth)
        sweep -= s.ChartWidth;
    s.SweepX = int16_t(sweep);
    if (s.ShowEraseBar)
        traceRaster(&m_ink).solidColumn(sweep + 1, 0, s.ChartHeight, surfaceColour(s.tools.eraseBar.colour));
}

namespace {

// The window is told of changes in bands of columns: few enough rectangles
// to repaint cheaply, narrow enough to follow a trace closely.
constexpr int band = 64;
// The layers are cleared and composed in narrower strips, each only as tall
// as its own columns' change: a spike in one column no longer costs the
// whole band's height.
constexpr int strip = 8;

// The non-empty strips of columns first..last, as rectangles.
template <typename Visit>
void forEachStrip(const ColumnSpans& spans, int first, int last, Visit visit)
{
    for (int x = first; x <= last; x += strip)
        if (const QRect r = spans.band(x, std::min(x + strip - 1, last)); !r.isEmpty())
            visit(r);
}

}  // namespace

Raster ChartPicture::traceRaster(ColumnSpans* ink)
{
    Raster traces(TraceLayer, ink);
    if (m_drawThrough)
        traces.alsoCompose(DisplayImage, GridOverlay);
    return traces;
}

void ChartPicture::loseComposition()
{
    m_stale.noteAll();
    m_drawThrough = false;
}

// Only where the last traces went can the layer differ from its background:
// column by column, as the traces went, not the rectangles around them.
void ChartPicture::clearInk(QRgb background)
{
    (m_drawThrough ? m_changed : m_stale).unite(m_ink);
    traceRaster(nullptr).fillSpans(m_ink, background);
    m_ink.clear();
}

void ChartPicture::composeOnWindow()
{
    if (m_stale.all()) {
        andSurfaces(DisplayImage, TraceLayer, GridOverlay);
        m_stale.clear();
        m_changed.clear();
        showOnWindow(DisplayImage);
        return;
    }
    // Neighbouring bands of a trace mostly cover the same rows: they are
    // repainted as one rectangle unless that paints much more than both.
    QRegion changed;
    QRect run;
    const auto area = [](const QRect& r) { return int64_t(r.width()) * r.height(); };
    const int from = std::min(m_stale.firstColumn(), m_changed.firstColumn());
    const int to = std::max(m_stale.lastColumn(), m_changed.lastColumn());
    for (int first = from - from % band; first <= to; first += band) {
        const int last = std::min(first + band - 1, m_stale.width() - 1);
        QRect rows = m_changed.band(first, last);
        forEachStrip(m_stale, first, last, [this, &rows](const QRect& part) {
            andSurfacesInto(DisplayImage, TraceLayer, GridOverlay, part);
            rows |= part;
        });
        if (rows.isEmpty())
            continue;
        const QRect r(first, rows.top(), last - first + 1, rows.height());
        const QRect joined = run | r;
        if (!run.isEmpty() && (run.right() + 1 != r.left() || 4 * area(joined) > 5 * (area(run) + area(r)))) {
            changed += run;
            run = r;
        } else {
            run = joined;
        }
    }
    changed += run;
    m_stale.clear();
    m_changed.clear();
    if (!changed.isEmpty())
        announce(changed);
}

void ChartPicture::showOnWindow(const QImage& picture)
{
    m_shown = &picture;
    // A redraw under a shown figure keeps the figure on top, and its removal
    // later gives back the new picture.
    if (figureShown() && !takeFigureCopy())
        m_figure = {};
    if (windowChanged)
        windowChanged();
}

bool ChartPicture::takeFigureCopy()
{
    if (m_figured.size() != m_shown->size() || m_figured.format() != m_shown->format()) {
        m_figured = newSurface(m_shown->width(), m_shown->height());
        if (m_figured.isNull())
            return false;
    }
    copySurface(m_figured, *m_shown);
    invertFigure(m_figured, m_figure);
    return true;
}

void ChartPicture::announce(const QRegion& part)
{
    if (windowPartChanged)
        windowPartChanged(part);
    else if (windowChanged)
        windowChanged();
}

QRegion ChartPicture::figureRegion() const
{
    QRegion region;
    for (int i = 0; i < m_figure.count; ++i)
        region += QRect(m_figure.lines[size_t(i)].from, m_figure.lines[size_t(i)].to).normalized();
    return region;
}

void ChartPicture::showFigure(const Figure& figure)
{
    QRegion changed = figureRegion();
    if (figureShown()) {
        invertFigure(m_figured, m_figure);
        m_figure = figure;
        invertFigure(m_figured, m_figure);
    } else if (!figure.isEmpty()) {
        m_figure = figure;
        if (!hasSurfaces() || !takeFigureCopy())
            m_figure = {};
    }
    changed += figureRegion();
    announce(changed);
}

void ChartPicture::removeFigure()
{
    if (!m_figure.isEmpty()) {
        const QRegion changed = figureRegion();
        m_figure = {};
        m_figured = {};
        announce(changed);
    }
    if (hasSurfaces())
        composeOnWindow();
}

void ChartPicture::copyToClipboard()
{
    if (windowImage().isNull() || !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setImage(windowImage().copy());
}

}  // namespace trazel
