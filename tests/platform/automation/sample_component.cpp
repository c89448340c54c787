// A small component module used to exercise creation by class identity,
// dispatch, events and persistence through the real module boundary.
#include "sample_component.h"

#include <automation/module.h>
#include <automation/dispatch_table.h>

#include <algorithm>

using namespace automation;

namespace {

class Sample final : public CountedComponent, public Dispatch {
public:
    int16_t level = 7;
    int32_t cells[4] = {0, 0, 0, 0};
    QString command;
    EventSource source{sampleEvents()};

    Dispatch* dispatch() override { return this; }
    ConnectionPoint* connectionPoint() override { return &source; }

    HResult invoke(DispId id, InvokeKind kind, std::span<Variant> args, Variant* result) override;
    std::span<const MemberInfo> members() const override;

    static std::span<const MemberInfo> sampleEvents()
    {
        static const MemberInfo events[] = {{sample::changedEvent, "Changed", MemberKind::Event}};
        return events;
    }
};

constexpr ParamInfo indexParam[] = {{"Idx", vtI2}};
constexpr ParamInfo sumParams[] = {{"Buffer", vtByRef | vtI2}, {"Count", vtI2}};

int clampIndex(const Variant& v) { return std::clamp<int>(asShort(v), 0, 3); }

const std::array<MemberEntry<Sample>, 4> table{{
    {{sample::level, "Level", MemberKind::Property, vtI2},
     [](Sample& s, std::span<Variant>) { return Variant(s.level); },
     [](Sample& s, std::span<Variant>, const Variant& v) {
         s.level = asShort(v);
         s.source.fire(sample::changedEvent, {Variant(s.level)});
     }},
    {{sample::command, "Command", MemberKind::Property, vtBstr, {}, "", false, false, true},
     nullptr,
     [](Sample& s, std::span<Variant>, const Variant& v) { s.command = asString(v); }},
    {{sample::cell, "Cell", MemberKind::IndexedProperty, vtI4, indexParam},
     [](Sample& s, std::span<Variant> i) { return Variant(s.cells[clampIndex(i[0])]); },
     [](Sample& s, std::span<Variant> i, const Variant& v) { s.cells[clampIndex(i[0])] = asLong(v); }},
    {{sample::sum, "Sum", MemberKind::Method, vtI4, sumParams},
     nullptr,
     nullptr,
     [](Sample&, std::span<Variant> a, Variant& sum) {
         if (asShort(a[1]) < 0)
             return hr::invalidArg;
         const int16_t* data = static_cast<const int16_t*>(a[0].byRef()->address);
         int32_t total = 0;
         for (int i = 0; i < asShort(a[1]); ++i)
             total += data[i];
         sum = Variant(total);
         return hr::ok;
     }},
}};

const auto infos = memberInfos(table);

HResult Sample::invoke(DispId id, InvokeKind kind, std::span<Variant> args, Variant* result)
{
    return invokeFromTable(table, *this, id, kind, args, result);
}

std::span<const MemberInfo> Sample::members() const { return infos; }

SimpleClassFactory<Sample> factory;

const ModuleDescription& description()
{
    static const ModuleClass classes[] = {{sample::classId, sample::progId, "Sample", &factory}};
    static const ModuleDescription module{classes};
    return module;
}

}  // namespace

AUTOMATION_MODULE(description)
