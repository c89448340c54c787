#pragma once
// Everything a chart control instance knows: geometry, per-channel scales and
// colours, chart furniture, the settings behind its properties, plotting and
// mouse state, and the drawing tools built from them. The control owns one;
// the picture reads and advances it while drawing.
#include <QString>

#include <array>
#include <cstdint>

namespace trazel {

inline constexpr int channelCount = 16;
inline constexpr int annotationCapacity = 256;
inline constexpr int annotationFields = 5;  // colour, x1, y1, x2, y2
inline constexpr int tickCapacity = 64;
inline constexpr int chartTextLimit = 31;   // characters; longer texts are refused

// 0x00BBGGRR, red in the low byte.
using Colour = uint32_t;

namespace colours {
inline constexpr Colour white = 0xFFFFFF;
inline constexpr Colour red = 0x0000FF;
inline constexpr Colour silver = 0xC0C0C0;
inline constexpr Colour navy = 0x800000;
inline constexpr std::array<Colour, channelCount> traceDefaults{
    0xFF0000, 0x008080, 0x000080, 0x0000FF, 0x008000, 0x00FFFF, 0x00FF00, 0x800000,
    0x800080, 0x808000, 0x808080, 0x202020, 0xFF00FF, 0xFFFF00, 0x404040, 0xC0C0C0};
}  // namespace colours

struct Pen {
    Colour colour = 0;
    int width = 1;
};

struct Brush {
    Colour colour = 0;
};

// Solid pens and brushes, rebuilt from the colour fields and PenSize.
struct DrawingTools {
    std::array<Pen, channelCount> normal{};  // width PenSize
    std::array<Pen, channelCount> wide{};    // width 2 x PenSize, the highlighted active trace
    std::array<Pen, channelCount> pale{};    // width PenSize, the other traces when highlighting
    Pen grid{colours::silver, 1};
    Pen eraseBar{colours::navy, 1};
    Pen background{colours::white, 1};
    Pen auxCrossHair{colours::red, 1};
    Pen annotation{colours::silver, 1};  // recoloured per annotation line
    Brush backgroundBrush{colours::white};
    Brush whiteBrush{colours::white};
};

// One annotation line; colour -1 marks an empty entry.
struct Annotation {
    int32_t colour = -1;
    int32_t x1 = 0;
    int32_t y1 = 0;
    int32_t x2 = 0;
    int32_t y2 = 0;
};

struct TrazelState {
    // Geometry, in pixels.
    int32_t ChartWidth = 1;
    int32_t ChartHeight = 1;
    int32_t HalfWidth = 1;
    int32_t HalfHeight = 1;  // the centre row all vertical scaling is about

    // Per channel, in data units. HalfRange and Centre follow Ymin/Ymax.
    std::array<int32_t, channelCount> Ymin = filled(-32768);
    std::array<int32_t, channelCount> Ymax = filled(32768);
    std::array<int32_t, channelCount> HalfRange = filled(32768);
    std::array<int32_t, channelCount> Centre = filled(0);
    std::array<int32_t, channelCount> BaseLine = filled(0);
    std::array<int32_t, channelCount> LastY = filled(0);  // row of the last plotted point
    std::array<Colour, channelCount> PLine = colours::traceDefaults;

    Colour PGrid = colours::silver;
    Colour PText = colours::silver;
    Colour PEraseBar = colours::navy;
    Colour PBackground = colours::white;  // no property changes it

    // Chart furniture.
    std::array<Annotation, annotationCapacity> AnnotationTable{};
    QString ChartText;
    int16_t CaptionX = 0;
    int16_t CaptionY = 0;
    bool TopMode = false;        // base line off, horizontal grid from the top edge
    int32_t AxisMode = 0;        // 0 plain vertical grid, 1 logarithmic ticks, 2 linear ticks
    double AxisMax = 0;
    double AxisMin = 0;
    double AxisPoints = 0;       // half of it is the number of bins across the axis
    int32_t TickCount = 0;       // as the host gave it; see drawnTickCount()
    std::array<double, tickCapacity> Ticks{};  // negative: solid major line, positive: dotted
    int32_t TicksStored = 0;     // how many leading Ticks entries were ever written
    int16_t AuxX = 0;
    int16_t AuxY = 0;
    bool PositionQuery = false;  // the next ChartText read answers SweepX once

    // Settings behind the properties.
    int16_t ActiveChannel = 0;
    bool BaseLineLegend = false;
    int16_t Channel = -1;
    int32_t ChannelMask = -1;
    int16_t DigitalMask = 0;
    int16_t GridSpacingX = 20;  // never 0; negative is hundredths of a pixel
    int16_t GridSpacingY = 20;
    bool GroupSetting = true;
    bool MarkEvents = false;
    int16_t PenSize = 1;        // 1..15
    bool ScrollMode = true;
    bool ShowEraseBar = true;
    bool ShowLegend = true;
    bool SolidBaseLine = true;
    bool SumWaveforms = false;
    bool DoubleActiveTrace = false;
    int16_t Persist = 0;

    // Plotting state.
    int16_t SweepX = 0;
    int16_t PlotStep = 1;       // points per plotted column, at least 1
    int16_t StepCountdown = 1;  // points still to skip before the next plotted one
    int16_t StepSetting = 1;    // -20..-1 (repeat each point) or at least 1
    bool RestartPending = true;

    // Mouse state.
    bool CrossHairShown = false;
    bool LockSetting = false;
    bool LockActive = false;
    bool TwoAxisCrossHair = false;
    int32_t DragStartY = 0;
    int32_t LastCrossX = 0;
    int32_t LastCrossY = 0;

    DrawingTools tools{};

private:
    static constexpr std::array<int32_t, channelCount> filled(int32_t v)
    {
        std::array<int32_t, channelCount> a{};
        a.fill(v);
        return a;
    }
};

// The lighter shade of a trace for the non-active channels: each byte raised
// by 0x40, or to 0xFF once it has reached 0xC0.
Colour paleColour(Colour c);

// How many tick values are drawn: TickCount, but never past the values
// actually stored nor past the table.
int drawnTickCount(const TrazelState& s);

// A 64-bit intermediate limited to the 32-bit range of the scale fields.
int32_t saturate32(int64_t v);

// The active channel, always a valid index.
int activeChannel(const TrazelState& s);
// The channels a scale operation changes: the active one, or all 16 with GroupSetting.
struct ChannelSpan {
    int first, last;
};
ChannelSpan scaledChannels(const TrazelState& s);

// HalfRange and Centre of a channel from its Ymin/Ymax pair.
void deriveScale(TrazelState& s, int channel);
// Ymin/Ymax of a channel from its Centre and HalfRange.
void scaleFromCentre(TrazelState& s, int channel);
// Keeps the half-range of the active channel, or of every channel when
// GroupSetting is on, within 16..4194304 in magnitude (sign kept).
void applyScaleClamp(TrazelState& s);

// Recreates every pen and brush from the colour fields and PenSize.
void rebuildDrawingTools(TrazelState& s);

}  // namespace trazel
