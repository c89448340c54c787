#include "registry.h"

#include "host.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLockFile>
#include <QSaveFile>

#include <cerrno>

#include <sys/stat.h>

#ifndef AUTOMATION_SYSTEM_REGISTRY_FROM_LIBRARY
#define AUTOMATION_SYSTEM_REGISTRY_FROM_LIBRARY "../share/vellarin"
#endif
#ifndef AUTOMATION_PREFIX_FROM_LIBRARY
#define AUTOMATION_PREFIX_FROM_LIBRARY ".."
#endif
#ifndef AUTOMATION_CONFIGURATION_FOLDER
#define AUTOMATION_CONFIGURATION_FOLDER "etc"
#endif

namespace automation {

namespace {

const QString classesKey = QStringLiteral("classes");
const QString librariesKey = QStringLiteral("typeLibraries");

// The keys this reader writes; an entry's other keys are someone else's.
const QStringList classKeys{"classId",       "progId",      "typeName",     "module",       "threading",
                            "miscStatus",    "toolboxBitmap", "typeLibrary", "propertyPages"};
const QStringList libraryKeys{"libraryId", "version", "locale", "help", "module"};

// System-wide registry files are read by every user's programs, whatever the
// umask of whoever wrote them.
constexpr QFileDevice::Permissions readableByAll =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
constexpr QFileDevice::Permissions folderForAll =
    readableByAll | QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;

// A writer holds the lock for one read-change-write, a few milliseconds, and
// waits up to lockWaitMs for it. A lock whose owner is known to have died
// (a program of this host that is no longer running) is taken over at once.
// Of any other lock, an empty one or one taken on another host sharing the
// folder, the owner cannot be asked: it counts as abandoned only when it is
// older than lockStaleMs, ten times the wait, so a slow writer never loses
// its lock to a waiting one, and a waiting writer gives up before then.
constexpr int lockWaitMs = 30000;
constexpr int lockStaleMs = 10 * lockWaitMs;

// XDG Base Directory: a per-user folder that is missing is made 0700.
constexpr mode_t newUserFolder = 0700;
constexpr mode_t newSystemFolder = 0755;

QString fromEnvironment(const char* variable)
{
    return QString::fromLocal8Bit(qgetenv(variable));
}

void warn(const QString& message)
{
    qWarning().noquote() << message;
}

QJsonObject entryJson(const ClassRegistration& r)
{
    QJsonArray pages;
    for (const QUuid& page : r.propertyPages)
        pages.append(page.toString());
    QJsonObject o{{"classId", r.classId.toString()}, {"progId", r.progId}, {"typeName", r.typeName},
                  {"module", r.modulePath}};
    // Attributes a class does not have are left out rather than written empty.
    if (!r.threading.isEmpty())
        o.insert("threading", r.threading);
    if (r.miscStatus != 0)
        o.insert("miscStatus", static_cast<qint64>(r.miscStatus));
    if (!r.toolboxBitmap.isEmpty())
        o.insert("toolboxBitmap", r.toolboxBitmap);
    if (!r.typeLibrary.isNull() || !r.typeLibraryVersion.isEmpty())
        o.insert("typeLibrary", QJsonObject{{"id", r.typeLibrary.toString()}, {"version", r.typeLibraryVersion}});
    if (!pages.isEmpty())
        o.insert("propertyPages", pages);
    return o;
}

QUuid classIdOf(const QJsonObject& o) { return QUuid::fromString(o.value("classId").toString()); }

ClassRegistration classFromJson(const QJsonObject& o)
{
    ClassRegistration r{classIdOf(o), o.value("progId").toString(), o.value("typeName").toString(),
                        o.value("module").toString()};
    r.threading = o.value("threading").toString();
    r.miscStatus = static_cast<uint32_t>(o.value("miscStatus").toInteger());
    r.toolboxBitmap = o.value("toolboxBitmap").toString();
    const QJsonObject library = o.value("typeLibrary").toObject();
    r.typeLibrary = QUuid::fromString(library.value("id").toString());
    r.typeLibraryVersion = library.value("version").toString();
    for (const QJsonValue& page : o.value("propertyPages").toArray())
        r.propertyPages.push_back(QUuid::fromString(page.toString()));
    return r;
}

QJsonObject entryJson(const TypeLibraryRegistration& r)
{
    return {{"libraryId", r.libraryId.toString()}, {"version", r.version}, {"locale", static_cast<qint64>(r.locale)},
            {"help", r.help}, {"module", r.modulePath}};
}

bool isLibrary(const QJsonObject& o, const QUuid& id, const QString& version)
{
    return QUuid::fromString(o.value("libraryId").toString()) == id && o.value("version").toString() == version;
}

TypeLibraryRegistration libraryFromJson(const QJsonObject& o)
{
    return {QUuid::fromString(o.value("libraryId").toString()), o.value("version").toString(),
            static_cast<uint32_t>(o.value("locale").toInteger()), o.value("help").toString(),
            o.value("module").toString()};
}

// The entries that do not match; whatever is not an entry stays.
template <class Matches> QJsonArray without(const QJsonArray& entries, Matches matches)
{
    QJsonArray out;
    for (const QJsonValue& v : entries)
        if (!v.isObject() || !matches(v.toObject()))
            out.append(v);
    return out;
}

// `fresh` over the first matching entry, keeping that entry's unknown keys
// and its place; later duplicates go. No match: added at the end.
template <class Matches>
QJsonArray with(const QJsonArray& entries, const QJsonObject& fresh, const QStringList& known, Matches matches)
{
    QJsonArray out;
    bool placed = false;
    for (const QJsonValue& v : entries) {
        if (!v.isObject() || !matches(v.toObject())) {
            out.append(v);
        } else if (!placed) {
            QJsonObject kept = v.toObject();
            for (const QString& key : known)
                kept.remove(key);
            for (auto it = fresh.begin(); it != fresh.end(); ++it)
                kept.insert(it.key(), it.value());
            out.append(kept);
            placed = true;
        }
    }
    if (!placed)
        out.append(fresh);
    return out;
}

bool absoluteOrWarn(const QString& registry, const QString& module, const QUuid& id)
{
    if (QDir::isAbsolutePath(module))
        return true;
    warn(QStringLiteral("%1: ignored the entry for %2: its module path \"%3\" is not absolute")
             .arg(registry, id.toString(), module));
    return false;
}

bool moduleThereOrWarn(const QString& registry, const QString& module, const QUuid& id)
{
    if (QFileInfo::exists(module))
        return true;
    warn(QStringLiteral("%1: the module %2 of %3 does not exist; looking further").arg(registry, module, id.toString()));
    return false;
}

}  // namespace

bool RegistryDocument::parse(const QByteArray& bytes, QString& problem)
{
    m_root = {};
    if (bytes.trimmed().isEmpty())
        return true;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError) {
        problem = QStringLiteral("not a component registry: %1 at byte %2").arg(error.errorString()).arg(error.offset);
        return false;
    }
    if (!document.isObject()) {
        problem = QStringLiteral("not a component registry: the top level is not an object");
        return false;
    }
    for (const QString& key : {classesKey, librariesKey}) {
        if (document.object().contains(key) && !document.object().value(key).isArray()) {
            problem = QStringLiteral("not a component registry: \"%1\" is not a list").arg(key);
            return false;
        }
    }
    m_root = document.object();
    return true;
}

