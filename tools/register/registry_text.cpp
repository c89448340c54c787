#include "registry_text.h"

#include <QDir>
#include <QFileInfo>

using namespace automation;

namespace {

QString classText(const ClassRegistration& c)
{
    return QStringLiteral("%1 %2 \"%3\"").arg(c.classId.toString(), c.progId, c.typeName);
}

QString libraryText(const TypeLibraryRegistration& l)
{
    return QStringLiteral("%1 version %2").arg(l.libraryId.toString(), l.version);
}

// Why the program would pass an entry by.
QString moduleText(const QString& module)
{
    if (!QDir::isAbsolutePath(module))
        return module + QStringLiteral(" (ignored: not an absolute path)");
    if (!QFileInfo::exists(module))
        return module + QStringLiteral(" (missing)");
    return module;
}

}  // namespace

RegistryDocument loaded(const ComponentRegistry& registry)
{
    QString problem;
    return registry.load(problem).value_or(RegistryDocument());
}

QStringList registryLines(const RegistryDocument& document)
{
    QStringList lines;
    for (const TypeLibraryRegistration& l : document.typeLibraries())
        lines << QStringLiteral("type library %1 locale %2 %3").arg(libraryText(l)).arg(l.locale).arg(moduleText(l.modulePath));
    for (const ClassRegistration& c : document.classes())
        lines << classText(c) + u' ' + moduleText(c.modulePath);
    return lines;
}

QStringList writtenLines(const RegistryDocument& document, const QString& module)
{
    QStringList lines;
    for (const TypeLibraryRegistration& l : document.typeLibraries())
        if (l.modulePath == module)
            lines << QStringLiteral("registered type library ") + libraryText(l);
    for (const ClassRegistration& c : document.classes())
        if (c.modulePath == module)
            lines << QStringLiteral("registered class ") + classText(c);
    return lines;
}

QStringList removedLines(const RegistryDocument& before, const RegistryDocument& after)
{
    QStringList lines;
    const auto libraries = after.typeLibraries();
    for (const TypeLibraryRegistration& l : before.typeLibraries())
        if (std::none_of(libraries.begin(), libraries.end(), [&](const TypeLibraryRegistration& a) {
                return a.libraryId == l.libraryId && a.version == l.version;
            }))
            lines << QStringLiteral("removed type library ") + libraryText(l);
    const auto classes = after.classes();
    for (const ClassRegistration& c : before.classes())
        if (std::none_of(classes.begin(), classes.end(), [&](const ClassRegistration& a) { return a.classId == c.classId; }))
            lines << QStringLiteral("removed class ") + classText(c);
    return lines;
}

RegistryChanges relocated(const RegistryDocument& document, const QString& from, const QString& to)
{
    RegistryChanges changes;
    for (TypeLibraryRegistration l : document.typeLibraries())
        if (l.modulePath == from) {
            l.modulePath = to;
            changes.typeLibraries.push_back(l);
        }
    for (ClassRegistration c : document.classes())
        if (c.modulePath == from) {
            c.modulePath = to;
            // "path,number": the picture is still in the same module.
            if (c.toolboxBitmap.startsWith(from + u','))
                c.toolboxBitmap = to + c.toolboxBitmap.mid(from.size());
            changes.classes.push_back(c);
        }
    return changes;
}
