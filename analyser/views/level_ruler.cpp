#include "level_ruler.h"

#include "levels.h"

#include <QPainter>

#include <cmath>

namespace vellarin {

namespace {

// A level is 20 log10(m) x 32767 / (20 log10(32767)) for an amplitude m.
const double levelsPerDb = levelsPerDecibel();

}  // namespace

std::vector<RulerMark> rulerMarks(const LevelAxis& a, double minSpacing)
{
    std::vector<RulerMark> marks;
    // The chart's own mapping: its centre level on its centre row.
    const int64_t centre = (int64_t(a.ymin) + a.ymax) / 2;
    const int64_t halfRange = (int64_t(a.ymax) - a.ymin) / 2;
    const int32_t halfHeight = a.height / 2;
    if (halfRange <= 0 || halfHeight <= 0 || !(minSpacing > 0))
        return marks;
    const double rowsPerDecibel = double(halfHeight) / double(halfRange) * levelsPerDb;
    const auto rowOf = [&](double db) { return halfHeight - (db * levelsPerDb - double(centre)) * halfHeight / double(halfRange); };

    const double decade = std::pow(10.0, std::floor(std::log10(minSpacing / rowsPerDecibel)));
    double step = 10 * decade;
    for (double m : {1.0, 2.0, 5.0})
        if (m * decade * rowsPerDecibel >= minSpacing) {
            step = m * decade;
            break;
        }
    const double offset = std::isfinite(a.unitOffset) ? a.unitOffset : 0.0;
    const double top = (double(centre) + double(halfRange)) / levelsPerDb + offset;
    const double bottom =
        (double(centre) - double(halfRange) * (a.height - halfHeight) / halfHeight) / levelsPerDb + offset;
    // Counted rather than stepped, so rounding cannot stall the walk down.
    const double first = std::floor(top / step);
    for (int i = 0; i <= a.height && (first - i) * step >= bottom; ++i) {
        const double db = (first - i) * step;
        marks.push_back({rowOf(db - offset), std::fabs(db) < step / 2 ? 0.0 : db});
    }
    return marks;
}

LevelRuler::LevelRuler(std::function<LevelAxis()> axis, QWidget* parent) : QWidget(parent), m_axis(std::move(axis))
{
    setObjectName(QStringLiteral("LevelRuler"));
}

void LevelRuler::follow()
{
    if (isVisible() && m_axis() != m_painted)
        update();
}

void LevelRuler::paintEvent(QPaintEvent*)
{
    m_painted = m_axis();
    QPainter p(this);
    const QColor ink = palette().color(QPalette::WindowText);
    p.setPen(ink);
    const QFontMetrics metrics = fontMetrics();
    const int right = width() - 1;
    p.drawText(QRect(0, 0, right - 5, metrics.height()), Qt::AlignRight | Qt::AlignTop, m_painted.unit);
    // The chart's rows are device pixels: each tick fills the device row of
    // the chart's level, its label is laid out in logical pixels about it.
    const qreal ratio = devicePixelRatioF();
    for (const RulerMark& m : rulerMarks(m_painted, 1.6 * metrics.height() * ratio)) {
        const double y = double(std::lround(m.row)) / ratio;
        p.fillRect(QRectF(right - 3, y, 4, 1 / ratio), ink);
        const int row = int(std::floor(y));
        const int top = row - metrics.height() / 2;
        // The unit's place at the top is kept free.
        if (top < metrics.height() || top + metrics.height() > height())
            continue;
        p.drawText(QRect(0, top, right - 5, metrics.height()), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(m.decibels, 'g', 4));
    }
}

}  // namespace vellarin
