#pragma once
// Table-driven dispatch: a component lists its members once, with handlers,
// and both the calls by number and the type listing read that one table.
#include "dispatch.h"

#include <array>

namespace automation {

template <class Object> struct MemberEntry {
    MemberInfo info;
    Variant (*get)(Object&, std::span<Variant> index) = nullptr;
    void (*put)(Object&, std::span<Variant> index, const Variant& value) = nullptr;
    // A method fails with its own result code; its value goes to `result`.
    HResult (*call)(Object&, std::span<Variant> args, Variant& result) = nullptr;
};

namespace detail {

// By-reference and array parameters must arrive as exactly that kind; scalars
// are coerced to the declared type.
inline HResult coerceArgument(Variant& arg, uint16_t declared)
{
    if (declared == vtVariant)
        return hr::ok;
    if (declared & (vtByRef | vtArray)) {
        const ByRef* r = arg.byRef();
        if ((declared & vtByRef) && (!r || r->address == nullptr))
            return hr::typeMismatch;
        return arg.vt() == declared ? hr::ok : hr::typeMismatch;
    }
    Variant coerced;
    if (HResult r = changeType(arg, static_cast<VarType>(declared), coerced); failed(r))
        return r;
    arg = std::move(coerced);
    return hr::ok;
}

}  // namespace detail

template <class Object, size_t N>
HResult invokeFromTable(const std::array<MemberEntry<Object>, N>& table, Object& object, DispId id,
                        InvokeKind kind, std::span<Variant> args, Variant* result)
{
    const MemberEntry<Object>* entry = nullptr;
    for (const auto& e : table)
        if (e.info.id == id)
            entry = &e;
    if (!entry)
        return hr::memberNotFound;
    const MemberInfo& info = entry->info;
    const size_t indexCount = info.kind == MemberKind::Method ? 0 : info.params.size();

    switch (kind) {
    case InvokeKind::Method: {
        if (info.kind != MemberKind::Method)
            return hr::memberNotFound;
        if (args.size() != info.params.size())
            return hr::badParamCount;
        for (size_t i = 0; i < args.size(); ++i)
            if (HResult r = detail::coerceArgument(args[i], info.params[i].type); failed(r))
                return r;
        Variant out;
        const HResult r = entry->call(object, args, out);
        if (result && succeeded(r))
            *result = std::move(out);
        return r;
    }
    case InvokeKind::PropertyGet: {
        if (info.kind == MemberKind::Method)
            return hr::memberNotFound;
        if (!entry->get)
            return hr::getNotSupported;
        if (args.size() != indexCount)
            return hr::badParamCount;
        for (size_t i = 0; i < indexCount; ++i)
            if (HResult r = detail::coerceArgument(args[i], info.params[i].type); failed(r))
                return r;
        Variant out = entry->get(object, args);
        if (result)
            *result = std::move(out);
        return hr::ok;
    }
    case InvokeKind::PropertyPut: {
        if (info.kind == MemberKind::Method)
            return hr::memberNotFound;
        if (!entry->put)
            return hr::setNotSupported;
        if (args.size() != indexCount + 1)
            return hr::badParamCount;
        for (size_t i = 0; i < indexCount; ++i)
            if (HResult r = detail::coerceArgument(args[i], info.params[i].type); failed(r))
                return r;
        if (HResult r = detail::coerceArgument(args[indexCount], info.valueType); failed(r))
            return r;
        entry->put(object, args.first(indexCount), args[indexCount]);
        return hr::ok;
    }
    }
    return hr::memberNotFound;
}

template <class Object, size_t N>
std::array<MemberInfo, N> memberInfos(const std::array<MemberEntry<Object>, N>& table)
{
    std::array<MemberInfo, N> out{};
    for (size_t i = 0; i < N; ++i)
        out[i] = table[i].info;
    return out;
}

}  // namespace automation
