#pragma once
// The dB ruler beside the chart: round decibel values at the rows where the
// chart draws those levels, following its level window through zooms,
// drags and Best Dynamic Range.
#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

namespace vellarin {

struct LevelAxis {
    int32_t ymin = 0;   // the chart's level range
    int32_t ymax = 32767;
    int32_t height = 0;  // the chart's height in device pixels
    // The unit the ruler reads in, as its design-dB origin moves: a level of
    // d dB on the design's scale reads d + unitOffset.
    double unitOffset = 0.0;
    QString unit = QStringLiteral("dB");
    bool operator==(const LevelAxis&) const = default;
};

struct RulerMark {
    double row;
    double decibels;  // in the axis's unit
};

// Marks 1, 2 or 5 times a power of ten decibels apart, at round values of
// the axis's unit, at least `minSpacing` pixels apart, top to bottom, at the
// chart's rows.
std::vector<RulerMark> rulerMarks(const LevelAxis& axis, double minSpacing);

class LevelRuler final : public QWidget {
public:
    LevelRuler(std::function<LevelAxis()> axis, QWidget* parent);
    void follow();
    // The axis the ruler reads now.
    LevelAxis axis() const { return m_axis(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::function<LevelAxis()> m_axis;
    LevelAxis m_painted;
};

}  // namespace vellarin
