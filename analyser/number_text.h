#pragma once
// Reading the drop-down texts (sample rate, FFT size, input source): the
// number at the start of the text, as a user would read "44100 Hz" or
// "0 (default)".
#include <automation/rounding.h>

#include <QStringView>

#include <cstdint>
#include <optional>

namespace vellarin {

struct LeadingNumber {
    // The number the text starts with; 0 when it starts with none, and 0 as
    // well when the number lies beyond the range of a double (then `rounded`
    // is empty). Never negative zero, never infinite or NaN.
    double value = 0.0;
    // `value` rounded to the nearest integer, ties to even; empty when it does
    // not fit a 32-bit signed integer.
    std::optional<int32_t> rounded = 0;
};

// Leading blanks are skipped; then an optional sign, digits with an optional
// decimal point, and an optional exponent ("4.41e4"). Reading stops at the
// first character that cannot continue the number.
LeadingNumber readLeadingNumber(QStringView text);

// Nearest integer, ties to even: the one rounding rule, shared with the
// component layer's value conversions.
using automation::roundHalfEven;

}  // namespace vellarin
