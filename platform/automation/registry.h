#pragma once
// The component registries: which module holds which class, and which type
// libraries are installed. Looked up in this order, the first usable entry
// deciding:
//   1. one file per user;
//   2. the administrator's own file, written by `vellarin-register --system`;
//   3. read-only drop-ins, one per installed package, in name order.
// Tests point them elsewhere with the AUTOMATION_REGISTRY (the per-user file)
// and AUTOMATION_SYSTEM_REGISTRY (the system-wide folder) environment
// variables.
//
// Module paths are absolute: a relative one would be resolved against
// whatever folder a program happens to start in, and load a stranger's
// library from there. Such entries are refused when written and ignored when
// read.
#include "export.h"
#include "hresult.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QUuid>

#include <optional>
#include <utility>
#include <vector>

namespace automation {

struct ClassRegistration {
    QUuid classId;
    QString progId;
    QString typeName;
    QString modulePath;
    QString threading;          // "Apartment": created and called on one thread
    uint32_t miscStatus = 0;    // the control's status flag word
    QString toolboxBitmap;      // module path and picture number, "path,1"
    QUuid typeLibrary;          // the type library describing the class
    QString typeLibraryVersion; // "1.0"
    std::vector<QUuid> propertyPages;
    bool operator==(const ClassRegistration&) const = default;
};

struct TypeLibraryRegistration {
    QUuid libraryId;
    QString version;  // "major.minor"
    uint32_t locale = 0;
    QString help;
    QString modulePath;  // the module that carries it
    bool operator==(const TypeLibraryRegistration&) const = default;
};

// What one registration or unregistration changes, applied as one
// read-change-write: removals, then type libraries, then classes.
struct RegistryChanges {
    std::vector<std::pair<QUuid, QString>> removedTypeLibraries;  // identity and version
    std::vector<QUuid> removedClasses;
    std::vector<TypeLibraryRegistration> typeLibraries;
    std::vector<ClassRegistration> classes;
    bool empty() const
    {
        return removedTypeLibraries.empty() && removedClasses.empty() && typeLibraries.empty() && classes.empty();
    }
};

// A registry file's contents. The whole document is kept, so a rewrite
// leaves whatever this reader does not know as it was: other top-level keys,
// other keys of an entry, entries whose identity does not parse.
class AUTOMATION_EXPORT RegistryDocument {
public:
    // False, with what is wrong, when the bytes are not a registry. A file
    // of no bytes is an empty registry: nothing in it can be lost.
    bool parse(const QByteArray& bytes, QString& problem);
    QByteArray toJson() const;
    const QJsonObject& root() const { return m_root; }

    // The entries this reader understands, in file order.
    std::vector<ClassRegistration> classes() const;
    std::vector<TypeLibraryRegistration> typeLibraries() const;

    // A class or library already present is updated in place, keeping the
    // keys this reader does not know; a new one is added at the end.
    void apply(const RegistryChanges& changes);

private:
    QJsonObject m_root;
};

class AUTOMATION_EXPORT ComponentRegistry {
public:
    static constexpr const char* pathVariable = "AUTOMATION_REGISTRY";
    static constexpr const char* systemPathVariable = "AUTOMATION_SYSTEM_REGISTRY";
    // The per-user file; empty when there is none: no XDG configuration home
    // and no home folder given as an absolute path.
    static QString defaultPath();
    // The system-wide folders, at the same places relative to the component
    // layer's library as the install put them, so any program using an
    // installed layer finds them: the package data folder, holding the
    // drop-ins, and the configuration folder, holding the administrator's file.
    static QString systemDirectory();
    static QString configurationDirectory();
    // The administrator's file, the one earlier installs kept among the
    // package data (only read), and the folder of the packages' drop-ins.
    static QString systemPath();
    static QString formerSystemPath();
    static QString dropInDirectory();
    // Every system-wide registry file in lookup order: administrator's,
    // former administrator's when it is there, drop-ins.
    static QStringList systemLookupPaths();
    // The same after the per-user file, when there is one.
    static QStringList lookupPaths();
    // Whether a file is one of the system-wide registries, written for all.
    static bool isSystemWide(const QString& path);

    explicit ComponentRegistry(QString path = defaultPath());

    // Lookups read the file as it is; a file that cannot be read counts as
    // empty (with a warning), so the next registry can still serve.
    std::optional<ClassRegistration> findClass(const QUuid& classId) const;
    std::optional<ClassRegistration> findProgId(const QString& progId) const;
    std::vector<ClassRegistration> classes() const;
    std::vector<TypeLibraryRegistration> typeLibraries() const;
    // The file's contents, or nullopt with what is wrong with it. A file that
    // does not exist is an empty registry.
    std::optional<RegistryDocument> load(QString& problem) const;

    // One read-change-write under the lock file beside the registry, so
    // programs registering at once lose nothing. A registry that exists but
    // cannot be read is never written. Fails with hr::typeLibRegistration
    // when the changes hold type library work, else hr::classRegistration,
    // and a warning naming the file and what is wrong. Removing from a
    // registry that does not exist creates nothing.
    HResult apply(const RegistryChanges& changes) const;
    HResult registerClass(const ClassRegistration& entry) const;
    HResult unregisterClass(const QUuid& classId) const;
    HResult registerTypeLibrary(const TypeLibraryRegistration& entry) const;
    HResult unregisterTypeLibrary(const QUuid& libraryId, const QString& version) const;

    const QString& path() const { return m_path; }

private:
    QString m_path;
};

// Every usable entry for a class, in lookup order; the caller takes the first
// whose module is there.
AUTOMATION_EXPORT std::vector<ClassRegistration> registeredClasses(const QUuid& classId);
AUTOMATION_EXPORT std::vector<ClassRegistration> registeredProgIds(const QString& progId);
// The first entry whose module is there.
AUTOMATION_EXPORT std::optional<TypeLibraryRegistration> findRegisteredTypeLibrary(const QUuid& libraryId, const QString& version);

}  // namespace automation