QByteArray RegistryDocument::toJson() const { return QJsonDocument(m_root).toJson(); }

std::vector<ClassRegistration> RegistryDocument::classes() const
{
    std::vector<ClassRegistration> out;
    for (const QJsonValue& v : m_root.value(classesKey).toArray())
        if (ClassRegistration r = classFromJson(v.toObject()); !r.classId.isNull())
            out.push_back(std::move(r));
    return out;
}

std::vector<TypeLibraryRegistration> RegistryDocument::typeLibraries() const
{
    std::vector<TypeLibraryRegistration> out;
    for (const QJsonValue& v : m_root.value(librariesKey).toArray())
        if (TypeLibraryRegistration r = libraryFromJson(v.toObject()); !r.libraryId.isNull())
            out.push_back(std::move(r));
    return out;
}

void RegistryDocument::apply(const RegistryChanges& changes)
{
    QJsonArray classes = m_root.value(classesKey).toArray();
    QJsonArray libraries = m_root.value(librariesKey).toArray();
    for (const auto& removed : changes.removedTypeLibraries)
        libraries = without(libraries, [&](const QJsonObject& o) { return isLibrary(o, removed.first, removed.second); });
    for (const QUuid& id : changes.removedClasses)
        classes = without(classes, [&](const QJsonObject& o) { return classIdOf(o) == id; });
    for (const TypeLibraryRegistration& r : changes.typeLibraries)
        libraries = with(libraries, entryJson(r), libraryKeys,
                         [&](const QJsonObject& o) { return isLibrary(o, r.libraryId, r.version); });
    for (const ClassRegistration& r : changes.classes)
        classes = with(classes, entryJson(r), classKeys, [&](const QJsonObject& o) { return classIdOf(o) == r.classId; });
    // A list the file did not have is added only when something goes in it.
    if (!classes.isEmpty() || m_root.contains(classesKey))
        m_root.insert(classesKey, classes);
    if (!libraries.isEmpty() || m_root.contains(librariesKey))
        m_root.insert(librariesKey, libraries);
}

