#pragma once
// Nearest integer, ties to even: the one rounding rule wherever a value
// becomes an integer. Worked out by hand, so a rounding mode changed
// elsewhere in the process cannot change the result; cheap enough for every
// bin of every frame.
#include <cmath>

namespace automation {

inline double roundHalfEven(double v)
{
    const double r = std::round(v);  // ties away from zero
    return std::fabs(r - v) == 0.5 ? 2.0 * std::round(v * 0.5) : r;
}

}  // namespace automation
