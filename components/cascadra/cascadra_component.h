#pragma once
// The waterfall control: a dispatch interface by number, the CursorMoved
// event, and the widget its host embeds.
#include "waterfall_picture.h"
#include "waterfall_view.h"

#include <automation/component.h>

#include <QPointer>

namespace cascadra {

// A hidden member beside the public ones: the colour a level is shown in
// (0x00BBGGRR), so a host or a test can read the picture back as levels.
namespace hiddenid {
inline constexpr automation::DispId LevelColour = 100;
}

// Relief height of the full scale in the 3D view: enough to read as a
// landscape in a picture of 200 to 500 rows without hiding the history
// behind the newest lines.
inline constexpr int16_t reliefDepth = 48;

class Cascadra final : public automation::CountedComponent, public automation::Dispatch, public automation::Control {
public:
    Cascadra();
    ~Cascadra() override;

    automation::Dispatch* dispatch() override { return this; }
    automation::ConnectionPoint* connectionPoint() override { return &m_events; }
    automation::Control* control() override { return this; }
    QWidget* widget() override;

    automation::HResult invoke(automation::DispId id, automation::InvokeKind kind, std::span<automation::Variant> args,
                               automation::Variant* result) override;
    std::span<const automation::MemberInfo> members() const override;

    int32_t scrollDirection() const { return m_direction; }
    void setScrollDirection(int32_t value);
    int32_t view3D() const { return m_view3D; }
    void setView3D(int32_t value);
    automation::HResult addLine(const automation::Variant& line);
    automation::HResult copyToClipboard();

private:
    void applyLayout();
    void fitPicture();
    void pointerAt(QPoint position);

    WaterfallPicture m_picture;
    QPointer<WaterfallView> m_view;
    automation::EventSource m_events;
    // The host's window opens showing "-45 degree" with "3D" checked.
    Direction m_direction = DiagonalMinus45;
    int32_t m_view3D = 1;
};

}  // namespace cascadra
