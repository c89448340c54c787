#pragma once
// The chart's pixels: the three surfaces it composes its picture from, and
// which of them its window shows. The control decides when to resize, redraw
// and plot; this class does the drawing.
#include "figure.h"
#include "plot_call.h"
#include "raster.h"
#include "step_expansion.h"
#include "trazel_state.h"

#include <QImage>
#include <QRegion>

#include <functional>

namespace trazel {

class ChartPicture {
public:
    ChartPicture() = default;
    // The window shows one of its own surfaces, by address.
    ChartPicture(const ChartPicture&) = delete;
    ChartPicture& operator=(const ChartPicture&) = delete;

    // Told whenever the window image changed, so the window can be repainted.
    std::function<void()> windowChanged;
    // Told instead, when set, if only this part of the window image changed.
    std::function<void(const QRegion&)> windowPartChanged;

    bool hasSurfaces() const { return !DisplayImage.isNull(); }

    // Discards the surfaces and allocates them at the new size (contents
    // undefined). False, with the surfaces as they were, when there is not
    // the memory for them.
    bool resize(int width, int height);

    // Rebuilds the static picture and puts the grid overlay on the window.
    void redraw(TrazelState& state);

    // Plots points x channels interleaved samples (channel ch of point i at
    // i * channels + ch), advances the chart and shows the result unless a
    // cross-hair is on the window. Reads nothing outside those samples.
    void plot(TrazelState& state, const int16_t* samples, int points, int channels, DataCall call);

    // The mouse's inverting figure on the window. Showing one replaces the
    // figure shown before; the window keeps it through repaints and redraws
    // until it is removed.
    void showFigure(const Figure& figure);
    // Gives the window back its picture, with the traces that data calls
    // drew while the figure was shown.
    void removeFigure();
    bool figureShown() const { return !m_figure.isEmpty(); }

    // Puts what the window shows on the clipboard; never fails.
    void copyToClipboard();

    // Exactly what the window shows; paint events and the clipboard read
    // this one image. It is the display image itself (or the grid overlay
    // right after a redraw), and a copy of it only while a figure is shown,
    // so a plain plot writes its pixels once.
    const QImage& windowImage() const { return figureShown() ? m_figured : *m_shown; }

    QImage DisplayImage;
    QImage TraceLayer;
    QImage GridOverlay;

private:
    // Makes room for `columns` new columns: shifts and clears in scroll mode,
    // clears the strip ahead of the sweep in scope mode.
    void makeRoom(const TrazelState& state, int columns);
    // A fresh sweep: cleared, faded by Persist, or kept for summing.
    void restartTraceLayer(const TrazelState& state);
    void clearInk(QRgb background);
    // The trace layer to draw on, noting in `ink`; drawing through to the
    // display image too while that is the composed picture on the window.
    Raster traceRaster(ColumnSpans* ink);
    // The display image must be composed again as a whole.
    void loseComposition();
    void advanceSweep(TrazelState& state, int columns);
    void showOnWindow(const QImage& picture);
    // DisplayImage = TraceLayer AND GridOverlay where either may have
    // changed since the last time, shown on the window.
    void composeOnWindow();
    // The figure inverted on a copy of the picture shown; false, with no
    // figure shown, when there is not the memory for the copy.
    bool takeFigureCopy();

    void announce(const QRegion& part);
    QRegion figureRegion() const;

    const QImage* m_shown = &DisplayImage;
    QImage m_figured;  // the picture shown with the figure inverted on it
    Figure m_figure;  // as inverted on m_figured; empty when none is shown
    StepExpansion m_expansion;
    // Where TraceLayer may differ from the background colour.
    ColumnSpans m_ink;
    // Where DisplayImage and the window may lag behind the trace layer.
    ColumnSpans m_stale;
    // Where this data call drew through to DisplayImage, for the window.
    ColumnSpans m_changed;
    bool m_drawThrough = false;
};

}  // namespace trazel
