#pragma once
// The level meter's strip beside the chart: a bar for the time-weighted
// level with a mark at the peak, and beneath the figures for RMS, peak, Leq
// since Start and maximum, in the unit and weighting chosen. The bar turns
// red from -1 dBFS on the input's own samples. A click starts Leq and the
// maximum afresh.
#include "level_meter.h"

#include <QWidget>

#include <functional>

namespace vellarin {

struct MeterFigures {
    QString heading;  // "A Fast"
    QString unit;     // "dBFS", "dB SPL", "dB"
    double rms = 0, peak = 0, leq = 0, max = 0;  // in the unit
    double low = 0, high = 0;  // the bar's range in the unit
    bool over = false;
};

class LevelMeterStrip final : public QWidget {
public:
    explicit LevelMeterStrip(QWidget* parent = nullptr);
    void show(const MeterFigures& figures);
    const MeterFigures& figures() const { return m_figures; }
    void onClicked(std::function<void()> reset) { m_clicked = std::move(reset); }
    // The width the figures need in this font.
    int neededWidth() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    MeterFigures m_figures;
    std::function<void()> m_clicked;
};

}  // namespace vellarin
