#pragma once
// The waterfall's colours: one fixed scale from quiet (dark) to loud
// (bright) for the values 0..32767 a host hands the waterfall, plus the two
// colours that are not values. The waterfall component draws with it, and a
// host that draws a picture of its own in the waterfall's colours (a whole
// file's spectrogram, a colour bar) includes it, so both show a value alike.
// Header only: a host links no component module.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace cascadra {

// 0xAARRGGBB with opaque alpha: the layout of Qt's QRgb.
using Rgb = uint32_t;
inline constexpr Rgb rgb(int r, int g, int b) { return 0xFF000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); }

inline constexpr int16_t noDataLevel = -32768;

class WaterfallColours {
public:
    static const WaterfallColours& instance()
    {
        static const WaterfallColours colours;
        return colours;
    }

    // 0..32767 along the scale; other negative values are the bottom of it.
    Rgb colourOf(int16_t value) const
    {
        if (value == noDataLevel)
            return m_noData;
        return m_table[static_cast<unsigned>(value < 0 ? 0 : value) >> valueShift];
    }

    Rgb noData() const { return m_noData; }
    // The picture's ground, where no line has been drawn. Never equal to a
    // value's colour, so the 3D view can tell uncovered pixels by colour.
    Rgb backdrop() const { return m_backdrop; }

private:
    // 4096 steps are finer than the eye can follow and keep the table in L1.
    static constexpr int valueShift = 3;
    static constexpr int steps = 32768 >> valueShift;

    // Control points of a fire-like scale, evenly spaced: near black through
    // deep violet, crimson and orange to pale yellow. Lightness rises
    // steadily along it, so equal value steps read as equal steps of
    // brightness; the points sample a perceptually uniform scale densely
    // enough that a straight blend between neighbours stays uniform.
    static constexpr std::array<Rgb, 11> controlPoints{
        0x000004, 0x160b39, 0x420a68, 0x6a176e, 0x932667, 0xbc3754,
        0xdd513a, 0xf37819, 0xfca50a, 0xf6d746, 0xfcffa4,
    };

    static int red(Rgb c) { return int(c >> 16 & 0xFF); }
    static int green(Rgb c) { return int(c >> 8 & 0xFF); }
    static int blue(Rgb c) { return int(c & 0xFF); }

    static Rgb blend(Rgb a, Rgb b, double t)
    {
        auto channel = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
        return rgb(channel(red(a), red(b)), channel(green(a), green(b)), channel(blue(a), blue(b)));
    }

    WaterfallColours()
        : m_noData(rgb(0x3a, 0x40, 0x48))  // cool slate: visibly "nothing", unlike any value
        , m_backdrop(rgb(0x00, 0x00, 0x00))
    {
        constexpr int spans = static_cast<int>(controlPoints.size()) - 1;
        for (int i = 0; i < steps; ++i) {
            const double position = static_cast<double>(i) / (steps - 1) * spans;
            const int span = std::min(static_cast<int>(position), spans - 1);
            Rgb c = blend(controlPoints[size_t(span)], controlPoints[size_t(span) + 1], position - span);
            if (c == m_backdrop || c == m_noData)
                c = rgb(red(c), green(c), blue(c) + 1);
            m_table[size_t(i)] = c;
        }
    }

    std::array<Rgb, steps> m_table{};
    Rgb m_noData;
    Rgb m_backdrop;
};

}  // namespace cascadra
