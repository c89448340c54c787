#pragma once
// A hosted component reached late-bound: created by class identity, called
// by dispatch number, its widget embedded by the host, its events delivered
// to the host through one sink. A component that could not be created makes
// every call a harmless no-op, so the window keeps working without it.
#include <interfaces/class_ids.h>
#include <automation/component.h>

#include <QPointer>
#include <QWidget>

#include <functional>

namespace vellarin {

class ComponentBinding {
public:
    using EventHandler = std::function<void(automation::DispId event, std::span<const automation::Variant> args)>;

    ComponentBinding();
    virtual ~ComponentBinding();
    ComponentBinding(const ComponentBinding&) = delete;
    ComponentBinding& operator=(const ComponentBinding&) = delete;

    // Creates the component by class identity; the result of the creation.
    automation::HResult create(const sdk::ClassIdentity& known);
    bool isAvailable() const { return m_dispatch != nullptr; }
    automation::Component* component() { return m_component.get(); }

    // The component's own widget, or null for a component without one.
    QWidget* widget() const { return m_widget; }

    // Events of the component go to `handler` from now on.
    void setEventHandler(EventHandler handler) { m_handler = std::move(handler); }

protected:
    automation::HResult put(automation::DispId id, automation::Variant value);
    automation::HResult putIndexed(automation::DispId id, automation::Variant index, automation::Variant value);
    // The value of a property, or an empty value when the call fails.
    automation::Variant get(automation::DispId id);
    automation::Variant getIndexed(automation::DispId id, automation::Variant index);
    automation::HResult call(automation::DispId id, std::span<automation::Variant> args,
                             automation::Variant* result = nullptr);

private:
    class Sink;
    void release();

    automation::ComponentPtr m_component;
    automation::Dispatch* m_dispatch = nullptr;
    QPointer<QWidget> m_widget;
    std::unique_ptr<Sink> m_sink;
    uint32_t m_cookie = 0;
    EventHandler m_handler;
};

// Readers for values that came back from a component: coerced to the wanted
// type, or the fallback when the value cannot be.
int32_t toLong(const automation::Variant& v, int32_t fallback = 0);
int16_t toShort(const automation::Variant& v, int16_t fallback = 0);

}  // namespace vellarin
