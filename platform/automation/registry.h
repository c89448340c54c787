#pragma once
// The per-user component registry: which module holds which class. A small
// file, rewritten atomically; a test points it elsewhere with the
// AUTOMATION_REGISTRY environment variable.
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
};

class ComponentRegistry {
public:
    static constexpr const char* pathVariable = "AUTOMATION_REGISTRY";
    static QString defaultPath();

    explicit ComponentRegistry(QString path = defaultPath());

    std::optional<ClassRegistration> findClass(const QUuid& classId) const;
    std::optional<ClassRegistration> findProgId(const QString& progId) const;
    std::vector<ClassRegistration> classes() const;

    // Both return hr::classRegistration when the file cannot be written.
    HResult registerClass(const ClassRegistration& entry);
    HResult unregisterClass(const QUuid& classId);

    const QString& path() const { return m_path; }

private:
    std::vector<ClassRegistration> read() const;
    bool write(const std::vector<ClassRegistration>& entries) const;

    QString m_path;
};

}  // namespace automation