QString ComponentRegistry::defaultPath()
{
    if (QString overridden = fromEnvironment(pathVariable); !overridden.isEmpty())
        return overridden;
    // XDG Base Directory, "Environment variables": a relative
    // $XDG_CONFIG_HOME is invalid and ignored, leaving the default
    // $HOME/.config. A home that is not an absolute folder leaves none: the
    // registry would land in whatever folder the program started in, or in /.
    QString configHome = fromEnvironment("XDG_CONFIG_HOME");
    if (!QDir::isAbsolutePath(configHome)) {
        const QString home = QDir::cleanPath(fromEnvironment("HOME"));
        if (!QDir::isAbsolutePath(home) || home == QLatin1String("/"))
            return {};
        configHome = home + QStringLiteral("/.config");
    }
    return QDir::cleanPath(configHome + QStringLiteral("/vellarin/components.json"));
}

QString ComponentRegistry::systemDirectory()
{
    if (QString overridden = fromEnvironment(systemPathVariable); !overridden.isEmpty())
        return overridden;
    return QDir::cleanPath(libraryDirectory() + u'/' + QStringLiteral(AUTOMATION_SYSTEM_REGISTRY_FROM_LIBRARY));
}

QString ComponentRegistry::configurationDirectory()
{
    if (QString overridden = fromEnvironment(systemPathVariable); !overridden.isEmpty())
        return overridden;
    const QString folder = QStringLiteral(AUTOMATION_CONFIGURATION_FOLDER);
    if (QDir::isAbsolutePath(folder))
        return QDir::cleanPath(folder + QStringLiteral("/vellarin"));
    // The GNU layout keeps the configuration of an install into /usr in /etc,
    // and that of any other prefix in <prefix>/etc.
    QString prefix = QDir::cleanPath(libraryDirectory() + QStringLiteral("/" AUTOMATION_PREFIX_FROM_LIBRARY));
    if (prefix == QLatin1String("/usr"))
        prefix = QStringLiteral("/");
    return QDir::cleanPath(prefix + u'/' + folder + QStringLiteral("/vellarin"));
}

QString ComponentRegistry::systemPath() { return configurationDirectory() + QStringLiteral("/components.json"); }

QString ComponentRegistry::formerSystemPath() { return systemDirectory() + QStringLiteral("/components.json"); }

QString ComponentRegistry::dropInDirectory() { return systemDirectory() + QStringLiteral("/components.d"); }

QStringList ComponentRegistry::systemLookupPaths()
{
    QStringList paths{systemPath()};
    if (const QString former = formerSystemPath(); former != paths.front() && QFileInfo::exists(former))
        paths << former;
    const QDir dropIns(dropInDirectory());
    for (const QString& name : dropIns.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name))
        paths << dropIns.filePath(name);
    return paths;
}

QStringList ComponentRegistry::lookupPaths()
{
    QStringList paths = systemLookupPaths();
    if (const QString mine = defaultPath(); !mine.isEmpty())
        paths.prepend(mine);
    return paths;
}

