#pragma once
// CTrazelCtrl, the chart control: its state, its picture and window, and the
// host-facing interfaces (dispatch by number, events, persistence, control).
// The property and method handlers live in one member table (trazel_members);
// the operations below are what those handlers and the command channel share.
#include "chart_mouse.h"
#include "chart_picture.h"
#include "trazel_state.h"

#include <automation/component.h>

#include <QPoint>
#include <QPointer>
#include <QSize>

namespace trazel {

class TrazelWidget;
struct RecordHeader;

class CTrazelCtrl final : public automation::CountedComponent,
                          public automation::Dispatch,
                          public automation::Control,
                          public automation::PersistStreamInit,
                          public automation::PersistPropertyBag {
public:
    CTrazelCtrl();
    ~CTrazelCtrl() override;

    // Component
    automation::Dispatch* dispatch() override { return this; }
    automation::ConnectionPoint* connectionPoint() override { return &events; }
    automation::PersistStreamInit* persistStream() override { return this; }
    automation::PersistPropertyBag* persistPropertyBag() override { return this; }
    automation::Control* control() override { return this; }

    // Dispatch
    automation::HResult invoke(automation::DispId id, automation::InvokeKind kind,
                               std::span<automation::Variant> args, automation::Variant* result) override;
    std::span<const automation::MemberInfo> members() const override;

    // Control
    QWidget* widget() override;
    std::span<const QUuid> propertyPages() const override;

    // Persistence, as a byte stream or as named values. Reset, load and save
    // all run the one property record.
    automation::HResult initNew() override;
    automation::HResult load(QByteArrayView stream) override;
    automation::HResult save(QByteArray& stream) override;
    automation::HResult isDirty() const override;
    automation::HResult load(const automation::PropertyBag& bag) override;
    automation::HResult save(automation::PropertyBag& bag) override;

    // New client size of the window; a zero size (minimised) is ignored.
    // False, with the chart at its old size, when the surfaces for the new
    // one cannot be had.
    bool resizeChart(int width, int height);
    // Rebuilds the static picture and starts the traces afresh.
    void fullRedraw();
    // Marks the settings as changed, so that the container saves them.
    void markModified() { m_modified = true; }

    // Property operations with their side effects.
    bool setChartText(const QString& text);  // false: refused, nothing changed
    QString readChartText();
    void setScaleBound(int channel, bool upper, int32_t value);
    void setStep(int16_t step);
    void setWidthInPixels(int32_t width);
    void plot(const int16_t* samples, int points, int channels, DataCall call);

    TrazelState state;
    ChartPicture picture;
    automation::EventSource events;
    ChartMouse mouse{*this};

private:
    automation::HResult loadRecord(automation::PropertyExchange& exchange);
    RecordHeader currentHeader() const;
    enum class Extent { unchanged, resized, outOfMemory };
    Extent applyExtent(const RecordHeader& header);

    // Sets the window's size and the chart's; without a window only the
    // chart's. False, with both as they were, when the chart cannot have
    // the surfaces for the new size.
    bool resizeWindow(int width, int height);
    QSize windowSize() const;
    QPoint windowDpi() const;

    // The host may embed the window and destroy it with its own.
    QPointer<TrazelWidget> m_widget;
    bool m_modified = false;
};

}  // namespace trazel
