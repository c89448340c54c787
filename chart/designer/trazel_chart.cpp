#include "widgets/trazel_chart.h"

#include <automation/host.h>
#include <interfaces/class_ids.h>
#include <interfaces/trazel.h>

#include <QLabel>
#include <QVBoxLayout>

using namespace automation;

// The chart object, its event connection and what creating it returned.
struct TrazelChart::Chart final : EventSink {
    explicit Chart(TrazelChart& owner) : owner(owner) {}
    ~Chart() override
    {
        if (cookie != 0)
            object->connectionPoint()->unadvise(cookie);
    }
    void onEvent(DispId event, std::span<const Variant> args) override
    {
        if (event == trazel::eventid::ChartChanged && args.size() == 2)
            emit owner.chartChanged(asLong(args[0]), asLong(args[1]));
        else if (event == trazel::eventid::CrossHair && args.size() == 1)
            emit owner.crossHair(asLong(args[0]));
    }
    const MemberInfo* member(DispId id) const
    {
        for (const MemberInfo& m : dispatch->members())
            if (m.id == id)
                return &m;
        return nullptr;
    }

    TrazelChart& owner;
    ComponentPtr object;
    Dispatch* dispatch = nullptr;
    uint32_t cookie = 0;
    HResult created = hr::ok;
};

TrazelChart::TrazelChart(QWidget* parent) : QWidget(parent), m_chart(std::make_unique<Chart>(*this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    const sdk::ClassIdentity& identity = sdk::classes::trazelChart;
    Chart& c = *m_chart;
    c.created = createInstance(identity.classId, c.object, QString::fromLatin1(identity.module));
    if (succeeded(c.created) && (!c.object->dispatch() || !c.object->control() || !c.object->persistStream()))
        c.created = hr::noInterface;
    if (failed(c.created)) {
        c.object.reset();
        layout->addWidget(new QLabel(QStringLiteral("The trazel chart cannot be created: 0x%1")
                                         .arg(uint32_t(c.created), 8, 16, QLatin1Char('0')), this));
        return;
    }
    c.dispatch = c.object->dispatch();
    c.object->persistStream()->initNew();
    if (ConnectionPoint* events = c.object->connectionPoint())
        c.cookie = events->advise(&c);
    layout->addWidget(c.object->control()->widget());
}

// The chart goes before the widget's children are deleted, taking its own
// window with it.
TrazelChart::~TrazelChart() { m_chart.reset(); }

Dispatch* TrazelChart::dispatch() const { return m_chart->dispatch; }
HResult TrazelChart::creationResult() const { return m_chart->created; }
QSize TrazelChart::sizeHint() const { return {400, 200}; }

// A failed get reads as the type's empty value; a put the chart refuses
// leaves the property as it was, as the chart's own setters do with values
// out of range.
int TrazelChart::readInteger(DispId id) const
{
    Variant v;
    if (!m_chart->dispatch || failed(m_chart->dispatch->get(id, v)))
        return 0;
    const MemberInfo* m = m_chart->member(id);
    // A 16-bit set of flags reads as the unsigned bits it holds.
    if (m && m->valueType == vtI2 && m->typeName)
        return uint16_t(asShort(v));
    return asLong(v);
}

void TrazelChart::writeInteger(DispId id, int value)
{
    if (!m_chart->dispatch)
        return;
    const MemberInfo* m = m_chart->member(id);
    m_chart->dispatch->put(id, m && m->valueType == vtI2 && m->typeName ? Variant(low16(value)) : Variant(int32_t(value)));
}

bool TrazelChart::readBoolean(DispId id) const
{
    Variant v;
    return m_chart->dispatch && succeeded(m_chart->dispatch->get(id, v)) && asBool(v);
}

void TrazelChart::writeBoolean(DispId id, bool value)
{
    if (m_chart->dispatch)
        m_chart->dispatch->put(id, Variant::fromBool(value));
}

QString TrazelChart::readText(DispId id) const
{
    Variant v;
    return m_chart->dispatch && succeeded(m_chart->dispatch->get(id, v)) ? asString(v) : QString();
}

void TrazelChart::writeText(DispId id, const QString& value)
{
    if (m_chart->dispatch)
        m_chart->dispatch->put(id, Variant(value));
}

// Colours travel as 0x00BBGGRR, red in the low byte.
QColor TrazelChart::readColour(DispId id) const
{
    const uint32_t v = uint32_t(readInteger(id));
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

void TrazelChart::writeColour(DispId id, const QColor& value)
{
    writeInteger(id, value.red() | value.green() << 8 | value.blue() << 16);
}
