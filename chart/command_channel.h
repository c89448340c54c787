#pragma once
// The Key command strings: annotation lines, the digital mask, the
// frequency-axis tick lines, the base-line position and the sweep query.
#include <QString>

#include <string_view>
#include <vector>

namespace trazel {

class CTrazelCtrl;

// The values of a command string: the fields after the command field, split
// at commas (a run of commas is one separator), each read as a lenient
// decimal number. At most fieldLimit fields are read, the command field
// included.
std::vector<double> commandValues(std::string_view command, size_t fieldLimit);

// A field as the C library reads it: leading blanks skipped, reading stops at
// the first character that cannot continue a number, no number reads as 0.
double lenientNumber(std::string_view field);

void runCommand(CTrazelCtrl& chart, const QString& command);

}  // namespace trazel
