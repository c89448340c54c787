// The dispatch interface _DTrazel: one table of members that both the calls
// by number and the type listing read.
#include "trazel_members.h"

#include "chart_data.h"
#include "command_channel.h"
#include "trazel_ctrl.h"

#include <automation/dispatch_table.h>
#include <interfaces/trazel.h>

#include <algorithm>

using namespace automation;

namespace trazel {

namespace {

using Entry = MemberEntry<CTrazelCtrl>;
using Args = std::span<Variant>;

enum class After { Store, Redraw };

void finishPut(CTrazelCtrl& c, After after)
{
    if (after == After::Redraw)
        c.fullRedraw();
    c.markModified();
}

// Plain stored settings: the getter reads the field, the putter stores it and
// runs the common ending of a put.
template <auto field> Variant getBool(CTrazelCtrl& c, Args) { return Variant::fromBool(c.state.*field); }
template <auto field, After after> void putBool(CTrazelCtrl& c, Args, const Variant& v)
{
    c.state.*field = asBool(v);
    finishPut(c, after);
}
template <auto field> Variant getShort(CTrazelCtrl& c, Args) { return Variant(c.state.*field); }
template <auto field, After after> void putShort(CTrazelCtrl& c, Args, const Variant& v)
{
    c.state.*field = asShort(v);
    finishPut(c, after);
}
template <auto field> Variant getColour(CTrazelCtrl& c, Args)
{
    return Variant(static_cast<int32_t>(c.state.*field));
}
// Colour puts rebuild the pens that carry the colour.
template <auto field, After after> void putColour(CTrazelCtrl& c, Args, const Variant& v)
{
    c.state.*field = static_cast<Colour>(asLong(v));
    rebuildDrawingTools(c.state);
    finishPut(c, after);
}

// A negative index means channel 0, one above 15 channel 15.
int channelIndex(Args index) { return std::clamp<int>(asShort(index[0]), 0, channelCount - 1); }

template <auto array> Variant getIndexed(CTrazelCtrl& c, Args i)
{
    return Variant(static_cast<int32_t>((c.state.*array)[channelIndex(i)]));
}

void putGridSpacing(int16_t& spacing, CTrazelCtrl& c, const Variant& v)
{
    // A spacing of 0 would never end a grid row; it is ignored, the redraw is not.
    if (const int16_t g = asShort(v); g != 0)
        spacing = g;
    finishPut(c, After::Redraw);
}

HResult nothing(CTrazelCtrl&, Args, Variant&) { return hr::ok; }

constexpr ParamInfo indexParam[] = {{"Idx", vtI2}};
constexpr ParamInfo chartParams[] = {{"Data", vtVariant}};
constexpr ParamInfo chartExParams[] = {{"Buffer", vtByRef | vtI2}, {"Channel", vtI2}, {"Total", vtI2}};
constexpr ParamInfo positionParams[] = {{"X", vtI2}, {"Y", vtI2}};

constexpr MemberInfo property(DispId id, const char* name, uint16_t type, const char* help, bool hidden = false)
{
    return {id, name, MemberKind::Property, type, {}, help, hidden};
}
constexpr MemberInfo indexed(DispId id, const char* name, uint16_t type)
{
    return {id, name, MemberKind::IndexedProperty, type, indexParam, ""};
}
constexpr MemberInfo method(DispId id, const char* name, std::span<const ParamInfo> params, bool hidden = false)
{
    return {id, name, MemberKind::Method, vtEmpty, params, "", hidden};
}

// The value travels as its plain automation type; the type library names it.
constexpr MemberInfo typed(MemberInfo m, const char* typeName)
{
    m.typeName = typeName;
    return m;
}
constexpr const char* colourType = "OLE_COLOR";

namespace id = dispid;
using S = TrazelState;

const std::array<Entry, 35> table{{
    {property(id::ActiveChannel, "ActiveChannel", vtI2, "The channel to follow mouse scaling and offset operations"),
     getShort<&S::ActiveChannel>,
     [](CTrazelCtrl& c, Args, const Variant& v) {
         if (const int16_t ch = asShort(v); ch >= 0 && ch < channelCount)
             c.state.ActiveChannel = ch;
         c.markModified();
     }},
    {property(id::BaseLineLegend, "BaseLineLegend", vtBool,
              "The legends will be placed at the 0 instead of the upper left corner"),
     getBool<&S::BaseLineLegend>, putBool<&S::BaseLineLegend, After::Store>},
    {property(id::Channel, "Channel", vtI2, "To specify a channel to plot"), getShort<&S::Channel>,
     putShort<&S::Channel, After::Store>},
    {property(id::ChannelMask, "ChannelMask", vtI4, "To select the plotting channels"),
     [](CTrazelCtrl& c, Args) { return Variant(c.state.ChannelMask); },
     [](CTrazelCtrl& c, Args, const Variant& v) {
         c.state.ChannelMask = asLong(v) & 0xFFFF;
         c.markModified();
     }},
    {property(id::ChartText, "ChartText", vtBstr, "The text in the chart"),
     [](CTrazelCtrl& c, Args) { return Variant(c.readChartText()); },
     [](CTrazelCtrl& c, Args, const Variant& v) { c.setChartText(asString(v)); }},
    {typed(property(id::DigitalMask, "DigitalMask", vtI2, "To select a digital bit for digital plot"), "enumDigitalMask"),
     getShort<&S::DigitalMask>, putShort<&S::DigitalMask, After::Store>},
    {property(id::GridSpacingX, "GridSpacingX", vtI2, "The spacing between X gridlines in pixels"),
     getShort<&S::GridSpacingX>,
     [](CTrazelCtrl& c, Args, const Variant& v) { putGridSpacing(c.state.GridSpacingX, c, v); }},
    {property(id::GridSpacingY, "GridSpacingY", vtI2, "The spacing between Y gridlines in pixels"),
     getShort<&S::GridSpacingY>,
     [](CTrazelCtrl& c, Args, const Variant& v) { putGridSpacing(c.state.GridSpacingY, c, v); }},
    {property(id::GroupSetting, "GroupSetting", vtBool, "Mouse scaling and offset operations will apply to all channels"),
     getBool<&S::GroupSetting>, putBool<&S::GroupSetting, After::Store>},
    {property(id::Lock, "Lock", vtBool, "When set, mouse offset operations will not be allowed"),
     getBool<&S::LockSetting>,
     [](CTrazelCtrl& c, Args, const Variant& v) {
         c.state.LockSetting = c.state.LockActive = asBool(v);
         c.markModified();
     }},
    {property(id::MarkEvents, "MarkEvents", vtBool, "", true), getBool<&S::MarkEvents>,
     putBool<&S::MarkEvents, After::Store>},
    {typed(property(id::PEraseBar, "PEraseBar", vtI4, "Color of the erase bar"), colourType), getColour<&S::PEraseBar>,
     putColour<&S::PEraseBar, After::Store>},
    {typed(property(id::PGrid, "PGrid", vtI4, "Color of the grids"), colourType), getColour<&S::PGrid>,
     putColour<&S::PGrid, After::Redraw>},
    {typed(property(id::PText, "PText", vtI4, "Color ot the text in the chart"), colourType), getColour<&S::PText>,
     putColour<&S::PText, After::Redraw>},
    {property(id::PenSize, "PenSize", vtI2, "", true), getShort<&S::PenSize>,
     [](CTrazelCtrl& c, Args, const Variant& v) {
         // Out of range is refused outright: not even marked modified.
         const int16_t size = asShort(v);
         if (size < 1 || size > 15)
             return;
         c.state.PenSize = size;
         rebuildDrawingTools(c.state);
         c.markModified();
     }},
    {property(id::ScrollMode, "ScrollMode", vtBool, "Scroll or scope mode"), getBool<&S::ScrollMode>,
     putBool<&S::ScrollMode, After::Redraw>},
    {property(id::ShowEraseBar, "ShowEraseBar", vtBool, "Show erase bar in scope mode"), getBool<&S::ShowEraseBar>,
     putBool<&S::ShowEraseBar, After::Store>},
    {property(id::ShowLegend, "ShowLegend", vtBool, "Show legends on the chart"), getBool<&S::ShowLegend>,
     putBool<&S::ShowLegend, After::Redraw>},
    {property(id::SolidBaseLine, "SolidBaseLine", vtBool, "Solid center line"), getBool<&S::SolidBaseLine>,
     putBool<&S::SolidBaseLine, After::Redraw>},
    {property(id::Step, "Step", vtI2, "Number of data points to skip when plotting"), getShort<&S::StepSetting>,
     [](CTrazelCtrl& c, Args, const Variant& v) { c.setStep(asShort(v)); }},
    {property(id::Xmax, "Xmax", vtI4, "Returns the width of the chart in number of pixels"),
     [](CTrazelCtrl& c, Args) { return Variant(c.state.ChartWidth); },
     [](CTrazelCtrl& c, Args, const Variant& v) { c.setWidthInPixels(asLong(v)); }},
    {property(id::SumWaveforms, "SumWaveforms", vtBool, "Do not erase old waveforms"), getBool<&S::SumWaveforms>,
     putBool<&S::SumWaveforms, After::Store>},
    {property(id::DoubleActiveTrace, "DoubleActiveTrace", vtBool, "Highlight the active trance"),
     getBool<&S::DoubleActiveTrace>, putBool<&S::DoubleActiveTrace, After::Store>},
    {property(id::Persist, "Persist", vtI2, ""), getShort<&S::Persist>, putShort<&S::Persist, After::Store>},
    // Write-only: reading it is the one error a property gives.
    {{id::Key, "Key", MemberKind::Property, vtBstr, {}, "", false, false, true},
     nullptr,
     [](CTrazelCtrl& c, Args, const Variant& v) { runCommand(c, asString(v)); }},
    {method(id::Chart, "Chart", chartParams), nullptr, nullptr,
     [](CTrazelCtrl& c, Args a, Variant&) {
         int16_t single = 0;
         if (const SampleBlock block = decodeChartData(a[0], single); !block.isEmpty())
             c.plot(block.samples, block.points, block.channels, DataCall::Chart);
         return hr::ok;
     }},
    {method(id::ChartEx, "ChartEx", chartExParams), nullptr, nullptr,
     [](CTrazelCtrl& c, Args a, Variant&) {
         c.plot(static_cast<const int16_t*>(a[0].byRef()->address), asShort(a[2]), asShort(a[1]), DataCall::ChartEx);
         return hr::ok;
     }},
    {method(id::CopyToClipboard, "CopyToClipboard", {}), nullptr, nullptr,
     [](CTrazelCtrl& c, Args, Variant&) {
         c.picture.copyToClipboard();
         return hr::ok;
     }},
    {method(id::SetTextPos, "SetTextPos", positionParams), nullptr, nullptr,
     [](CTrazelCtrl& c, Args a, Variant&) {
         if (const int16_t x = asShort(a[0]); x >= 0)
             c.state.CaptionX = x;
         if (const int16_t y = asShort(a[1]); y >= 0)
             c.state.CaptionY = y;
         rebuildDrawingTools(c.state);
         c.fullRedraw();
         return hr::ok;
     }},
    {method(id::AuxCrossHair, "AuxCrossHair", positionParams), nullptr, nullptr,
     [](CTrazelCtrl& c, Args a, Variant&) {
         c.state.AuxX = asShort(a[0]);
         c.state.AuxY = asShort(a[1]);
         c.fullRedraw();
         return hr::ok;
     }},
    {method(id::EvenSpacing, "EvenSpacing", {}, true), nullptr, nullptr, nothing},
    {typed(indexed(id::PLine, "PLine", vtI4), colourType), getIndexed<&S::PLine>,
     [](CTrazelCtrl& c, Args i, const Variant& v) {
         c.state.PLine[channelIndex(i)] = static_cast<Colour>(asLong(v));
         rebuildDrawingTools(c.state);
         finishPut(c, After::Redraw);
     }},
    {indexed(id::Ymax, "Ymax", vtI4), getIndexed<&S::Ymax>,
     [](CTrazelCtrl& c, Args i, const Variant& v) { c.setScaleBound(channelIndex(i), true, asLong(v)); }},
    {indexed(id::Ymin, "Ymin", vtI4), getIndexed<&S::Ymin>,
     [](CTrazelCtrl& c, Args i, const Variant& v) { c.setScaleBound(channelIndex(i), false, asLong(v)); }},
    {indexed(id::BaseLine, "BaseLine", vtI4), getIndexed<&S::BaseLine>,
     [](CTrazelCtrl& c, Args i, const Variant& v) {
         c.state.BaseLine[channelIndex(i)] = asLong(v);
         c.markModified();
     }},
}};

const auto infos = memberInfos(table);

constexpr ParamInfo chartChangedParams[] = {{"Min", vtI4}, {"Max", vtI4}};
constexpr ParamInfo crossHairParams[] = {{"Offset", vtI4}};
constexpr MemberInfo eventTable[] = {
    {eventid::ChartChanged, "ChartChanged", MemberKind::Event, vtEmpty, chartChangedParams},
    {eventid::CrossHair, "CrossHair", MemberKind::Event, vtEmpty, crossHairParams},
};

}  // namespace

std::span<const MemberInfo> eventInfos() { return eventTable; }
std::span<const MemberInfo> dispatchMembers() { return infos; }

HResult CTrazelCtrl::invoke(DispId dispId, InvokeKind kind, std::span<Variant> args, Variant* result)
{
    return invokeFromTable(table, *this, dispId, kind, args, result);
}

std::span<const MemberInfo> CTrazelCtrl::members() const { return dispatchMembers(); }

}  // namespace trazel
