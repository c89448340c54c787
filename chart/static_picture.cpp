#include "static_picture.h"

#include "axis_ticks.h"
#include "raster.h"
#include "vertical_scale.h"

#include <QGuiApplication>
#include <QPainter>

#include <cstdlib>
#include <utility>

namespace trazel {

namespace {

void drawAnnotations(const TrazelState& s, Raster& r)
{
    const auto row = [&](int32_t y) { return rowOf(y, s.Centre[0], s.HalfRange[0], s.HalfHeight); };
    for (const Annotation& a : s.AnnotationTable) {
        if (a.colour == -1)
            continue;
        const RasterPen pen{surfaceColour(uint32_t(a.colour)), 1};
        r.line({a.x1, row(a.y1)}, {a.x2, row(a.y2)}, pen);
    }
}

void drawBaseLine(const TrazelState& s, Raster& r)
{
    if (s.TopMode)
        return;
    const QRgb grid = surfaceColour(s.tools.grid.colour);
    if (s.SolidBaseLine)
        r.line({1, s.HalfHeight}, {s.ChartWidth - 1, s.HalfHeight}, {grid, 1});
    else
        r.dottedRow(s.HalfHeight, s.ChartWidth - 1, grid);
}

// A negative spacing is in hundredths of a pixel; rows are computed in those
// units and truncated, so that the fractional spacing does not drift.
void drawHorizontalGrid(const TrazelState& s, Raster& r)
{
    const QRgb grid = surfaceColour(s.tools.grid.colour);
    const int limit = s.ChartWidth - 1;
    const int64_t g = s.GridSpacingY;
    if (g == 0)
        return;
    const int64_t step = g > 0 ? 100 * g : -g;
    // Spacings below a pixel land several steps on one row; each row is
    // drawn once, or a tall chart redraws its grid a hundred times over.
    if (s.TopMode) {
        int last = -1;
        for (int64_t t = step; t < 100 * int64_t(s.ChartHeight); t += step)
            if (const int y = int(t / 100); y != std::exchange(last, y))
                r.dottedRow(y, limit, grid);
        return;
    }
    const int64_t centre = 100 * int64_t(s.HalfHeight);
    int lastBelow = -1, lastAbove = -1;
    for (int64_t t = step; t < centre; t += step) {
        if (const int y = int((centre + t) / 100); y != std::exchange(lastBelow, y))
            r.dottedRow(y, limit, grid);
        if (const int y = int((centre - t) / 100); y != std::exchange(lastAbove, y))
            r.dottedRow(y, limit, grid);
    }
}

void drawVerticalGrid(const TrazelState& s, Raster& r)
{
    const QRgb grid = surfaceColour(s.tools.grid.colour);
    const int limit = s.ChartHeight - 1;
    switch (s.AxisMode) {
    case int(AxisMode::None): {
        const int64_t g = s.GridSpacingX;
        if (g == 0)
            return;
        const int64_t step = g > 0 ? 100 * g : -g;
        int last = -1;  // each column once, as the rows
        for (int64_t t = step; t < 100 * int64_t(s.ChartWidth); t += step)
            if (const int x = int(t / 100); x != std::exchange(last, x))
                r.dottedColumn(x, limit, grid);
        return;
    }
    case int(AxisMode::Logarithmic):
    case int(AxisMode::Linear): {
        const AxisSpan span{s.AxisMin, s.AxisMax, s.AxisPoints};
        for (int i = 0; i < drawnTickCount(s); ++i) {
            const double tick = s.Ticks[i];
            const auto column = tickColumn(AxisMode(s.AxisMode), span, std::abs(tick), s.ChartWidth);
            if (!column)
                continue;
            if (tick < 0)
                r.solidColumn(*column, 1, limit, grid);  // major tick
            else
                r.dottedColumn(*column, limit, grid);
        }
        return;
    }
    default:
        return;
    }
}

void drawChartText(const TrazelState& s, QImage& surface)
{
    // Text needs the font database of a running GUI application.
    if (s.ChartText.isEmpty() || !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    QPainter painter(&surface);
    QFont font;
    font.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(font);
    painter.setPen(QColor::fromRgb(surfaceColour(s.PText)));
    painter.drawText(QPoint(s.CaptionX, s.CaptionY + painter.fontMetrics().ascent()), s.ChartText);
}

void drawAuxCrossHair(const TrazelState& s, Raster& r)
{
    if (s.AuxX <= 0 && s.AuxY <= 0)
        return;
    const RasterPen pen{surfaceColour(s.tools.auxCrossHair.colour), 1};
    r.line({0, s.AuxY}, {s.ChartWidth - 1, s.AuxY}, pen);
    r.line({s.AuxX, 0}, {s.AuxX, s.ChartHeight}, pen);
}

}  // namespace

void drawStaticPicture(const TrazelState& s, Surfaces surfaces)
{
    const int w = s.ChartWidth, h = s.ChartHeight;
    const QRgb background = surfaceColour(s.tools.backgroundBrush.colour);
    const QRgb white = surfaceColour(s.tools.whiteBrush.colour);
    const QRgb grid = surfaceColour(s.tools.grid.colour);

    Raster display(surfaces.display);
    display.fillRect(0, 0, w, h, background, grid);
    drawAnnotations(s, display);
    drawBaseLine(s, display);
    drawHorizontalGrid(s, display);
    drawVerticalGrid(s, display);

    // One pixel larger than the surface: only row 0 and column 0 keep the border.
    Raster(surfaces.traces).fillRect(0, 0, w + 1, h + 1, background, grid);

    Raster overlay(surfaces.overlay);
    overlay.fillRect(0, 0, w + 1, h + 1, white, grid);
    drawAnnotations(s, overlay);
    drawBaseLine(s, overlay);
    drawChartText(s, surfaces.overlay);
    drawHorizontalGrid(s, overlay);
    drawVerticalGrid(s, overlay);
    drawAuxCrossHair(s, overlay);
}

}  // namespace trazel
