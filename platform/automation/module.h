#pragma once
// A component module: what it makes, how it is described, and its exported
// entry points. A module lists its classes once in a ModuleDescription and
// AUTOMATION_MODULE writes the entry points from it.
#include "component.h"
#include "type_library.h"

namespace automation {

// One class a module makes, with what the registry records about it.
struct ModuleClass {
    QUuid classId;
    const char* progId;
    const char* typeName;
    ClassFactory* factory;
    const char* threading = "Apartment";
    uint32_t miscStatus = 0;
    int toolboxBitmap = 0;  // picture number inside the module; 0 for none
    std::span<const QUuid> propertyPages = {};
    bool describedByTypeLibrary = false;
};

struct ModuleVersion {
    const char* file;
    const char* product;
};

// A picture in XPM form, as a toolbox shows a class.
using ModulePicture = const char* const*;

struct ModuleDescription {
    std::span<const ModuleClass> classes;
    const TypeLibrary* typeLibrary = nullptr;  // registered before the classes
    ModuleVersion version = {nullptr, nullptr};
    std::span<const ModulePicture> pictures = {};  // numbered from 1
};

// The exported entry points, by name.
inline constexpr const char* getClassObjectSymbol = "DllGetClassObject";
inline constexpr const char* canUnloadNowSymbol = "DllCanUnloadNow";
inline constexpr const char* registerServerSymbol = "DllRegisterServer";
inline constexpr const char* unregisterServerSymbol = "DllUnregisterServer";
inline constexpr const char* getTypeLibrarySymbol = "DllGetTypeLibrary";
inline constexpr const char* getVersionSymbol = "DllGetVersion";
inline constexpr const char* getPictureSymbol = "DllGetPicture";

extern "C" {
using GetClassObjectFn = HResult (*)(const QUuid* classId, ClassFactory** factory);
using CanUnloadNowFn = HResult (*)();
using RegisterServerFn = HResult (*)();
using GetTypeLibraryFn = const TypeLibrary* (*)();
using GetVersionFn = const ModuleVersion* (*)();
using GetPictureFn = ModulePicture (*)(int number);
}

}  // namespace automation

// The bodies of the entry points, for the module described: registration
// writes the type library first, then each class, into the per-user
// registry, and answers 0, or hr::typeLibRegistration or
// hr::classRegistration for the step that failed.
#include "module_entry_points.h"

#define AUTOMATION_MODULE_EXPORT extern "C" __attribute__((visibility("default")))

// Writes a module's entry points; `describe` returns its ModuleDescription.
#define AUTOMATION_MODULE(describe)                                                                               \
    AUTOMATION_MODULE_EXPORT automation::HResult DllGetClassObject(const QUuid* classId,                          \
                                                                   automation::ClassFactory** out)                \
    {                                                                                                             \
        return automation::module::getClassObject(describe(), classId, out);                                      \
    }                                                                                                             \
    AUTOMATION_MODULE_EXPORT automation::HResult DllCanUnloadNow() { return automation::module::canUnloadNow(); } \
    AUTOMATION_MODULE_EXPORT automation::HResult DllRegisterServer()                                              \
    {                                                                                                             \
        return automation::module::registerServer(describe());                                                    \
    }                                                                                                             \
    AUTOMATION_MODULE_EXPORT automation::HResult DllUnregisterServer()                                            \
    {                                                                                                             \
        return automation::module::unregisterServer(describe());                                                  \
    }                                                                                                             \
    AUTOMATION_MODULE_EXPORT const automation::TypeLibrary* DllGetTypeLibrary() { return describe().typeLibrary; } \
    AUTOMATION_MODULE_EXPORT const automation::ModuleVersion* DllGetVersion()                                     \
    {                                                                                                             \
        return describe().version.file ? &describe().version : nullptr;                                          \
    }                                                                                                             \
    AUTOMATION_MODULE_EXPORT automation::ModulePicture DllGetPicture(int number)                                  \
    {                                                                                                             \
        const auto pictures = describe().pictures;                                                                \
        return number >= 1 && size_t(number) <= pictures.size() ? pictures[number - 1] : nullptr;                \
    }
