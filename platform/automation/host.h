#pragma once
// Creating components by class identity or programmatic identifier. The
// module of a class is the first one the registries name that is there
// (registry.h gives their order); a caller may name the module to use when
// no registry serves. The module is loaded at run time and asked for its
// factory.
#include "module.h"

namespace automation {

// `moduleName` is a module's base name ("name" for libname.so beside the
// program) or a path, used only when no registry serves the class.
HResult createInstance(const QUuid& classId, ComponentPtr& out, const QString& moduleName = {});
// Accepts a programmatic identifier ("Vendor.Class.1") or a class identity in
// text form.
HResult createInstance(const QString& progIdOrClassId, ComponentPtr& out);
HResult createInstanceFromModule(const QString& modulePath, const QUuid& classId, ComponentPtr& out);

// Where a module given by base name is looked for: beside the program.
QString modulePathForName(const QString& moduleName);
QString programDirectory();

// Calls a module's registration entry point (register or unregister).
HResult registerModule(const QString& modulePath, bool unregister = false);
// The module's answer to "can it be unloaded now", or an error when it is no module.
HResult moduleCanUnloadNow(const QString& modulePath);
// The module's class factory, for hosts that lock the module while they work.
HResult moduleClassFactory(const QString& modulePath, const QUuid& classId, ClassFactory*& factory);
// What a module describes of itself without making an object; null when it
// carries no type library or version.
const TypeLibrary* moduleTypeLibrary(const QString& modulePath, HResult& result);
const ModuleVersion* moduleVersion(const QString& modulePath, HResult& result);
// A registered type library by identity and version, from the module the
// registries name for it; hr::libraryNotRegistered when none does.
const TypeLibrary* loadRegisteredTypeLibrary(const QUuid& libraryId, const QString& version, HResult& result);
// A picture the module carries, by number, as a registry entry names it ("path,1").
ModulePicture modulePicture(const QString& modulePath, int number, HResult& result);

}  // namespace automation
