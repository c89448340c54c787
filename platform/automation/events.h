#pragma once
// Events from a component to its host: the host connects a sink, the
// component fires by event number, and delivery is synchronous on the
// firing thread.
#include "dispatch.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

namespace automation {

class EventSink {
public:
    virtual ~EventSink() = default;
    virtual void onEvent(DispId event, std::span<const Variant> args) = 0;
};

class ConnectionPoint {
public:
    virtual ~ConnectionPoint() = default;
    // Returns a non-zero cookie, or 0 when the sink is null.
    virtual uint32_t advise(EventSink* sink) = 0;
    virtual HResult unadvise(uint32_t cookie) = 0;
    virtual std::span<const MemberInfo> events() const = 0;
};

// The connection point a component embeds.
class EventSource : public ConnectionPoint {
public:
    explicit EventSource(std::span<const MemberInfo> events = {}) : m_events(events) {}

    uint32_t advise(EventSink* sink) override
    {
        if (!sink)
            return 0;
        m_sinks.push_back({++m_lastCookie, sink});
        return m_lastCookie;
    }

    HResult unadvise(uint32_t cookie) override
    {
        auto it = std::find_if(m_sinks.begin(), m_sinks.end(), [&](const Connection& c) { return c.cookie == cookie; });
        if (it == m_sinks.end())
            return hr::invalidArg;
        m_sinks.erase(it);
        return hr::ok;
    }

    std::span<const MemberInfo> events() const override { return m_events; }

    void fire(DispId event, std::initializer_list<Variant> args)
    {
        // A sink may disconnect while handling the event; deliver to the
        // sinks connected when the event was raised.
        const std::vector<Connection> receivers = m_sinks;
        const std::span<const Variant> view(args.begin(), args.size());
        for (const Connection& c : receivers)
            if (isConnected(c.cookie))
                c.sink->onEvent(event, view);
    }

private:
    struct Connection {
        uint32_t cookie;
        EventSink* sink;
    };
    bool isConnected(uint32_t cookie) const
    {
        return std::any_of(m_sinks.begin(), m_sinks.end(), [&](const Connection& c) { return c.cookie == cookie; });
    }

    std::span<const MemberInfo> m_events;
    std::vector<Connection> m_sinks;
    uint32_t m_lastCookie = 0;
};

}  // namespace automation
