// The module's exported entry points: class factories by class identity and
// the can-unload answer.
#include "trazel_ctrl.h"

#include <automation/class_ids.h>

using namespace automation;

namespace {
SimpleClassFactory<trazel::CTrazelCtrl> chartFactory;
}  // namespace

AUTOMATION_MODULE_EXPORT HResult DllGetClassObject(const QUuid* classId, ClassFactory** out)
{
    if (!classId || !out)
        return hr::pointer;
    *out = nullptr;
    if (*classId == classes::trazelChart.classId)
        *out = &chartFactory;
    return *out ? hr::ok : hr::classNotAvailable;
}

AUTOMATION_MODULE_EXPORT HResult DllCanUnloadNow() { return ModuleObjectCount::live() == 0 ? hr::ok : hr::falseResult; }
