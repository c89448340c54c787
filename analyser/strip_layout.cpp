#include "strip_layout.h"

#include <QWidget>

#include <algorithm>

namespace vellarin::layout {

bool StripLayout::set(QWidget* strip, StripSide side, int pixels)
{
    pixels = std::max(pixels, 0);
    const auto found = std::find_if(m_entries.begin(), m_entries.end(), [strip](const Entry& e) { return e.strip == strip; });
    if (pixels == 0) {
        if (found == m_entries.end())
            return false;
        m_entries.erase(found);
        return true;
    }
    if (found == m_entries.end()) {
        m_entries.push_back({strip, side, pixels});
        return true;
    }
    if (found->side == side && found->pixels == pixels)
        return false;
    found->side = side;
    found->pixels = pixels;
    return true;
}

bool StripLayout::contains(const QWidget* strip) const
{
    return std::any_of(m_entries.begin(), m_entries.end(), [strip](const Entry& e) { return e.strip == strip; });
}

Strips StripLayout::room(const TwipsScale& scale) const
{
    Strips strips;
    for (const Entry& e : m_entries)
        switch (e.side) {
        case StripSide::leftOfChart: strips.leftOfChart += e.pixels * scale.perPixelX; break;
        case StripSide::underChart: strips.underChart += e.pixels * scale.perPixelY; break;
        case StripSide::underLabels: strips.underLabels += e.pixels * scale.perPixelY; break;
        }
    return strips;
}

QRect StripLayout::place(const QWidget* strip, const QRect& chart, const QRect& waterfall) const
{
    // The pixels taken on the same side by the strips nearer the chart, and
    // on the side between the labels and the waterfall by all of them.
    const auto own = std::find_if(m_entries.begin(), m_entries.end(), [strip](const Entry& e) { return e.strip == strip; });
    if (own == m_entries.end())
        return {};
    int nearer = 0;
    int labelsSide = 0;
    for (const Entry& e : m_entries)
        if (e.side == StripSide::underLabels)
            labelsSide += e.pixels;
    for (const Entry& e : m_entries) {
        if (&e == &*own)
            break;
        if (e.side == own->side)
            nearer += e.pixels;
    }
    switch (own->side) {
    case StripSide::leftOfChart:
        return {chart.left() - nearer - own->pixels, chart.top(), own->pixels, chart.height()};
    case StripSide::underChart:
        return {chart.left(), chart.bottom() + 1 + nearer, chart.width(), own->pixels};
    case StripSide::underLabels:
        return {chart.left(), waterfall.top() - labelsSide + nearer, chart.width(), own->pixels};
    }
    return {};
}

void StripLayout::placeAll(const QRect& chart, const QRect& waterfall) const
{
    for (const Entry& e : m_entries)
        e.strip->setGeometry(place(e.strip, chart, waterfall));
}

}  // namespace vellarin::layout
