#pragma once
// Automation values: the self-describing values that cross every late-bound
// call between a host and its components.
#include "export.h"
#include "hresult.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

namespace automation {

// Type tags keep the classic numbering so that a host checking for
// "array of 16-bit integers" (0x2002) reads the same number as ever.
enum VarType : uint16_t {
    vtEmpty = 0,
    vtNull = 1,
    vtI2 = 2,
    vtI4 = 3,
    vtR4 = 4,
    vtR8 = 5,
    vtBstr = 8,
    vtError = 10,
    vtBool = 11,
    vtVariant = 12,
    vtUI1 = 17,
    vtArray = 0x2000,
    vtByRef = 0x4000,
};

inline constexpr int16_t variantTrue = -1;
inline constexpr int16_t variantFalse = 0;
inline constexpr int16_t toVariantBool(bool b) { return b ? variantTrue : variantFalse; }

struct ArrayBound {
    int32_t count = 0;
    int32_t lowerBound = 0;
};

// A multi-dimensional array. Dimensions are listed in declaration order and
// the first index varies fastest in memory, so a (channel, point) array keeps
// the channels of one point next to each other.
struct AUTOMATION_EXPORT SafeArray {
    VarType elementType = vtI2;
    std::vector<ArrayBound> bounds;
    std::vector<int16_t> shorts;   // elements of an vtI2 array
    std::vector<double> numbers;   // elements of any other numeric array

    int dimensions() const { return static_cast<int>(bounds.size()); }
    int64_t elementCount() const;

    static SafeArray shorts1D(std::vector<int16_t> values, int32_t lowerBound = 0);
    static SafeArray shorts2D(int32_t rows, int32_t columns, std::vector<int16_t> values);
};

struct NullValue {
    bool operator==(const NullValue&) const = default;
};
struct BoolValue {
    int16_t value = variantFalse;
};
struct ErrorValue {
    int32_t code = 0;
};
// A reference to a caller's storage: the first element of a 16-bit or double
// array, or a single 32-bit integer. The callee never owns it.
struct ByRef {
    VarType type = vtEmpty;
    void* address = nullptr;
};

class AUTOMATION_EXPORT Variant {
public:
    Variant() = default;
    Variant(int16_t v) : m_value(v) {}
    Variant(int32_t v) : m_value(v) {}
    Variant(float v) : m_value(v) {}
    Variant(double v) : m_value(v) {}
    Variant(uint8_t v) : m_value(v) {}
    Variant(const QString& v) : m_value(v) {}
    Variant(const char* v) : m_value(QString::fromUtf8(v)) {}
    Variant(BoolValue v) : m_value(v) {}
    Variant(NullValue v) : m_value(v) {}
    Variant(ErrorValue v) : m_value(v) {}
    Variant(SafeArray v) : m_value(std::move(v)) {}
    Variant(ByRef v) : m_value(v) {}

    static Variant fromBool(bool b) { return Variant(BoolValue{toVariantBool(b)}); }
    static Variant refShorts(int16_t* first) { return Variant(ByRef{vtI2, first}); }
    static Variant refDoubles(double* first) { return Variant(ByRef{vtR8, first}); }
    static Variant refLong(int32_t* value) { return Variant(ByRef{vtI4, value}); }

    // The type tag, with vtArray or vtByRef added as the classic tags did.
    uint16_t vt() const;
    bool isEmpty() const { return std::holds_alternative<std::monostate>(m_value); }

    template <class T> const T* get() const { return std::get_if<T>(&m_value); }
    template <class T> T* get() { return std::get_if<T>(&m_value); }

    const SafeArray* array() const { return get<SafeArray>(); }
    const ByRef* byRef() const { return get<ByRef>(); }

private:
    std::variant<std::monostate, NullValue, int16_t, int32_t, float, double, uint8_t, QString,
                 BoolValue, ErrorValue, SafeArray, ByRef>
        m_value;
};

// Coerces a value to a scalar type the way late-bound calls coerce their
// arguments: numbers round half to even, out-of-range values overflow,
// strings are parsed, booleans are -1/0. A scalar reference is read through.
AUTOMATION_EXPORT HResult changeType(const Variant& in, VarType target, Variant& out);

// Convenience readers for values already coerced to their declared type.
AUTOMATION_EXPORT int16_t asShort(const Variant& v);
AUTOMATION_EXPORT int32_t asLong(const Variant& v);
AUTOMATION_EXPORT double asDouble(const Variant& v);
AUTOMATION_EXPORT bool asBool(const Variant& v);
AUTOMATION_EXPORT QString asString(const Variant& v);

// The conversions the components rely on, kept in one place.
AUTOMATION_EXPORT int16_t low16(int32_t v);                     // keep the low 16 bits, signed
AUTOMATION_EXPORT int16_t truncateToLow16(double v);            // toward zero, then the low 16 bits
AUTOMATION_EXPORT int32_t truncateToLong(double v);             // toward zero, saturating at the int32 range
AUTOMATION_EXPORT std::optional<int32_t> roundHalfEven32(double v);  // nothing when out of range or NaN

}  // namespace automation
