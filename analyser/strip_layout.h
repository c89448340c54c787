#pragma once
// The strips add-ons show beside the chart: rulers and meters left of it,
// scales and a transport under it, readouts between the frequency labels and
// the waterfall. The window makes room for them (it grows by them, and the
// chart keeps its size) and this places each one. The waterfall moves right
// with the chart by the strips left of it, so in the flat directions whose
// lines run along its width a frequency stands in the same screen column in
// both views whatever strips are shown.
//
// Use from an add-on: window.setStrip(widget, StripSide::leftOfChart, pixels)
// to show a strip `pixels` thick, window.setStrip(widget, side, 0) to take it
// away; the window places, shows and hides the widget from then on.
#include "form1_layout.h"
#include "twips.h"

#include <QRect>

#include <vector>

class QWidget;

namespace vellarin::layout {

enum class StripSide { leftOfChart, underChart, underLabels };

class StripLayout {
public:
    // Adds, resizes or (with 0 pixels) takes away a strip. A strip keeps its
    // place on its side; new strips go outside those already there.
    // False when nothing changed.
    bool set(QWidget* strip, StripSide side, int pixels);
    bool contains(const QWidget* strip) const;

    // The room the strips take on each side, in twips.
    Strips room(const TwipsScale& scale) const;
    // Where `strip` goes for a chart and waterfall at these places (pixels);
    // empty when it is not shown.
    QRect place(const QWidget* strip, const QRect& chart, const QRect& waterfall) const;
    // Moves every strip to its place.
    void placeAll(const QRect& chart, const QRect& waterfall) const;

private:
    struct Entry {
        QWidget* strip;
        StripSide side;
        int pixels;
    };
    std::vector<Entry> m_entries;
};

}  // namespace vellarin::layout