namespace {

// A path with its links resolved as far as it exists, so two spellings of
// one place compare equal before either file is made.
QString resolved(const QString& path)
{
    QString existing = QDir::cleanPath(QFileInfo(path).absoluteFilePath()), rest;
    while (!QFileInfo::exists(existing) && existing != QLatin1String("/")) {
        rest.prepend(u'/' + QFileInfo(existing).fileName());
        existing = QFileInfo(existing).path();
    }
    return QDir::cleanPath(QFileInfo(existing).canonicalFilePath() + rest);
}

}  // namespace

bool ComponentRegistry::isSystemWide(const QString& path)
{
    const QString file = resolved(path);
    return file == resolved(systemPath()) || file == resolved(formerSystemPath()) ||
           QFileInfo(file).path() == resolved(dropInDirectory());
}

ComponentRegistry::ComponentRegistry(QString path) : m_path(std::move(path)) {}

std::optional<RegistryDocument> ComponentRegistry::load(QString& problem) const
{
    RegistryDocument document;
    QFile file(m_path);
    if (!file.exists())
        return document;
    if (!file.open(QIODevice::ReadOnly)) {
        problem = QStringLiteral("cannot be read: %1").arg(file.errorString());
        return std::nullopt;
    }
    if (!document.parse(file.readAll(), problem))
        return std::nullopt;
    return document;
}

namespace {

// What a lookup may use of a registry: nothing of one that cannot be read,
// and no entry whose module path is not absolute; each passed over with a warning.
template <class Entry>
std::vector<Entry> usableEntries(const QString& path, const std::optional<RegistryDocument>& document,
                                 const QString& problem, std::vector<Entry> (RegistryDocument::*entries)() const,
                                 QUuid Entry::*id)
{
    if (!document) {
        warn(path + QStringLiteral(": ignored: ") + problem);
        return {};
    }
    std::vector<Entry> out = ((*document).*entries)();
    std::erase_if(out, [&](const Entry& r) { return !absoluteOrWarn(path, r.modulePath, r.*id); });
    return out;
}

}  // namespace

std::vector<ClassRegistration> ComponentRegistry::classes() const
{
    QString problem;
    const std::optional<RegistryDocument> document = load(problem);
    return usableEntries(m_path, document, problem, &RegistryDocument::classes, &ClassRegistration::classId);
}

std::vector<TypeLibraryRegistration> ComponentRegistry::typeLibraries() const
{
    QString problem;
    const std::optional<RegistryDocument> document = load(problem);
    return usableEntries(m_path, document, problem, &RegistryDocument::typeLibraries,
                         &TypeLibraryRegistration::libraryId);
}

std::optional<ClassRegistration> ComponentRegistry::findClass(const QUuid& classId) const
{
    for (ClassRegistration& r : classes())
        if (r.classId == classId)
            return std::move(r);
    return std::nullopt;
}

std::optional<ClassRegistration> ComponentRegistry::findProgId(const QString& progId) const
{
    for (ClassRegistration& r : classes())
        if (r.progId.compare(progId, Qt::CaseInsensitive) == 0)
            return std::move(r);
    return std::nullopt;
}

