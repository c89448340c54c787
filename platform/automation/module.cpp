#include "module.h"

#include "registry.h"

#include <QFileInfo>

#include <dlfcn.h>

namespace automation::module {

namespace {

// This file is compiled into every module, so the object holding this
// function is the module being registered.
QString thisModulePath()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&thisModulePath), &info) == 0 || !info.dli_fname)
        return {};
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteFilePath();
}

ClassRegistration entryFor(const ModuleClass& c, const TypeLibrary* library, const QString& path)
{
    ClassRegistration r{c.classId, QString::fromLatin1(c.progId), QString::fromLatin1(c.typeName), path};
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

}  // namespace

HResult getClassObject(const ModuleDescription& m, const QUuid* classId, ClassFactory** out)
{
    if (!classId || !out)
        return hr::pointer;
    *out = nullptr;
    for (const ModuleClass& c : m.classes)
        if (c.classId == *classId)
            *out = c.factory;
    return *out ? hr::ok : hr::classNotAvailable;
}

HResult canUnloadNow()
{
    return ModuleObjectCount::live() == 0 && ModuleObjectCount::locks() == 0 ? hr::ok : hr::falseResult;
}

// One read-change-write for the whole module, so programs registering at
// once cannot interleave between its type library and its classes.
HResult registerServer(const ModuleDescription& m)
{
    const QString path = thisModulePath();
    if (path.isEmpty())
        return m.typeLibrary ? hr::typeLibRegistration : hr::classRegistration;
    RegistryChanges changes;
    if (const TypeLibrary* library = m.typeLibrary)
        changes.typeLibraries.push_back({library->libraryId, library->version(), library->locale,
                                         QString::fromLatin1(library->help), path});
    for (const ModuleClass& c : m.classes)
        changes.classes.push_back(entryFor(c, m.typeLibrary, path));
    return ComponentRegistry().apply(changes);
}

HResult unregisterServer(const ModuleDescription& m)
{
    RegistryChanges changes;
    if (const TypeLibrary* library = m.typeLibrary)
        changes.removedTypeLibraries.emplace_back(library->libraryId, library->version());
    for (const ModuleClass& c : m.classes)
        changes.removedClasses.push_back(c.classId);
    return ComponentRegistry().apply(changes);
}

}  // namespace automation::module
