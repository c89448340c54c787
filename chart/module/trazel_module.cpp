// The module's exported entry points: class factories by class identity,
// the can-unload answer, registration and the type library.
#include "trazel_ctrl.h"
#include "trazel_prop_page.h"
#include "type_library.h"

#include <automation/class_ids.h>
#include <automation/registry.h>

#include <QFileInfo>

#include <dlfcn.h>

using namespace automation;

namespace {

SimpleClassFactory<trazel::CTrazelCtrl> chartFactory;
SimpleClassFactory<trazel::CTrazelPropPage> pageFactory;

constexpr std::array<const KnownClass*, 2> moduleClasses{&classes::trazelChart, &classes::trazelPropertyPage};

constexpr trazel::TypeLibEnumValue digitalMaskValues[] = {
    {"Disabled", 0},        {"PlotBit0", 1},        {"PlotBit1", 2},      {"PlotBit2", 4},
    {"PlotBit3", 8},        {"PlotBit4", 16},       {"PlotBit5", 32},     {"PlotBit6", 64},
    {"PlotBit7", 128},      {"PlotBit8", 256},      {"PlotBit9", 512},    {"PlotBit10", 1024},
    {"PlotBit11", 2048},    {"PlotBit12", 4096},    {"PlotBit13", 8192},  {"PlotBit14", 16384},
    {"PlotBit15", 32768},
};

constexpr trazel::TypeLibraryInfo typeLibrary{
    "TRAZELLib", interfaces::trazelTypeLibrary, 1, 0, 1033, "Trazel Control",
    "enumDigitalMask", digitalMaskValues, static_cast<int>(std::size(digitalMaskValues)),
    "_DTrazel", interfaces::trazelDispatch, "Dispatch interface for Trazel Control",
    "_DTrazelEvents", interfaces::trazelEvents, "Event interface for Trazel Control",
    "Trazel", "Trazel Control",
};

QString modulePath()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&chartFactory), &info) == 0 || !info.dli_fname)
        return {};
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteFilePath();
}

}  // namespace

AUTOMATION_MODULE_EXPORT HResult DllGetClassObject(const QUuid* classId, ClassFactory** out)
{
    if (!classId || !out)
        return hr::pointer;
    *out = nullptr;
    if (*classId == classes::trazelChart.classId)
        *out = &chartFactory;
    else if (*classId == classes::trazelPropertyPage.classId)
        *out = &pageFactory;
    return *out ? hr::ok : hr::classNotAvailable;
}

AUTOMATION_MODULE_EXPORT HResult DllCanUnloadNow() { return ModuleObjectCount::live() == 0 ? hr::ok : hr::falseResult; }

// The type library travels inside the module and is read from it, so there
// is no separate entry to write for it; the classes are registered here.
AUTOMATION_MODULE_EXPORT HResult DllRegisterServer()
{
    const QString path = modulePath();
    if (path.isEmpty())
        return hr::classRegistration;
    ComponentRegistry registry;
    for (const KnownClass* k : moduleClasses) {
        const ClassRegistration entry{k->classId, QString::fromLatin1(k->progId), QString::fromLatin1(k->typeName), path};
        if (failed(registry.registerClass(entry)))
            return hr::classRegistration;
    }
    return hr::ok;
}

AUTOMATION_MODULE_EXPORT HResult DllUnregisterServer()
{
    ComponentRegistry registry;
    for (const KnownClass* k : moduleClasses)
        if (failed(registry.unregisterClass(k->classId)))
            return hr::classRegistration;
    return hr::ok;
}

AUTOMATION_MODULE_EXPORT const trazel::TypeLibraryInfo* DllGetTypeLibrary() { return &typeLibrary; }
