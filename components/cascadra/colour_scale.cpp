#include "colour_scale.h"

#include <algorithm>
#include <cmath>

namespace cascadra {

namespace {

// Control points of a fire-like scale, evenly spaced: near black through
// deep violet, crimson and orange to pale yellow. Lightness rises steadily
// along it, so equal level steps read as equal steps of brightness.
constexpr std::array<QRgb, 11> controlPoints{
    0x000004, 0x160b39, 0x420a68, 0x6a176e, 0x932667, 0xbc3754,
    0xdd513a, 0xf37819, 0xfca50a, 0xf6d746, 0xfcffa4,
};

// The control points sample a perceptually uniform scale densely enough that
// a straight blend between neighbours stays uniform.
QRgb blend(QRgb a, QRgb b, double t)
{
    auto channel = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return qRgb(channel(qRed(a), qRed(b)), channel(qGreen(a), qGreen(b)), channel(qBlue(a), qBlue(b)));
}

}  // namespace

const ColourScale& ColourScale::instance()
{
    static const ColourScale scale;
    return scale;
}

ColourScale::ColourScale()
    : m_noData(qRgb(0x3a, 0x40, 0x48))  // cool slate: visibly "nothing", unlike any level
    , m_backdrop(qRgb(0x00, 0x00, 0x00))
{
    constexpr int spans = static_cast<int>(controlPoints.size()) - 1;
    for (int i = 0; i < steps; ++i) {
        const double position = static_cast<double>(i) / (steps - 1) * spans;
        const int span = std::min(static_cast<int>(position), spans - 1);
        QRgb c = blend(controlPoints[span], controlPoints[span + 1], position - span);
        if (c == m_backdrop || c == m_noData)
            c = qRgb(qRed(c), qGreen(c), qBlue(c) + 1);
        m_table[i] = c;
    }
}

}  // namespace cascadra
