#include "variant.h"

#include "rounding.h"

#include <cmath>
#include <limits>

namespace automation {

int64_t SafeArray::elementCount() const
{
    if (bounds.empty())
        return 0;
    int64_t n = 1;
    for (const auto& b : bounds)
        n *= b.count < 0 ? 0 : b.count;
    return n;
}

SafeArray SafeArray::shorts1D(std::vector<int16_t> values, int32_t lowerBound)
{
    SafeArray a;
    a.elementType = vtI2;
    a.bounds = {{static_cast<int32_t>(values.size()), lowerBound}};
    a.shorts = std::move(values);
    return a;
}

SafeArray SafeArray::shorts2D(int32_t rows, int32_t columns, std::vector<int16_t> values)
{
    SafeArray a;
    a.elementType = vtI2;
    a.bounds = {{rows, 0}, {columns, 0}};
    values.resize(static_cast<size_t>(std::max(rows, 0)) * static_cast<size_t>(std::max(columns, 0)));
    a.shorts = std::move(values);
    return a;
}

uint16_t Variant::vt() const
{
    struct Tag {
        uint16_t operator()(std::monostate) const { return vtEmpty; }
        uint16_t operator()(NullValue) const { return vtNull; }
        uint16_t operator()(int16_t) const { return vtI2; }
        uint16_t operator()(int32_t) const { return vtI4; }
        uint16_t operator()(float) const { return vtR4; }
        uint16_t operator()(double) const { return vtR8; }
        uint16_t operator()(uint8_t) const { return vtUI1; }
        uint16_t operator()(const QString&) const { return vtBstr; }
        uint16_t operator()(BoolValue) const { return vtBool; }
        uint16_t operator()(ErrorValue) const { return vtError; }
        uint16_t operator()(const SafeArray& a) const { return vtArray | a.elementType; }
        uint16_t operator()(ByRef r) const { return vtByRef | r.type; }
    };
    return std::visit(Tag{}, m_value);
}

namespace {

// The numeric reading of a scalar value, if it has one.
std::optional<double> numericValue(const Variant& in, HResult& error)
{
    error = hr::ok;
    if (in.isEmpty())
        return 0.0;
    if (auto v = in.get<int16_t>())
        return *v;
    if (auto v = in.get<int32_t>())
        return *v;
    if (auto v = in.get<float>())
        return *v;
    if (auto v = in.get<double>())
        return *v;
    if (auto v = in.get<uint8_t>())
        return *v;
    if (auto v = in.get<BoolValue>())
        return v->value ? -1.0 : 0.0;
    if (auto s = in.get<QString>()) {
        bool ok = false;
        const double d = s->trimmed().toDouble(&ok);
        if (ok)
            return d;
        const QString t = s->trimmed();
        if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return -1.0;
        if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            return 0.0;
    }
    error = hr::typeMismatch;
    return std::nullopt;
}

template <class Int> HResult toInteger(double d, Int& out)
{
    if (std::isnan(d))
        return hr::overflow;
    const double r = roundHalfEven(d);
    if (r < static_cast<double>(std::numeric_limits<Int>::min()) ||
        r > static_cast<double>(std::numeric_limits<Int>::max()))
        return hr::overflow;
    out = static_cast<Int>(r);
    return hr::ok;
}

// Reads a scalar through a by-reference value so coercion sees the pointee.
Variant dereference(const Variant& in)
{
    const ByRef* r = in.byRef();
    if (!r || !r->address)
        return in;
    switch (r->type) {
    case vtI2: return Variant(*static_cast<const int16_t*>(r->address));
    case vtI4: return Variant(*static_cast<const int32_t*>(r->address));
    case vtR8: return Variant(*static_cast<const double*>(r->address));
    default: return in;
    }
}

}  // namespace

HResult changeType(const Variant& original, VarType target, Variant& out)
{
    const Variant in = dereference(original);
    if (in.array() || in.byRef() || in.get<NullValue>() || in.get<ErrorValue>()) {
        if (in.vt() == target) {
            out = in;
            return hr::ok;
        }
        return hr::typeMismatch;
    }
    if (target == vtBstr) {
        if (auto s = in.get<QString>())
            out = *s;
        else if (auto b = in.get<BoolValue>())
            out = QString::fromLatin1(b->value ? "True" : "False");
        else if (in.isEmpty())
            out = QString();
        else if (auto d = in.get<double>())
            out = QString::number(*d, 'g', 15);
        else if (auto f = in.get<float>())
            out = QString::number(*f, 'g', 7);
        else {
            HResult e;
            out = QString::number(static_cast<qint64>(*numericValue(in, e)));
        }
        return hr::ok;
    }
    HResult error = hr::ok;
    const std::optional<double> d = numericValue(in, error);
    if (!d)
        return error;
    switch (target) {
    case vtI2: {
        int16_t v = 0;
        if (HResult r = toInteger(*d, v); failed(r))
            return r;
        out = v;
        return hr::ok;
    }
    case vtI4: {
        int32_t v = 0;
        if (HResult r = toInteger(*d, v); failed(r))
            return r;
        out = v;
        return hr::ok;
    }
    case vtUI1: {
        uint8_t v = 0;
        if (HResult r = toInteger(*d, v); failed(r))
            return r;
        out = v;
        return hr::ok;
    }
    case vtR4:
        if (std::isfinite(*d) && std::fabs(*d) > std::numeric_limits<float>::max())
            return hr::overflow;
        out = static_cast<float>(*d);
        return hr::ok;
    case vtR8:
        out = *d;
        return hr::ok;
    case vtBool:
        out = BoolValue{toVariantBool(*d != 0.0)};
        return hr::ok;
    case vtVariant:
        out = in;
        return hr::ok;
    default:
        return hr::badVarType;
    }
}

int16_t asShort(const Variant& v)
{
    if (auto p = v.get<int16_t>())
        return *p;
    Variant c;
    return succeeded(changeType(v, vtI2, c)) ? *c.get<int16_t>() : int16_t{0};
}

int32_t asLong(const Variant& v)
{
    if (auto p = v.get<int32_t>())
        return *p;
    Variant c;
    return succeeded(changeType(v, vtI4, c)) ? *c.get<int32_t>() : 0;
}

double asDouble(const Variant& v)
{
    if (auto p = v.get<double>())
        return *p;
    Variant c;
    return succeeded(changeType(v, vtR8, c)) ? *c.get<double>() : 0.0;
}

bool asBool(const Variant& v)
{
    if (auto p = v.get<BoolValue>())
        return p->value != 0;
    Variant c;
    return succeeded(changeType(v, vtBool, c)) && c.get<BoolValue>()->value != 0;
}

QString asString(const Variant& v)
{
    if (auto p = v.get<QString>())
        return *p;
    Variant c;
    return succeeded(changeType(v, vtBstr, c)) ? *c.get<QString>() : QString();
}

int16_t low16(int32_t v) { return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(v) & 0xFFFFu)); }

int32_t truncateToLong(double v)
{
    if (std::isnan(v))
        return 0;
    const double t = std::trunc(v);
    if (t <= static_cast<double>(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    if (t >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(t);
}

int16_t truncateToLow16(double v)
{
    if (!std::isfinite(v))
        return 0;
    // fmod keeps the low bits of values far outside the 32-bit range too.
    const double wrapped = std::fmod(std::trunc(v), 65536.0);
    return low16(static_cast<int32_t>(wrapped));
}

std::optional<int32_t> roundHalfEven32(double v)
{
    int32_t out = 0;
    if (failed(toInteger(v, out)))
        return std::nullopt;
    return out;
}

}  // namespace automation
