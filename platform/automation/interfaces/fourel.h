#pragma once
// Moved to the component's own headers; kept so that code still naming the
// old place builds until it is changed over.
#include <interfaces/fourel.h>
