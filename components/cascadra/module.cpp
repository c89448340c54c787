// The cascadra module's entry points: the factory for CASCADRALib.Cascadra.
#include "cascadra_component.h"

#include <automation/class_ids.h>

using namespace automation;

namespace {
SimpleClassFactory<cascadra::Cascadra> factory;
}

AUTOMATION_MODULE_EXPORT HResult DllGetClassObject(const QUuid* classId, ClassFactory** out)
{
    if (!classId || !out)
        return hr::pointer;
    *out = nullptr;
    if (*classId != classes::cascadra.classId)
        return hr::classNotAvailable;
    *out = &factory;
    return hr::ok;
}

AUTOMATION_MODULE_EXPORT HResult DllCanUnloadNow() { return ModuleObjectCount::live() == 0 ? hr::ok : hr::falseResult; }
