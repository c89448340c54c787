#pragma once
// The waterfall's colour scale: one fixed table from quiet (dark) to loud
// (bright), built once, plus the two colours that are not levels.
#include <QRgb>

#include <array>
#include <cstdint>

namespace cascadra {

inline constexpr int16_t noDataLevel = -32768;

class ColourScale {
public:
    static const ColourScale& instance();

    // 0..32767 along the scale; other negative levels are the bottom of it.
    QRgb colourOf(int16_t level) const
    {
        if (level == noDataLevel)
            return m_noData;
        return m_table[static_cast<unsigned>(level < 0 ? 0 : level) >> levelShift];
    }

    QRgb noData() const { return m_noData; }
    // The picture's ground, where no line has been drawn. Never equal to a
    // level's colour, so the 3D view can tell uncovered pixels by colour.
    QRgb backdrop() const { return m_backdrop; }

private:
    ColourScale();

    // 4096 steps are finer than the eye can follow and keep the table in L1.
    static constexpr int levelShift = 3;
    static constexpr int steps = 32768 >> levelShift;

    std::array<QRgb, steps> m_table{};
    QRgb m_noData;
    QRgb m_backdrop;
};

}  // namespace cascadra
