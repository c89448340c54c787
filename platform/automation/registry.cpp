#include "registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

namespace automation {

QString ComponentRegistry::defaultPath()
{
    const QByteArray overridden = qgetenv(pathVariable);
    if (!overridden.isEmpty())
        return QString::fromLocal8Bit(overridden);
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/vellarin/components.json");
}

ComponentRegistry::ComponentRegistry(QString path) : m_path(std::move(path)) {}

std::vector<ClassRegistration> ComponentRegistry::read() const
{
    std::vector<ClassRegistration> out;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return out;
    // A damaged file reads as an empty registry: lookups then fall back to
    // the modules beside the program.
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll());
    for (const QJsonValue& v : doc.object().value(QStringLiteral("classes")).toArray()) {
        const QJsonObject o = v.toObject();
        ClassRegistration r{QUuid::fromString(o.value(QStringLiteral("classId")).toString()),
                            o.value(QStringLiteral("progId")).toString(),
                            o.value(QStringLiteral("typeName")).toString(),
                            o.value(QStringLiteral("module")).toString()};
        if (!r.classId.isNull())
            out.push_back(r);
    }
    return out;
}

bool ComponentRegistry::write(const std::vector<ClassRegistration>& entries) const
{
    QJsonArray list;
    for (const ClassRegistration& r : entries)
        list.append(QJsonObject{{QStringLiteral("classId"), r.classId.toString()},
                                {QStringLiteral("progId"), r.progId},
                                {QStringLiteral("typeName"), r.typeName},
                                {QStringLiteral("module"), r.modulePath}});
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QJsonDocument(QJsonObject{{QStringLiteral("classes"), list}}).toJson());
    return file.commit();
}

std::optional<ClassRegistration> ComponentRegistry::findClass(const QUuid& classId) const
{
    for (const ClassRegistration& r : read())
        if (r.classId == classId)
            return r;
    return std::nullopt;
}

std::optional<ClassRegistration> ComponentRegistry::findProgId(const QString& progId) const
{
    for (const ClassRegistration& r : read())
        if (r.progId.compare(progId, Qt::CaseInsensitive) == 0)
            return r;
    return std::nullopt;
}

std::vector<ClassRegistration> ComponentRegistry::classes() const { return read(); }

HResult ComponentRegistry::registerClass(const ClassRegistration& entry)
{
    std::vector<ClassRegistration> entries = read();
    std::erase_if(entries, [&](const ClassRegistration& r) { return r.classId == entry.classId; });
    entries.push_back(entry);
    return write(entries) ? hr::ok : hr::classRegistration;
}

HResult ComponentRegistry::unregisterClass(const QUuid& classId)
{
    std::vector<ClassRegistration> entries = read();
    std::erase_if(entries, [&](const ClassRegistration& r) { return r.classId == classId; });
    return write(entries) ? hr::ok : hr::classRegistration;
}

}  // namespace automation
