#pragma once
// Columns of the frequency-axis tick lines: the rule hosts share.
#include <interfaces/trazel_axis.h>
