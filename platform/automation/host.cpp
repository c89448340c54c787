#include "host.h"

#include "class_ids.h"
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

const KnownClass* knownClass(const QUuid& classId)
{
    for (const KnownClass* k : classes::all)
        if (k->classId == classId)
            return k;
    return nullptr;
}

const KnownClass* knownProgId(const QString& progId)
{
    for (const KnownClass* k : classes::all)
        if (progId.compare(QLatin1String(k->progId), Qt::CaseInsensitive) == 0)
            return k;
    return nullptr;
}

}  // namespace

QString programDirectory() { return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(u'/', 0, -2); }

HResult resolveModule(const QUuid& classId, QString& modulePath)
{
    if (auto r = ComponentRegistry().findClass(classId)) {
        modulePath = r->modulePath;
        return hr::ok;
    }
    if (const KnownClass* k = knownClass(classId)) {
        modulePath = programDirectory() + QStringLiteral("/lib") + QLatin1String(k->module) + QStringLiteral(".so");
        return hr::ok;
    }
    return hr::classNotRegistered;
}

HResult createInstanceFromModule(const QString& modulePath, const QUuid& classId, ComponentPtr& out)
{
    out.reset();
    HResult error = hr::ok;
    QLibrary* lib = loadModule(modulePath, error);
    if (!lib)
        return error;
    auto getClassObject = reinterpret_cast<GetClassObjectFn>(lib->resolve(getClassObjectSymbol));
    ClassFactory* factory = nullptr;
    if (HResult r = getClassObject(&classId, &factory); failed(r))
        return r;
    if (!factory)
        return hr::classNotAvailable;
    return factory->createInstance(out);
}

HResult createInstance(const QUuid& classId, ComponentPtr& out)
{
    QString path;
    if (HResult r = resolveModule(classId, path); failed(r))
        return r;
    return createInstanceFromModule(path, classId, out);
}

HResult createInstance(const QString& progIdOrClassId, ComponentPtr& out)
{
    out.reset();
    const QUuid asId = QUuid::fromString(progIdOrClassId);
    if (!asId.isNull())
        return createInstance(asId, out);
    if (auto r = ComponentRegistry().findProgId(progIdOrClassId))
        return createInstanceFromModule(r->modulePath, r->classId, out);
    if (const KnownClass* k = knownProgId(progIdOrClassId))
        return createInstance(k->classId, out);
    return hr::invalidClassString;
}

HResult registerModule(const QString& modulePath, bool unregister)
{
    HResult error = hr::ok;
    QLibrary* lib = loadModule(modulePath, error);
    if (!lib)
        return error;
    auto entry = reinterpret_cast<RegisterServerFn>(
        lib->resolve(unregister ? unregisterServerSymbol : registerServerSymbol));
    return entry ? entry() : hr::errorInModule;
}

HResult moduleCanUnloadNow(const QString& modulePath)
{
    HResult error = hr::ok;
    QLibrary* lib = loadModule(modulePath, error);
    if (!lib)
        return error;
    auto entry = reinterpret_cast<CanUnloadNowFn>(lib->resolve(canUnloadNowSymbol));
    return entry ? entry() : hr::errorInModule;
}

}  // namespace automation
