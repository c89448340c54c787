#pragma once
// Moved to the components' own headers; kept so that code still naming the
// old place builds until it is changed over.
#include <interfaces/class_ids.h>

namespace automation {
using KnownClass = sdk::ClassIdentity;
namespace classes = sdk::classes;
namespace interfaces = sdk::interfaces;
}  // namespace automation
