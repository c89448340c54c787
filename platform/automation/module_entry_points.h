#pragma once
// The bodies of a module's entry points. They are compiled into every module
// that writes AUTOMATION_MODULE, and kept out of the shared layer, because
// each module counts its own objects and registers its own file.
#include "module.h"
#include "registry.h"

#include <QFileInfo>

#include <dlfcn.h>

namespace automation::module {

namespace detail {

// Local to each module, so the object holding this function is the module
// being registered.
AUTOMATION_MODULE_LOCAL inline QString thisModulePath()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&detail::thisModulePath), &info) == 0 || !info.dli_fname)
        return {};
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteFilePath();
}

AUTOMATION_MODULE_LOCAL inline ClassRegistration entryFor(const ModuleClass& c, const TypeLibrary* library, const QString& path)
{
    ClassRegistration r;
    r.classId = c.classId;
    r.progId = QString::fromLatin1(c.progId);
    r.typeName = QString::fromLatin1(c.typeName);
    r.modulePath = path;
    r.threading = QString::fromLatin1(c.threading);
    r.miscStatus = c.miscStatus;
    if (c.toolboxBitmap != 0)
        r.toolboxBitmap = path + u',' + QString::number(c.toolboxBitmap);
    if (library && c.describedByTypeLibrary) {
        r.typeLibrary = library->libraryId;
        r.typeLibraryVersion = library->version();
    }
    r.propertyPages.assign(c.propertyPages.begin(), c.propertyPages.end());
    return r;
}

}  // namespace detail

AUTOMATION_MODULE_LOCAL inline HResult getClassObject(const ModuleDescription& m, const QUuid* classId, ClassFactory** out)
{
    if (!classId || !out)
        return hr::pointer;
    *out = nullptr;
    for (const ModuleClass& c : m.classes)
        if (c.classId == *classId)
            *out = c.factory;
    return *out ? hr::ok : hr::classNotAvailable;
}

AUTOMATION_MODULE_LOCAL inline HResult canUnloadNow()
{
    return ModuleObjectCount::live() == 0 && ModuleObjectCount::locks() == 0 ? hr::ok : hr::falseResult;
}

// One read-change-write for the whole module, so programs registering at
// once cannot interleave between its type library and its classes.
AUTOMATION_MODULE_LOCAL inline HResult registerServer(const ModuleDescription& m)
{
    const QString path = detail::thisModulePath();
    if (path.isEmpty())
        return m.typeLibrary ? hr::typeLibRegistration : hr::classRegistration;
    RegistryChanges changes;
    if (const TypeLibrary* library = m.typeLibrary)
        changes.typeLibraries.push_back({library->libraryId, library->version(), library->locale,
                                         QString::fromLatin1(library->help), path});
    for (const ModuleClass& c : m.classes)
        changes.classes.push_back(detail::entryFor(c, m.typeLibrary, path));
    return ComponentRegistry().apply(changes);
}

AUTOMATION_MODULE_LOCAL inline HResult unregisterServer(const ModuleDescription& m)
{
    RegistryChanges changes;
    if (const TypeLibrary* library = m.typeLibrary)
        changes.removedTypeLibraries.emplace_back(library->libraryId, library->version());
    for (const ModuleClass& c : m.classes)
        changes.removedClasses.push_back(c.classId);
    return ComponentRegistry().apply(changes);
}

}  // namespace automation::module