HResult ComponentRegistry::apply(const RegistryChanges& changes) const
{
    const bool libraryWork = !changes.typeLibraries.empty() || !changes.removedTypeLibraries.empty();
    auto refuse = [&](const QString& why, HResult code) {
        warn(m_path + QStringLiteral(": not written: ") + why);
        return code;
    };
    const HResult failure = libraryWork ? hr::typeLibRegistration : hr::classRegistration;
    if (m_path.isEmpty()) {
        warn(QStringLiteral("no per-user component registry: neither XDG_CONFIG_HOME nor HOME names an absolute "
                            "folder; not written"));
        return failure;
    }
    for (const TypeLibraryRegistration& r : changes.typeLibraries)
        if (!QDir::isAbsolutePath(r.modulePath))
            return refuse(QStringLiteral("the module path \"%1\" of %2 is not absolute").arg(r.modulePath, r.libraryId.toString()),
                          hr::typeLibRegistration);
    for (const ClassRegistration& r : changes.classes)
        if (!QDir::isAbsolutePath(r.modulePath))
            return refuse(QStringLiteral("the module path \"%1\" of %2 is not absolute").arg(r.modulePath, r.classId.toString()),
                          hr::classRegistration);

    // Removing from a registry that is not there removes nothing and
    // creates nothing.
    const bool adds = !changes.typeLibraries.empty() || !changes.classes.empty();
    const QFileInfo file(m_path);
    if (!adds && !file.exists())
        return hr::ok;
    const bool forAll = isSystemWide(m_path);
    QStringList newFolders;
    for (QString folder = file.absolutePath(); !QFileInfo::exists(folder); folder = QFileInfo(folder).path())
        newFolders.prepend(folder);
    for (const QString& folder : std::as_const(newFolders)) {
        if (::mkdir(QFile::encodeName(folder).constData(), forAll ? newSystemFolder : newUserFolder) != 0 &&
            errno != EEXIST)
            return refuse(QStringLiteral("its folder %1 cannot be created").arg(folder), failure);
        if (forAll)
            QFile::setPermissions(folder, folderForAll);
    }

    QLockFile lock(m_path + QStringLiteral(".lock"));
    lock.setStaleLockTime(lockStaleMs);
    if (!lock.tryLock(lockWaitMs)) {
        static const char* const why[] = {"", "another program kept it", "permission denied", "unknown error"};
        return refuse(QStringLiteral("its lock %1.lock could not be taken: %2").arg(m_path, why[lock.error()]), failure);
    }
    QString problem;
    std::optional<RegistryDocument> document = load(problem);
    if (!document)
        return refuse(problem, failure);
    const QJsonObject before = document->root();
    document->apply(changes);
    if (!adds && document->root() == before)
        return hr::ok;
    QSaveFile out(m_path);
    if (!out.open(QIODevice::WriteOnly))
        return refuse(out.errorString(), failure);
    out.write(document->toJson());
    // A new per-user file takes the umask's permissions, an existing one keeps its own.
    if ((forAll && !out.setPermissions(readableByAll)) || !out.commit())
        return refuse(out.errorString(), failure);
    return hr::ok;
}

HResult ComponentRegistry::registerClass(const ClassRegistration& entry) const
{
    RegistryChanges changes;
    changes.classes.push_back(entry);
    return apply(changes);
}

HResult ComponentRegistry::unregisterClass(const QUuid& classId) const
{
    RegistryChanges changes;
    changes.removedClasses.push_back(classId);
    return apply(changes);
}

HResult ComponentRegistry::registerTypeLibrary(const TypeLibraryRegistration& entry) const
{
    RegistryChanges changes;
    changes.typeLibraries.push_back(entry);
    return apply(changes);
}

HResult ComponentRegistry::unregisterTypeLibrary(const QUuid& libraryId, const QString& version) const
{
    RegistryChanges changes;
    changes.removedTypeLibraries.emplace_back(libraryId, version);
    return apply(changes);
}

namespace {

template <class Matches> std::vector<ClassRegistration> usableClasses(Matches matches)
{
    std::vector<ClassRegistration> out;
    for (const QString& path : ComponentRegistry::lookupPaths())
        for (ClassRegistration& r : ComponentRegistry(path).classes())
            if (matches(r) && moduleThereOrWarn(path, r.modulePath, r.classId))
                out.push_back(std::move(r));
    return out;
}

}  // namespace

std::vector<ClassRegistration> registeredClasses(const QUuid& classId)
{
    return usableClasses([&](const ClassRegistration& r) { return r.classId == classId; });
}

std::vector<ClassRegistration> registeredProgIds(const QString& progId)
{
    return usableClasses([&](const ClassRegistration& r) { return r.progId.compare(progId, Qt::CaseInsensitive) == 0; });
}

std::optional<TypeLibraryRegistration> findRegisteredTypeLibrary(const QUuid& libraryId, const QString& version)
{
    for (const QString& path : ComponentRegistry::lookupPaths())
        for (TypeLibraryRegistration& r : ComponentRegistry(path).typeLibraries())
            if (r.libraryId == libraryId && r.version == version && moduleThereOrWarn(path, r.modulePath, r.libraryId))
                return std::move(r);
    return std::nullopt;
}

}  // namespace automation
