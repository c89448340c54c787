#pragma once
// Reading the numbers of a Key command string, and the two commands that
// fill tables from them.
#include "trazel_state.h"

#include <string_view>
#include <vector>

namespace trazel {

inline constexpr size_t annotationFieldLimit = 1 + annotationCapacity * annotationFields;  // 1281
inline constexpr size_t axisFieldLimit = 100;

// The values of a command string: the fields after the command field, split
// at commas (a run of commas is one separator), each read as a lenient
// decimal number. At most fieldLimit fields are read, the command field
// included.
std::vector<double> commandValues(std::string_view command, size_t fieldLimit);

// A field as the C library reads it: leading blanks skipped, reading stops at
// the first character that cannot continue a number, no number reads as 0.
double lenientNumber(std::string_view field);

// 'A': rewrites all 256 annotation entries; entries without values are empty.
void loadAnnotations(TrazelState& s, const std::vector<double>& values);

// 'X': mode, max, min, tick count, points, then tick values. Fields not given
// keep what an earlier command set.
void defineAxis(TrazelState& s, const std::vector<double>& values);

}  // namespace trazel
