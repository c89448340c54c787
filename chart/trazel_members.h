#pragma once
// The chart's event interface, as its connection point lists it.
#include <automation/dispatch.h>

namespace trazel {

std::span<const automation::MemberInfo> eventInfos();

}  // namespace trazel
