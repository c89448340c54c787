#pragma once
// A chart created from the built module by class identity and driven by
// dispatch number, as a host drives it.
#include <interfaces/class_ids.h>
#include <automation/host.h>
#include <interfaces/trazel.h>

#include <QTest>
#include <QWidget>

namespace charttest {

using namespace automation;
namespace id = trazel::dispid;

class ChartHost {
public:
    ChartHost() { created = createInstance(sdk::classes::trazelChart.classId, object, "trazel"); }

    Dispatch& dispatch() { return *object->dispatch(); }
    PersistStreamInit& stream() { return *object->persistStream(); }
    QWidget& widget() { return *object->control()->widget(); }

    HResult put(DispId member, Variant value) { return dispatch().put(member, std::move(value)); }
    HResult put(DispId member, int16_t index, Variant value)
    {
        return dispatch().putIndexed(member, Variant(index), std::move(value));
    }
    HResult key(const QString& command) { return put(id::Key, command); }

    // Every number property read as a 32-bit value (booleans as -1/0).
    int32_t number(DispId member) { return asNumber(read(member)); }
    int32_t number(DispId member, int16_t index)
    {
        Variant v;
        lastResult = dispatch().getIndexed(member, Variant(index), v);
        return asNumber(v);
    }
    QString text() { return asString(read(id::ChartText)); }

    bool isDirty() { return stream().isDirty() == hr::ok; }
    void markSaved()
    {
        QByteArray ignored;
        stream().save(ignored);
    }

    HResult created = hr::fail;
    HResult lastResult = hr::ok;
    ComponentPtr object;

private:
    Variant read(DispId member)
    {
        Variant v;
        lastResult = dispatch().get(member, v);
        return v;
    }
    static int32_t asNumber(const Variant& v)
    {
        Variant n;
        return succeeded(changeType(v, vtI4, n)) ? asLong(n) : INT32_MIN;
    }
};

}  // namespace charttest
