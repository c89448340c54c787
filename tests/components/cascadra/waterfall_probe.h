#pragma once
// A waterfall created by class identity and driven by dispatch number only,
// with the picture read back as the user sees it.
#include <automation/component.h>
#include <interfaces/cascadra.h>

#include <QImage>
#include <QPoint>
#include <QSize>

#include <vector>

class WaterfallProbe {
public:
    WaterfallProbe(QSize size, int32_t direction, int32_t view3D);

    automation::HResult addLine(std::vector<int16_t> levels);
    automation::HResult call(automation::DispId id, std::vector<automation::Variant> args);
    int32_t getLong(automation::DispId id);

    QImage picture() const;
    QRgb colourOf(int16_t level);
    int depth();

    automation::Component& component() { return *m_component; }
    automation::Dispatch& dispatch() { return *m_component->dispatch(); }
    QWidget* view() const { return m_view; }

private:
    automation::ComponentPtr m_component;
    QWidget* m_view = nullptr;
};

// The geometry the analyser inverts for its readout: where element i of the
// line `age` lines old lies.
QPoint basePixel(int direction, bool view3D, int depth, QSize picture, int age, int i);
// The way a 3D relief rises from its base.
QPoint reliefRise(int direction);
// In 3D the line nothing covers: the newest where lines arrive in front, the oldest otherwise.
bool newestInFront(int direction);
