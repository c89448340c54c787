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

AUTOMATION_MODULE_LOCAL inline HResult registerServer(const ModuleDescription& m)
{
    const QString path = detail::thisModulePath();
    ComponentRegistry registry;
    if (const TypeLibrary* library = m.typeLibrary) {
        const TypeLibraryRegistration entry{library->libraryId, library->version(), library->locale,
                                            QString::fromLatin1(library->help), path};
        if (path.isEmpty() || failed(registry.registerTypeLibrary(entry)))
            return hr::typeLibRegistration;
    }
    for (const ModuleClass& c : m.classes)
        if (path.isEmpty() || failed(registry.registerClass(detail::entryFor(c, m.typeLibrary, path))))
            return hr::classRegistration;
    return hr::ok;
}

AUTOMATION_MODULE_LOCAL inline HResult unregisterServer(const ModuleDescription& m)
{
    ComponentRegistry registry;
    if (const TypeLibrary* library = m.typeLibrary)
        if (failed(registry.unregisterTypeLibrary(library->libraryId, library->version())))
            return hr::typeLibRegistration;
    for (const ModuleClass& c : m.classes)
        if (failed(registry.unregisterClass(c.classId)))
            return hr::classRegistration;
    return hr::ok;
}

}  // namespace automation::module
