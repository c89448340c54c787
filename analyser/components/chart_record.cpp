#include "chart_record.h"

#include <automation/persistence.h>

#include <array>
#include <cstdint>

namespace vellarin {

namespace {

enum class Kind { Bool, Short, Long, ULong };

struct Setting {
    Kind kind;
    const char* name;
    int64_t value;
};

constexpr int64_t yMin = -32768;
constexpr int64_t yMax = 32768;
constexpr int16_t on = -1;
constexpr int16_t off = 0;

// The record in stream order after the version and the extent. Ymin/Ymax of
// the 16 channels and the 16 trace colours are expanded in storedChartRecord().
constexpr Setting head[] = {{Kind::Bool, "GroupAction", on}};
constexpr Setting colours[] = {
    {Kind::ULong, "PGRIDCOLOR", 0xC0C0C0},
    {Kind::ULong, "ERASECOLOR", 0x800000},
    {Kind::ULong, "PANNOTATION", 0xC0C0C0},
};
constexpr std::array<uint32_t, 16> traceColours{0xFF0000, 0x008080, 0x000080, 0x0000FF, 0x008000, 0x00FFFF,
                                                 0x00FF00, 0x800000, 0x800080, 0x808000, 0x808080, 0x202020,
                                                 0xFF00FF, 0xFFFF00, 0x404040, 0xC0C0C0};
constexpr Setting tail[] = {
    {Kind::Short, "Channel", 0},           // only the spectrum channel
    {Kind::Short, "CaptionX", 0},
    {Kind::Short, "CaptionY", 0},
    {Kind::Short, "Step", 1},
    {Kind::Short, "Step", 1},
    {Kind::Short, "GridSpacingX", -2560},  // hundredths of a pixel: 25.6
    {Kind::Short, "GridSpacingY", 20},
    {Kind::Short, "PenSize", 1},
    {Kind::Bool, "Lock", on},
    {Kind::Bool, "ShowEraseBar", off},
    {Kind::Bool, "SolidBaseLine", off},
    {Kind::Bool, "ScrollMode", on},
    {Kind::Bool, "MarkEvents", off},
    {Kind::Short, "DigitalMask", 0},
    {Kind::Bool, "ShowLegend", off},
    {Kind::Bool, "BaseLineLegend", off},
};

constexpr uint32_t recordVersion = 0x00010000;
// 7695 x 3615 twips in hundredths of a millimetre.
constexpr int32_t extentWidth = 13573;
constexpr int32_t extentHeight = 6376;
constexpr int32_t stockPropertyFlags = 0;

void write(automation::PropertyExchange& out, const Setting& s)
{
    switch (s.kind) {
    case Kind::Bool: {
        int16_t v = static_cast<int16_t>(s.value);
        out.boolean(s.name, v, v);
        break;
    }
    case Kind::Short: {
        int16_t v = static_cast<int16_t>(s.value);
        out.shortValue(s.name, v, v);
        break;
    }
    case Kind::Long: {
        int32_t v = static_cast<int32_t>(s.value);
        out.longValue(s.name, v, v);
        break;
    }
    case Kind::ULong: {
        uint32_t v = static_cast<uint32_t>(s.value);
        out.ulongValue(s.name, v, v);
        break;
    }
    }
}

}  // namespace

QByteArray storedChartRecord()
{
    QByteArray bytes;
    automation::StreamSaveExchange out(bytes);
    write(out, {Kind::ULong, "version", recordVersion});
    write(out, {Kind::Long, "extentX", extentWidth});
    write(out, {Kind::Long, "extentY", extentHeight});
    write(out, {Kind::Long, "stock", stockPropertyFlags});
    for (const Setting& s : head)
        write(out, s);
    for (int channel = 0; channel < 16; ++channel) {
        write(out, {Kind::Long, "Ymin", yMin});
        write(out, {Kind::Long, "Ymax", yMax});
    }
    for (const Setting& s : colours)
        write(out, s);
    for (uint32_t colour : traceColours)
        write(out, {Kind::ULong, "PLINE", colour});
    for (const Setting& s : tail)
        write(out, s);
    return bytes;
}

}  // namespace vellarin
