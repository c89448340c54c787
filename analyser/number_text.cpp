#include "number_text.h"

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include <locale.h>

namespace vellarin {

namespace {

// Qt applies the user's locale at start-up, and a comma-decimal one would
// make the C library stop at the point of "12345.5"; the drop-downs are
// read with the point, whatever the locale.
double readDecimal(const std::string& text)
{
    static const locale_t pointDecimal = newlocale(LC_NUMERIC_MASK, "C", locale_t(nullptr));
    return strtod_l(text.c_str(), nullptr, pointDecimal);
}

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// The longest prefix of `text` (from `pos`) that spells a decimal number;
// empty when there is no digit in the mantissa.
std::string numberPrefix(QStringView text, qsizetype pos)
{
    std::string out;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-'))
        out += static_cast<char>(text[pos++].unicode());
    bool anyDigit = false;
    while (pos < text.size() && isDigit(text[pos])) {
        out += static_cast<char>(text[pos++].unicode());
        anyDigit = true;
    }
    if (pos < text.size() && text[pos] == u'.') {
        out += '.';
        ++pos;
        while (pos < text.size() && isDigit(text[pos])) {
            out += static_cast<char>(text[pos++].unicode());
            anyDigit = true;
        }
    }
    if (!anyDigit)
        return {};
    // An exponent counts only when at least one digit follows it.
    if (pos < text.size() && (text[pos] == u'e' || text[pos] == u'E')) {
        qsizetype p = pos + 1;
        std::string exponent = "e";
        if (p < text.size() && (text[p] == u'+' || text[p] == u'-'))
            exponent += static_cast<char>(text[p++].unicode());
        bool expDigit = false;
        while (p < text.size() && isDigit(text[p])) {
            exponent += static_cast<char>(text[p++].unicode());
            expDigit = true;
        }
        if (expDigit)
            out += exponent;
    }
    return out;
}

}  // namespace

LeadingNumber readLeadingNumber(QStringView text)
{
    qsizetype pos = 0;
    while (pos < text.size() && (text[pos] == u' ' || text[pos] == u'\t'))
        ++pos;
    const std::string prefix = numberPrefix(text, pos);
    if (prefix.empty())
        return {};

    double value = readDecimal(prefix);
    if (!std::isfinite(value))
        return {0.0, std::nullopt};
    if (value == 0.0)
        value = 0.0;  // "-0" reads as plain zero

    LeadingNumber out{value, std::nullopt};
    const double r = roundHalfEven(value);
    if (r >= static_cast<double>(std::numeric_limits<int32_t>::min())
        && r <= static_cast<double>(std::numeric_limits<int32_t>::max()))
        out.rounded = static_cast<int32_t>(r);
    return out;
}

}  // namespace vellarin
