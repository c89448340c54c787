#pragma once
// The chart's dispatch and event interfaces, as a live chart and the type
// library list them.
#include <automation/dispatch.h>

namespace trazel {

std::span<const automation::MemberInfo> dispatchMembers();
std::span<const automation::MemberInfo> eventInfos();

}  // namespace trazel
