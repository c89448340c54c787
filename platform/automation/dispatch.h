#pragma once
// Late-bound calls by dispatch number, and the description of a component's
// members that a type library lists.
#include "variant.h"

#include <span>

namespace automation {

using DispId = int32_t;

enum class InvokeKind { Method = 1, PropertyGet = 2, PropertyPut = 4 };
enum class MemberKind { Property, IndexedProperty, Method, Event };

struct ParamInfo {
    const char* name = nullptr;
    uint16_t type = vtEmpty;  // may carry vtByRef or vtArray
};

struct MemberInfo {
    DispId id = 0;
    const char* name = "";
    MemberKind kind = MemberKind::Property;
    uint16_t valueType = vtEmpty;  // property type or method result
    std::span<const ParamInfo> params;  // index parameters of an indexed property, method arguments
    const char* help = "";
    bool hidden = false;
    bool readable = true;
    bool writable = true;
    // A named type of the module's type library (an enumeration, the colour
    // type) that the value travels as; null for a plain automation type.
    const char* typeName = nullptr;
};

class Dispatch {
public:
    virtual ~Dispatch() = default;
    // For a property put the new value is the last argument, after any index.
    virtual HResult invoke(DispId id, InvokeKind kind, std::span<Variant> args, Variant* result) = 0;
    virtual std::span<const MemberInfo> members() const = 0;

    DispId idOfName(QStringView name) const
    {
        for (const MemberInfo& m : members())
            if (name.compare(QLatin1String(m.name), Qt::CaseInsensitive) == 0)
                return m.id;
        return -1;
    }

    // Shorthands for hosts.
    HResult get(DispId id, Variant& result) { return invoke(id, InvokeKind::PropertyGet, {}, &result); }
    HResult put(DispId id, Variant value)
    {
        return invoke(id, InvokeKind::PropertyPut, std::span<Variant>(&value, 1), nullptr);
    }
    HResult getIndexed(DispId id, Variant index, Variant& result)
    {
        return invoke(id, InvokeKind::PropertyGet, std::span<Variant>(&index, 1), &result);
    }
    HResult putIndexed(DispId id, Variant index, Variant value)
    {
        Variant args[2] = {std::move(index), std::move(value)};
        return invoke(id, InvokeKind::PropertyPut, args, nullptr);
    }
    HResult call(DispId id, std::span<Variant> args, Variant* result = nullptr)
    {
        return invoke(id, InvokeKind::Method, args, result);
    }
};

}  // namespace automation
