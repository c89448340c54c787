#include "level_meter_strip.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace vellarin {

LevelMeterStrip::LevelMeterStrip(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("LevelMeter"));
    setToolTip(QStringLiteral("Click to start Leq and the maximum afresh"));
    setAutoFillBackground(true);
}

void LevelMeterStrip::show(const MeterFigures& figures)
{
    m_figures = figures;
    update();
}

int LevelMeterStrip::neededWidth() const
{
    return fontMetrics().horizontalAdvance(QStringLiteral("Peak -100.0")) + 8;
}

void LevelMeterStrip::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const MeterFigures& f = m_figures;
    const int line = fontMetrics().height();
    const QStringList rows = {
        f.heading,
        QStringLiteral("RMS %1").arg(f.rms, 0, 'f', 1),
        QStringLiteral("Peak %1").arg(f.peak, 0, 'f', 1),
        QStringLiteral("Leq %1").arg(f.leq, 0, 'f', 1),
        QStringLiteral("Max %1").arg(f.max, 0, 'f', 1),
        f.unit,
    };
    const int textHeight = line * int(rows.size()) + 4;
    const QRect bar(width() / 2 - 6, 2, 12, std::max(height() - textHeight - 4, 0));
    p.fillRect(bar, Qt::black);
    const double span = f.high > f.low ? f.high - f.low : 1.0;
    const auto at = [&](double level) {
        return bar.bottom() - int(std::clamp((level - f.low) / span, 0.0, 1.0) * bar.height());
    };
    const QColor fill = f.over ? Qt::red : Qt::green;
    p.fillRect(QRect(QPoint(bar.left(), at(f.rms)), bar.bottomRight()), fill);
    p.fillRect(QRect(bar.left(), at(f.peak), bar.width(), 2), f.over ? Qt::red : Qt::yellow);
    p.setPen(palette().color(QPalette::WindowText));
    for (int i = 0; i < rows.size(); ++i)
        p.drawText(QRect(0, bar.bottom() + 4 + i * line, width(), line), Qt::AlignHCenter, rows[i]);
}

void LevelMeterStrip::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_clicked)
        m_clicked();
}

}  // namespace vellarin
