#pragma once
// The octave lines of a logarithmic frequency axis: the C notes C1..C9.
#include <QString>

#include <vector>

namespace vellarin {

struct OctaveLine {
    double hertz;
    QString label;  // "C4"
};

// The C notes C1..C9 from `lowHertz` to `highHertz` (both included), lowest first.
std::vector<OctaveLine> octaveLines(double lowHertz, double highHertz);

}  // namespace vellarin
