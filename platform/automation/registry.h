#pragma once
// The component registries: which module holds which class, and which type
// libraries are installed. One small file per user, read first, and one for
// the whole installation, written when the program is installed. Tests point
// them elsewhere with the AUTOMATION_REGISTRY and AUTOMATION_SYSTEM_REGISTRY
// environment variables.
#include "export.h"
#include "hresult.h"

#include <QString>
#include <QUuid>

#include <optional>
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
};

struct TypeLibraryRegistration {
    QUuid libraryId;
    QString version;  // "major.minor"
    uint32_t locale = 0;
    QString help;
    QString modulePath;  // the module that carries it
};

class AUTOMATION_EXPORT ComponentRegistry {
public:
    static constexpr const char* pathVariable = "AUTOMATION_REGISTRY";
    static constexpr const char* systemPathVariable = "AUTOMATION_SYSTEM_REGISTRY";
    static QString defaultPath();
    // At the same place relative to the component layer's library as the
    // install put it, so any program using an installed layer finds it.
    static QString systemPath();

    explicit ComponentRegistry(QString path = defaultPath());

    std::optional<ClassRegistration> findClass(const QUuid& classId) const;
    std::optional<ClassRegistration> findProgId(const QString& progId) const;
    std::vector<ClassRegistration> classes() const;
    std::vector<TypeLibraryRegistration> typeLibraries() const;

    // hr::classRegistration when the file cannot be written.
    HResult registerClass(const ClassRegistration& entry);
    HResult unregisterClass(const QUuid& classId);
    // hr::typeLibRegistration when the file cannot be written.
    HResult registerTypeLibrary(const TypeLibraryRegistration& entry);
    HResult unregisterTypeLibrary(const QUuid& libraryId, const QString& version);

    const QString& path() const { return m_path; }

private:
    struct Contents {
        std::vector<ClassRegistration> classes;
        std::vector<TypeLibraryRegistration> typeLibraries;
    };
    Contents read() const;
    bool write(const Contents& contents) const;

    QString m_path;
};

// The per-user registry first, then the system-wide one.
AUTOMATION_EXPORT std::optional<ClassRegistration> findRegisteredClass(const QUuid& classId);
AUTOMATION_EXPORT std::optional<ClassRegistration> findRegisteredProgId(const QString& progId);
AUTOMATION_EXPORT std::optional<TypeLibraryRegistration> findRegisteredTypeLibrary(const QUuid& libraryId, const QString& version);

}  // namespace automation
