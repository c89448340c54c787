#include "cascadra_component.h"

#include "colour_scale.h"

#include <automation/dispatch_table.h>

#include <QApplication>
#include <QClipboard>

#include <algorithm>

using namespace automation;

namespace cascadra {

namespace {

constexpr ParamInfo lineParams[] = {{"Line", vtArray | vtI2}};
constexpr ParamInfo levelParams[] = {{"Level", vtI2}};
constexpr ParamInfo cursorParams[] = {{"X", vtI2}, {"Y", vtI2}};

const MemberInfo eventInfos[] = {
    {eventid::CursorMoved, "CursorMoved", MemberKind::Event, vtEmpty, cursorParams,
     "The pointer is over the picture at X, Y pixels from its top-left corner"},
};

int32_t asColourValue(QRgb c) { return qRed(c) | qGreen(c) << 8 | qBlue(c) << 16; }

const std::array<MemberEntry<Cascadra>, 6> table{{
    {{dispid::ScrollDirection, "ScrollDirection", MemberKind::Property, vtI4, {},
      "0 45 degree, 1 Bottom to Top, 2 Right to Left, 3 Top to Bottom, 4 -45 degree, 5 i Right to Left"},
     [](Cascadra& c, std::span<Variant>) { return Variant(c.scrollDirection()); },
     [](Cascadra& c, std::span<Variant>, const Variant& v) { c.setScrollDirection(asLong(v)); }},
    {{dispid::View3D, "View3D", MemberKind::Property, vtI4, {}, "Non-zero shows the lines as a 3D relief"},
     [](Cascadra& c, std::span<Variant>) { return Variant(c.view3D()); },
     [](Cascadra& c, std::span<Variant>, const Variant& v) { c.setView3D(asLong(v)); }},
    {{dispid::Depth3D, "Depth3D", MemberKind::Property, vtI2, {}, "Relief height of the full scale, in pixels",
      false, true, false},
     [](Cascadra&, std::span<Variant>) { return Variant(reliefDepth); }},
    {{dispid::AddLine, "AddLine", MemberKind::Method, vtEmpty, lineParams,
      "Adds the newest line: levels 0..32767, -32768 where there is no data"},
     nullptr, nullptr, [](Cascadra& c, std::span<Variant> a, Variant&) { return c.addLine(a[0]); }},
    {{dispid::ClipboardCopy, "ClipboardCopy", MemberKind::Method, vtEmpty, {}, "Copies the picture to the clipboard"},
     nullptr, nullptr, [](Cascadra& c, std::span<Variant>, Variant&) { return c.copyToClipboard(); }},
    {{hiddenid::LevelColour, "LevelColour", MemberKind::Method, vtI4, levelParams, "", true},
     nullptr, nullptr,
     [](Cascadra&, std::span<Variant> a, Variant& colour) {
         colour = Variant(asColourValue(ColourScale::instance().colourOf(asShort(a[0]))));
         return hr::ok;
     }},
}};

const auto memberInfoTable = memberInfos(table);

// The line as its levels, or why it cannot be one.
HResult levelsOf(const Variant& value, std::span<const int16_t>& levels)
{
    const SafeArray* array = value.array();
    if (!array || array->elementType != vtI2)
        return hr::typeMismatch;
    if (array->dimensions() != 1 || array->bounds[0].lowerBound != 0 || array->bounds[0].count < 0
        || array->shorts.size() != static_cast<size_t>(array->bounds[0].count))
        return hr::invalidArg;
    levels = array->shorts;
    return hr::ok;
}

}  // namespace

Cascadra::Cascadra()
    : m_events(eventInfos)
{
    applyLayout();
}

Cascadra::~Cascadra() { delete m_view.data(); }

QWidget* Cascadra::widget()
{
    // Widgets need a widget application; without one the control still
    // takes lines, it just has nothing to show them on.
    if (!m_view && qobject_cast<QApplication*>(QCoreApplication::instance()))
        m_view = new WaterfallView(m_picture, [this](QPoint p) { pointerAt(p); });
    return m_view.data();
}

HResult Cascadra::invoke(DispId id, InvokeKind kind, std::span<Variant> args, Variant* result)
{
    return invokeFromTable(table, *this, id, kind, args, result);
}

std::span<const MemberInfo> Cascadra::members() const { return memberInfoTable; }

void Cascadra::setScrollDirection(int32_t value)
{
    if (const auto direction = directionFromValue(value)) {
        m_direction = *direction;
        applyLayout();
    }
}

void Cascadra::setView3D(int32_t value)
{
    m_view3D = value;
    applyLayout();
}

HResult Cascadra::addLine(const Variant& line)
{
    std::span<const int16_t> levels;
    if (HResult r = levelsOf(line, levels); failed(r))
        return r;
    fitPicture();
    const LineChange change = m_picture.addLine(levels);
    if (m_view)
        m_view->showLine(change);
    return hr::ok;
}

HResult Cascadra::copyToClipboard()
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    fitPicture();
    if (!app || m_picture.isNull())
        return hr::fail;
    QGuiApplication::clipboard()->setImage(m_picture.image());
    return hr::ok;
}

void Cascadra::applyLayout()
{
    // Unchanged settings keep the picture: hosts put View3D back as it was.
    m_picture.setLayout(m_direction, m_view3D != 0, reliefDepth);
    if (m_view)
        m_view->update();
}

void Cascadra::fitPicture()
{
    if (m_view)
        m_view->fitPicture();
}

void Cascadra::pointerAt(QPoint position)
{
    auto toShort = [](int v) { return static_cast<int16_t>(std::clamp(v, -32768, 32767)); };
    m_events.fire(eventid::CursorMoved, {Variant(toShort(position.x())), Variant(toShort(position.y()))});
}

}  // namespace cascadra
