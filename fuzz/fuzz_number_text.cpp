// The number at the start of a drop-down text, whatever the text. The reading
// is finite, never negative zero, its rounding the one rule, and blanks in
// front or a letter after the text do not change it.
#include "fuzz_host.h"

#include "number_text.h"

#include <cmath>
#include <cstring>
#include <limits>

using namespace vellarin;

namespace {

bool same(const LeadingNumber& a, const LeadingNumber& b)
{
    return std::memcmp(&a.value, &b.value, sizeof a.value) == 0 && a.rounded == b.rounded;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const LeadingNumber n = readLeadingNumber(text);

    FUZZ_CHECK(std::isfinite(n.value));
    FUZZ_CHECK(!std::signbit(n.value) || n.value < 0);
    if (n.rounded) {
        FUZZ_CHECK(double(*n.rounded) == roundHalfEven(n.value));
        FUZZ_CHECK(std::fabs(double(*n.rounded) - n.value) <= 0.5);
    } else {
        const double r = roundHalfEven(n.value);
        FUZZ_CHECK(n.value == 0 || r < std::numeric_limits<int32_t>::min() || r > std::numeric_limits<int32_t>::max());
    }
    FUZZ_CHECK(same(readLeadingNumber(QStringLiteral(" \t") + text), n));
    FUZZ_CHECK(same(readLeadingNumber(text + u'x'), n));
    return 0;
}
