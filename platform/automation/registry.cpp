#include "registry.h"

#include "host.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#ifndef AUTOMATION_SYSTEM_REGISTRY_FROM_LIBRARY
#define AUTOMATION_SYSTEM_REGISTRY_FROM_LIBRARY "../share/vellarin/components.json"
#endif

namespace automation {

namespace {

QString fromEnvironment(const char* variable)
{
    return QString::fromLocal8Bit(qgetenv(variable));
}

QJsonObject toJson(const ClassRegistration& r)
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
    if (!r.typeLibrary.isNull())
        o.insert("typeLibrary", QJsonObject{{"id", r.typeLibrary.toString()}, {"version", r.typeLibraryVersion}});
    if (!pages.isEmpty())
        o.insert("propertyPages", pages);
    return o;
}

ClassRegistration classFromJson(const QJsonObject& o)
{
    ClassRegistration r{QUuid::fromString(o.value("classId").toString()), o.value("progId").toString(),
                        o.value("typeName").toString(), o.value("module").toString()};
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

QJsonObject toJson(const TypeLibraryRegistration& r)
{
    return {{"libraryId", r.libraryId.toString()}, {"version", r.version}, {"locale", static_cast<qint64>(r.locale)},
            {"help", r.help}, {"module", r.modulePath}};
}

TypeLibraryRegistration libraryFromJson(const QJsonObject& o)
{
    return {QUuid::fromString(o.value("libraryId").toString()), o.value("version").toString(),
            static_cast<uint32_t>(o.value("locale").toInteger()), o.value("help").toString(),
            o.value("module").toString()};
}

}  // namespace

QString ComponentRegistry::defaultPath()
{
    if (QString overridden = fromEnvironment(pathVariable); !overridden.isEmpty())
        return overridden;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/vellarin/components.json");
}

QString ComponentRegistry::systemPath()
{
    if (QString overridden = fromEnvironment(systemPathVariable); !overridden.isEmpty())
        return overridden;
    return QDir::cleanPath(libraryDirectory() + u'/' + QStringLiteral(AUTOMATION_SYSTEM_REGISTRY_FROM_LIBRARY));
}

ComponentRegistry::ComponentRegistry(QString path) : m_path(std::move(path)) {}

ComponentRegistry::Contents ComponentRegistry::read() const
{
    Contents out;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return out;
    // A damaged file reads as an empty registry.
    const QJsonObject doc = QJsonDocument::fromJson(file.readAll()).object();
    for (const QJsonValue& v : doc.value("classes").toArray())
        if (ClassRegistration r = classFromJson(v.toObject()); !r.classId.isNull())
            out.classes.push_back(std::move(r));
    for (const QJsonValue& v : doc.value("typeLibraries").toArray())
        if (TypeLibraryRegistration r = libraryFromJson(v.toObject()); !r.libraryId.isNull())
            out.typeLibraries.push_back(std::move(r));
    return out;
}

bool ComponentRegistry::write(const Contents& contents) const
{
    QJsonArray classes, libraries;
    for (const ClassRegistration& r : contents.classes)
        classes.append(toJson(r));
    for (const TypeLibraryRegistration& r : contents.typeLibraries)
        libraries.append(toJson(r));
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QJsonDocument(QJsonObject{{"classes", classes}, {"typeLibraries", libraries}}).toJson());
    return file.commit();
}

std::optional<ClassRegistration> ComponentRegistry::findClass(const QUuid& classId) const
{
    for (ClassRegistration& r : read().classes)
        if (r.classId == classId)
            return std::move(r);
    return std::nullopt;
}

std::optional<ClassRegistration> ComponentRegistry::findProgId(const QString& progId) const
{
    for (ClassRegistration& r : read().classes)
        if (r.progId.compare(progId, Qt::CaseInsensitive) == 0)
            return std::move(r);
    return std::nullopt;
}

std::vector<ClassRegistration> ComponentRegistry::classes() const { return read().classes; }
std::vector<TypeLibraryRegistration> ComponentRegistry::typeLibraries() const { return read().typeLibraries; }

HResult ComponentRegistry::registerClass(const ClassRegistration& entry)
{
    Contents c = read();
    std::erase_if(c.classes, [&](const ClassRegistration& r) { return r.classId == entry.classId; });
    c.classes.push_back(entry);
    return write(c) ? hr::ok : hr::classRegistration;
}

HResult ComponentRegistry::unregisterClass(const QUuid& classId)
{
    Contents c = read();
    std::erase_if(c.classes, [&](const ClassRegistration& r) { return r.classId == classId; });
    return write(c) ? hr::ok : hr::classRegistration;
}

HResult ComponentRegistry::registerTypeLibrary(const TypeLibraryRegistration& entry)
{
    Contents c = read();
    std::erase_if(c.typeLibraries, [&](const TypeLibraryRegistration& r) {
        return r.libraryId == entry.libraryId && r.version == entry.version;
    });
    c.typeLibraries.push_back(entry);
    return write(c) ? hr::ok : hr::typeLibRegistration;
}

HResult ComponentRegistry::unregisterTypeLibrary(const QUuid& libraryId, const QString& version)
{
    Contents c = read();
    std::erase_if(c.typeLibraries, [&](const TypeLibraryRegistration& r) {
        return r.libraryId == libraryId && r.version == version;
    });
    return write(c) ? hr::ok : hr::typeLibRegistration;
}

std::optional<ClassRegistration> findRegisteredClass(const QUuid& classId)
{
    if (auto r = ComponentRegistry().findClass(classId))
        return r;
    return ComponentRegistry(ComponentRegistry::systemPath()).findClass(classId);
}

std::optional<ClassRegistration> findRegisteredProgId(const QString& progId)
{
    if (auto r = ComponentRegistry().findProgId(progId))
        return r;
    return ComponentRegistry(ComponentRegistry::systemPath()).findProgId(progId);
}

std::optional<TypeLibraryRegistration> findRegisteredTypeLibrary(const QUuid& libraryId, const QString& version)
{
    for (const QString& path : {ComponentRegistry::defaultPath(), ComponentRegistry::systemPath()})
        for (TypeLibraryRegistration& r : ComponentRegistry(path).typeLibraries())
            if (r.libraryId == libraryId && r.version == version)
                return std::move(r);
    return std::nullopt;
}

}  // namespace automation
