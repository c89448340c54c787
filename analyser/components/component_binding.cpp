#include "component_binding.h"

#include <automation/host.h>

namespace vellarin {

using namespace automation;

class ComponentBinding::Sink final : public EventSink {
public:
    explicit Sink(ComponentBinding& owner) : m_owner(owner) {}
    void onEvent(DispId event, std::span<const Variant> args) override
    {
        if (m_owner.m_handler)
            m_owner.m_handler(event, args);
    }

private:
    ComponentBinding& m_owner;
};

ComponentBinding::ComponentBinding() = default;
ComponentBinding::~ComponentBinding() { release(); }

void ComponentBinding::release()
{
    if (m_cookie != 0 && m_component && m_component->connectionPoint())
        m_component->connectionPoint()->unadvise(m_cookie);
    m_cookie = 0;
    m_dispatch = nullptr;
    // The component decides whether its widget goes with it; a widget it
    // leaves behind stays with the host's container, which deletes it.
    m_component.reset();
    m_sink.reset();
}

HResult ComponentBinding::create(const sdk::ClassIdentity& known)
{
    release();
    ComponentPtr created;
    const HResult r = createInstance(known.classId, created, QString::fromLatin1(known.module));
    if (failed(r) || !created)
        return failed(r) ? r : hr::fail;
    m_component = std::move(created);
    m_dispatch = m_component->dispatch();
    if (Control* control = m_component->control())
        m_widget = control->widget();
    if (ConnectionPoint* point = m_component->connectionPoint()) {
        m_sink = std::make_unique<Sink>(*this);
        m_cookie = point->advise(m_sink.get());
    }
    return m_dispatch ? hr::ok : hr::noInterface;
}

HResult ComponentBinding::put(DispId id, Variant value)
{
    return m_dispatch ? m_dispatch->put(id, std::move(value)) : hr::fail;
}

HResult ComponentBinding::putIndexed(DispId id, Variant index, Variant value)
{
    return m_dispatch ? m_dispatch->putIndexed(id, std::move(index), std::move(value)) : hr::fail;
}

Variant ComponentBinding::get(DispId id)
{
    Variant out;
    if (!m_dispatch || failed(m_dispatch->get(id, out)))
        return {};
    return out;
}

Variant ComponentBinding::getIndexed(DispId id, Variant index)
{
    Variant out;
    if (!m_dispatch || failed(m_dispatch->getIndexed(id, std::move(index), out)))
        return {};
    return out;
}

HResult ComponentBinding::call(DispId id, std::span<Variant> args, Variant* result)
{
    return m_dispatch ? m_dispatch->call(id, args, result) : hr::fail;
}

int32_t toLong(const Variant& v, int32_t fallback)
{
    Variant out;
    return succeeded(changeType(v, vtI4, out)) ? asLong(out) : fallback;
}

int16_t toShort(const Variant& v, int16_t fallback)
{
    Variant out;
    return succeeded(changeType(v, vtI2, out)) ? asShort(out) : fallback;
}

}  // namespace vellarin
