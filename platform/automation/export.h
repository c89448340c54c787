#pragma once
// What the shared component layer shows to hosts and modules. Everything else
// in the library stays hidden, so its inner workings can change under the
// same soname. A build that links the layer statically defines
// AUTOMATION_STATIC and exports nothing.
#if defined(AUTOMATION_STATIC)
#define AUTOMATION_EXPORT
#else
#define AUTOMATION_EXPORT __attribute__((visibility("default")))
#endif

// Code that must exist once in every module rather than once in the process:
// a module's object counts and the lookup of its own file.
#define AUTOMATION_MODULE_LOCAL __attribute__((visibility("hidden")))
