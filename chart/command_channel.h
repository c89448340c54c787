#pragma once
// The Key command strings: annotation lines, the digital mask, the
// frequency-axis tick lines, the base-line position and the sweep query.
#include <QString>

namespace trazel {

class CTrazelCtrl;

void runCommand(CTrazelCtrl& chart, const QString& command);

}  // namespace trazel
