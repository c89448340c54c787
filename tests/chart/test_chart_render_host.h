#pragma once
// A chart of a chosen size driven by dispatch number, and readers of the
// picture its window shows.
#include "test_chart_core_host.h"

#include <QImage>
#include <QList>
#include <QWidget>

#include <vector>

namespace charttest {

// A chart colour value (0x00BBGGRR) as the window shows it.
inline QRgb shown(uint32_t colour)
{
    return qRgb(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

inline constexpr uint32_t white = 0xFFFFFF, silver = 0xC0C0C0, blue = 0xFF0000, olive = 0x008080,
                          navy = 0x800000, red = 0x0000FF;

class PictureHost : public ChartHost {
public:
    PictureHost(int width, int height)
    {
        widget().resize(width, height);
        widget().show();
    }

    // A white overlay apart from the border: no grid lines, no base line, no legend.
    void bareOverlay()
    {
        put(id::GridSpacingX, int16_t(30000));
        put(id::GridSpacingY, int16_t(30000));
        put(id::ShowLegend, Variant::fromBool(false));
        key("t");
    }

    // What the window shows, painted as a repaint would.
    QImage window() { return widget().grab().toImage().convertToFormat(QImage::Format_RGB32); }

    HResult chart(Variant data)
    {
        Variant args[] = {std::move(data)};
        return dispatch().call(id::Chart, args);
    }
    HResult chartEx(std::vector<int16_t>& buffer, int16_t channels, int16_t total)
    {
        Variant args[] = {Variant::refShorts(buffer.data()), Variant(channels), Variant(total)};
        return dispatch().call(id::ChartEx, args);
    }
    HResult chartPoints(std::vector<int16_t> values) { return chart(SafeArray::shorts1D(std::move(values))); }
};

// Rows of column x (or columns of row y) whose pixel has the given colour.
inline QList<int> rowsIn(const QImage& image, int x, QRgb colour)
{
    QList<int> rows;
    for (int y = 0; y < image.height(); ++y)
        if (image.pixel(x, y) == colour)
            rows.append(y);
    return rows;
}
inline QList<int> columnsIn(const QImage& image, int y, QRgb colour)
{
    QList<int> columns;
    for (int x = 0; x < image.width(); ++x)
        if (image.pixel(x, y) == colour)
            columns.append(x);
    return columns;
}
inline QList<int> range(int first, int last)
{
    QList<int> r;
    for (int i = first; i <= last; ++i)
        r.append(i);
    return r;
}

}  // namespace charttest
