// Entry points of the fourel module: the class factory for Numora.Fourel and
// the can-unload-now answer.
#include "fourel_component.h"

#include <automation/class_ids.h>

using namespace automation;

namespace {

SimpleClassFactory<fourel::FourelComponent> factory;

}  // namespace

AUTOMATION_MODULE_EXPORT HResult DllGetClassObject(const QUuid* classId, ClassFactory** out)
{
    if (!classId || !out)
        return hr::pointer;
    *out = nullptr;
    if (*classId != classes::fourel.classId)
        return hr::classNotAvailable;
    *out = &factory;
    return hr::ok;
}

AUTOMATION_MODULE_EXPORT HResult DllCanUnloadNow() { return ModuleObjectCount::live() == 0 ? hr::ok : hr::falseResult; }
