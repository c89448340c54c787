#pragma once
// Why a wave input call failed, in words a user can act on: the text beside a
// message box's fixed one. Empty where the result says nothing more.
#include <wavein/wavein.h>

namespace wavein {

QString failureReason(MmResult failure);

}  // namespace wavein
