#include "waterfall_probe.h"

#include <interfaces/class_ids.h>
#include <automation/host.h>

#include <QTest>
#include <QWidget>

using namespace automation;

WaterfallProbe::WaterfallProbe(QSize size, int32_t direction, int32_t view3D)
{
    if (failed(createInstance(sdk::classes::cascadra.classId, m_component, "cascadra")) || !m_component->control())
        qFatal("the cascadra module did not load");
    m_view = m_component->control()->widget();
    m_view->resize(size);
    dispatch().put(cascadra::dispid::ScrollDirection, Variant(direction));
    dispatch().put(cascadra::dispid::View3D, Variant(view3D));
}

HResult WaterfallProbe::addLine(std::vector<int16_t> levels)
{
    return call(cascadra::dispid::AddLine, {Variant(SafeArray::shorts1D(std::move(levels)))});
}

HResult WaterfallProbe::call(DispId id, std::vector<Variant> args) { return dispatch().call(id, args); }

int32_t WaterfallProbe::getLong(DispId id)
{
    Variant v;
    dispatch().get(id, v);
    return asLong(v);
}

QImage WaterfallProbe::picture() const { return m_view->grab().toImage().convertToFormat(QImage::Format_RGB32); }

QRgb WaterfallProbe::colourOf(int16_t level)
{
    Variant colour;
    std::vector<Variant> args{Variant(level)};
    dispatch().call(100, args, &colour);  // the hidden LevelColour member, 0x00BBGGRR
    const int32_t c = asLong(colour);
    return qRgb(c & 0xff, (c >> 8) & 0xff, (c >> 16) & 0xff);
}

int WaterfallProbe::depth()
{
    Variant v;
    dispatch().get(cascadra::dispid::Depth3D, v);
    return asShort(v);
}

QPoint basePixel(int direction, bool view3D, int depth, QSize picture, int age, int i)
{
    const int w = picture.width(), h = picture.height();
    const int headroom = view3D ? depth : 0;  // lines arriving at the back leave room for their relief
    switch (direction) {
    case cascadra::Diagonal45: {
        const int y = h - 1 - age;
        return {h - y + i, y};
    }
    case cascadra::BottomToTop: return {i, h - 1 - age};
    case cascadra::RightToLeft: return {w - 1 - age, i};
    case cascadra::TopToBottom: return {i, age + headroom};
    case cascadra::DiagonalMinus45: {
        const int y = age + headroom;
        return {y - headroom + i, y};
    }
    default: return {w - 1 - age, h - 1 - i};
    }
}

QPoint reliefRise(int direction)
{
    const bool horizontal = direction == cascadra::RightToLeft || direction == cascadra::InvertedRightToLeft;
    return horizontal ? QPoint(-1, 0) : QPoint(0, -1);
}

bool newestInFront(int direction) { return direction != cascadra::TopToBottom && direction != cascadra::DiagonalMinus45; }
