// Value coercion, as every late-bound call applies it to its arguments: any
// value to any type. The conversions of one value must agree with each other
// (the integer types with the double reading, booleans with zero, a number
// with its own text), and the component layer's truncations with coercion.
#include "fuzz_host.h"

#include <automation/rounding.h>

#include <cmath>
#include <cstring>

using namespace automation;

namespace {

double doubleFrom(fuzzhost::Bytes& in)
{
    const uint64_t bits = uint64_t(in.u32()) | uint64_t(in.u32()) << 32;
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

Variant valueFrom(fuzzhost::Bytes& in, int16_t& i2, int32_t& i4, double& r8)
{
    switch (in.byte() % 14) {
    case 0: return Variant(int16_t(in.u16()));
    case 1: return Variant(int32_t(in.u32()));
    case 2: {
        const uint32_t bits = in.u32();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return Variant(f);
    }
    case 3: return Variant(doubleFrom(in));
    case 4: return Variant(uint8_t(in.byte()));
    case 5: return Variant(BoolValue{int16_t(in.u16())});
    case 6: return Variant(NullValue{});
    case 7: return Variant(ErrorValue{int32_t(in.u32())});
    case 8: return Variant(SafeArray::shorts1D({int16_t(in.u16())}));
    case 9: return Variant();
    case 10:
        i2 = int16_t(in.u16());
        return Variant::refShorts(&i2);
    case 11:
        i4 = int32_t(in.u32());
        return Variant::refLong(&i4);
    case 12:
        r8 = doubleFrom(in);
        return Variant::refDoubles(&r8);
    default: {
        // Text: the rest of the input.
        const QString text = QString::fromUtf8(reinterpret_cast<const char*>(in.here()), qsizetype(in.left()));
        in.skip(in.left());
        return Variant(text);
    }
    }
}

bool coerce(const Variant& v, VarType type, Variant& out)
{
    const HResult r = changeType(v, type, out);
    FUZZ_CHECK(r == hr::ok || r == hr::typeMismatch || r == hr::overflow);
    if (succeeded(r))
        FUZZ_CHECK(out.vt() == type);
    return succeeded(r);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzhost::Bytes in(data, size);
    int16_t i2 = 0;
    int32_t i4 = 0;
    double r8 = 0;
    const Variant value = valueFrom(in, i2, i4, r8);

    Variant toR8, toI4, toI2, toUI1, toR4, toBool, toText, toAny;
    const bool number = coerce(value, vtR8, toR8);
    const bool long32 = coerce(value, vtI4, toI4);
    const bool short16 = coerce(value, vtI2, toI2);
    const bool byte8 = coerce(value, vtUI1, toUI1);
    const bool single = coerce(value, vtR4, toR4);
    const bool boolean = coerce(value, vtBool, toBool);
    FUZZ_CHECK(changeType(value, vtVariant, toAny) == hr::ok || !number);
    FUZZ_CHECK(changeType(value, VarType(99), toAny) != hr::ok);

    if (number) {
        const double d = *toR8.get<double>();
        // Every integer type is the double reading rounded half to even, where it fits.
        const double r = roundHalfEven(d);
        FUZZ_CHECK(long32 == (!std::isnan(d) && r >= INT32_MIN && r <= INT32_MAX));
        FUZZ_CHECK(short16 == (!std::isnan(d) && r >= INT16_MIN && r <= INT16_MAX));
        FUZZ_CHECK(byte8 == (!std::isnan(d) && r >= 0 && r <= 255));
        if (long32) {
            FUZZ_CHECK(*toI4.get<int32_t>() == r);
            FUZZ_CHECK(roundHalfEven32(d) == *toI4.get<int32_t>());
            FUZZ_CHECK(std::fabs(d - r) <= 0.5);
        } else {
            FUZZ_CHECK(!roundHalfEven32(d));
        }
        if (short16)
            FUZZ_CHECK(*toI2.get<int16_t>() == r);
        if (byte8)
            FUZZ_CHECK(*toUI1.get<uint8_t>() == r);
        FUZZ_CHECK(boolean && (toBool.get<BoolValue>()->value != 0) == (d != 0));
        FUZZ_CHECK(single == !(std::isfinite(d) && std::fabs(d) > std::numeric_limits<float>::max()));

        // The truncations the components use agree with each other.
        const int32_t t = truncateToLong(d);
        if (std::isnan(d))
            FUZZ_CHECK(t == 0);
        else if (std::fabs(d) < 2147483648.0)
            FUZZ_CHECK(t == std::trunc(d) && truncateToLow16(d) == low16(t));
        else
            FUZZ_CHECK(t == (d < 0 ? INT32_MIN : INT32_MAX));
    } else {
        FUZZ_CHECK(!long32 && !short16 && !byte8 && !single && !boolean);
    }

    // A value's text reads back as the same number, for the whole numbers;
    // the text of a double keeps 15 significant digits, so it reads back
    // within that.
    if (coerce(value, vtBstr, toText) && value.get<QString>() == nullptr && !value.isEmpty()) {
        Variant back;
        if (long32 && value.vt() != vtR8 && value.vt() != vtR4 && value.vt() != (vtByRef | vtR8)) {
            FUZZ_CHECK(coerce(toText, vtI4, back) && *back.get<int32_t>() == *toI4.get<int32_t>());
        } else if (number && value.vt() == vtR8 && std::fabs(*toR8.get<double>()) < 1e308) {
            // (Within 15 digits of the largest double the text reads as beyond it.)
            const double d = *toR8.get<double>();
            FUZZ_CHECK(coerce(toText, vtR8, back));
            FUZZ_CHECK(std::fabs(*back.get<double>() - d) <= std::fabs(d) * 1e-14);
        }
    }

    // The readers agree with coercion.
    FUZZ_CHECK(asLong(value) == (long32 ? *toI4.get<int32_t>() : 0));
    FUZZ_CHECK(asShort(value) == (short16 ? *toI2.get<int16_t>() : 0));
    FUZZ_CHECK(asBool(value) == (boolean && toBool.get<BoolValue>()->value != 0));
    return 0;
}
