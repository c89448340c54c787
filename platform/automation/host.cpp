#include "host.h"

#include "registry.h"

#include <QFileInfo>
#include <QLibrary>
#include <QMutex>

#include <map>

namespace automation {

namespace {

// Modules stay loaded for the life of the process: objects, widgets and
// meta-objects they handed out may outlive any one host object.
QLibrary* loadModule(const QString& path, HResult& error)
{
    static QMutex mutex;
    static std::map<QString, std::unique_ptr<QLibrary>> loaded;  // destroying a QLibrary does not unload it
    const QMutexLocker lock(&mutex);
    const QString key = QFileInfo(path).absoluteFilePath();
    if (auto it = loaded.find(key); it != loaded.end())
        return it->second.get();
    if (!QFileInfo::exists(key)) {
        error = hr::moduleNotFound;
        return nullptr;
    }
    auto lib = std::make_unique<QLibrary>(key);
    if (!lib->load() || !lib->resolve(getClassObjectSymbol)) {
        lib->unload();
        error = hr::errorInModule;
        return nullptr;
    }
    return loaded.emplace(key, std::move(lib)).first->second.get();
}

template <class Fn> Fn entryPoint(const QString& modulePath, const char* symbol, HResult& result)
{
    result = hr::ok;
    QLibrary* lib = loadModule(modulePath, result);
    if (!lib)
        return nullptr;
    auto entry = reinterpret_cast<Fn>(lib->resolve(symbol));
    if (!entry)
        result = hr::errorInModule;
    return entry;
}

}  // namespace

QString programDirectory() { return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(u'/', 0, -2); }

QString modulePathForName(const QString& moduleName)
{
    if (moduleName.contains(u'/'))
        return moduleName;
    return programDirectory() + QStringLiteral("/lib") + moduleName + QStringLiteral(".so");
}

namespace {

HResult resolveModule(const QUuid& classId, QString& modulePath, const QString& moduleName)
{
    // A registered module that is gone (a deleted build tree) does not hide
    // the next registry's, nor the module the caller names.
    if (const auto registered = registeredClasses(classId); !registered.empty()) {
        modulePath = registered.front().modulePath;
        return hr::ok;
    }
    if (moduleName.isEmpty())
        return hr::classNotRegistered;
    modulePath = modulePathForName(moduleName);
    return hr::ok;
}

}  // namespace

HResult moduleClassFactory(const QString& modulePath, const QUuid& classId, ClassFactory*& factory)
{
    factory = nullptr;
    HResult r = hr::ok;
    auto getClassObject = entryPoint<GetClassObjectFn>(modulePath, getClassObjectSymbol, r);
    if (!getClassObject)
        return r;
    if (r = getClassObject(&classId, &factory); failed(r))
        return r;
    return factory ? hr::ok : hr::classNotAvailable;
}

HResult createInstanceFromModule(const QString& modulePath, const QUuid& classId, ComponentPtr& out)
{
    out.reset();
    ClassFactory* factory = nullptr;
    if (HResult r = moduleClassFactory(modulePath, classId, factory); failed(r))
        return r;
    return factory->createInstance(out);
}

HResult createInstance(const QUuid& classId, ComponentPtr& out, const QString& moduleName)
{
    out.reset();
    QString path;
    if (HResult r = resolveModule(classId, path, moduleName); failed(r))
        return r;
    return createInstanceFromModule(path, classId, out);
}

HResult createInstance(const QString& progIdOrClassId, ComponentPtr& out)
{
    out.reset();
    const QUuid asId = QUuid::fromString(progIdOrClassId);
    if (!asId.isNull())
        return createInstance(asId, out);
    if (const auto registered = registeredProgIds(progIdOrClassId); !registered.empty())
        return createInstanceFromModule(registered.front().modulePath, registered.front().classId, out);
    return hr::invalidClassString;
}

HResult registerModule(const QString& modulePath, bool unregister)
{
    HResult r = hr::ok;
    auto entry = entryPoint<RegisterServerFn>(modulePath, unregister ? unregisterServerSymbol : registerServerSymbol, r);
    return entry ? entry() : r;
}

HResult moduleCanUnloadNow(const QString& modulePath)
{
    HResult r = hr::ok;
    auto entry = entryPoint<CanUnloadNowFn>(modulePath, canUnloadNowSymbol, r);
    return entry ? entry() : r;
}

const TypeLibrary* moduleTypeLibrary(const QString& modulePath, HResult& result)
{
    auto entry = entryPoint<GetTypeLibraryFn>(modulePath, getTypeLibrarySymbol, result);
    return entry ? entry() : nullptr;
}

const ModuleVersion* moduleVersion(const QString& modulePath, HResult& result)
{
    auto entry = entryPoint<GetVersionFn>(modulePath, getVersionSymbol, result);
    return entry ? entry() : nullptr;
}

const TypeLibrary* loadRegisteredTypeLibrary(const QUuid& libraryId, const QString& version, HResult& result)
{
    const auto registered = findRegisteredTypeLibrary(libraryId, version);
    if (!registered) {
        result = hr::libraryNotRegistered;
        return nullptr;
    }
    return moduleTypeLibrary(registered->modulePath, result);
}

ModulePicture modulePicture(const QString& modulePath, int number, HResult& result)
{
    auto entry = entryPoint<GetPictureFn>(modulePath, getPictureSymbol, result);
    return entry ? entry(number) : nullptr;
}

}  // namespace automation
