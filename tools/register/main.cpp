// vellarin-register: registers and unregisters component modules, lists the
// registered classes and prints a module's type library. A user registers a
// chart module here for a host program of their own.
#include "registry_text.h"
#include "type_library_text.h"

#include <automation/host.h>
#include <automation/registry.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#ifndef VELLARIN_MODULE_DIR_FROM_TOOL
#define VELLARIN_MODULE_DIR_FROM_TOOL "../lib/vellarin"
#endif

using namespace automation;

namespace {

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

int fail(const QString& message)
{
    out().flush();
    QTextStream(stderr) << "vellarin-register: " << message << '\n';
    return 1;
}

// What a code means to someone registering a module, beside the code.
int failure(const QString& what, HResult r, const QString& registry)
{
    QString why = QStringLiteral("it failed");
    if (r == hr::moduleNotFound)
        why = QStringLiteral("there is no such file");
    else if (r == hr::errorInModule)
        why = QStringLiteral("it is not a component module (it cannot be loaded, or lacks the entry points)");
    else if (r == hr::typeLibRegistration)
        why = QStringLiteral("its type library could not be written to ") + registry;
    else if (r == hr::classRegistration)
        why = QStringLiteral("a class could not be written to ") + registry;
    return fail(QStringLiteral("%1: %2 (0x%3)").arg(what, why).arg(static_cast<uint32_t>(r), 8, 16, QLatin1Char('0')));
}

// Only an argument with a "/" is a path. A bare name is looked for in the
// installed module folder and beside the tool, never in the working folder:
// loading a module runs its code, and the folder the tool is run in may be
// anyone's.
bool findModule(const QString& argument, QString& module)
{
    if (argument.contains(u'/')) {
        module = QFileInfo(argument).absoluteFilePath();
        return true;
    }
    const QStringList places{modulePathForName(argument),
                             QDir::cleanPath(programDirectory() + QStringLiteral("/" VELLARIN_MODULE_DIR_FROM_TOOL "/lib") +
                                             argument + QStringLiteral(".so"))};
    for (const QString& place : places)
        if (QFileInfo::exists(place)) {
            module = place;
            return true;
        }
    module = QStringLiteral("no module \"%1\": looked for %2").arg(argument, places.join(QStringLiteral(" and ")));
    return false;
}

int list(const QStringList& registries)
{
    int status = 0;
    for (const QString& path : registries) {
        QString problem;
        const std::optional<RegistryDocument> document = ComponentRegistry(path).load(problem);
        if (!document) {
            status = fail(path + QStringLiteral(": ") + problem);
            continue;
        }
        const QStringList lines = registryLines(*document);
        if (lines.isEmpty()) {
            out() << "no components registered in " << path << '\n';
            continue;
        }
        out() << path << ":\n";
        for (const QString& line : lines)
            out() << "  " << line << '\n';
    }
    return status;
}

int printTypeLibrary(const QString& module)
{
    HResult r = hr::ok;
    const TypeLibrary* library = moduleTypeLibrary(module, r);
    if (failed(r))
        return failure(QStringLiteral("cannot read ") + module, r, {});
    if (const ModuleVersion* version = moduleVersion(module, r))
        out() << "module version " << version->file << '\n';
    if (!library)
        return fail(module + QStringLiteral(" carries no type library"));
    out() << typeLibraryText(*library);
    return 0;
}

// The module writes its own entries; the tool reports what changed.
int registerModule(const QString& module, const QString& registry, bool unregister, const QString& installedPath)
{
    const ComponentRegistry file(registry);
    const RegistryDocument before = loaded(file);
    if (const HResult r = automation::registerModule(module, unregister); failed(r))
        return failure(QString::fromLatin1(unregister ? "cannot unregister " : "cannot register ") + module, r, registry);
    if (unregister) {
        const QStringList lines = removedLines(before, loaded(file));
        for (const QString& line : lines)
            out() << line << " from " << registry << '\n';
        if (lines.isEmpty())
            out() << "nothing of " << module << " was registered in " << registry << '\n';
        return 0;
    }
    QString recorded = module;
    if (!installedPath.isEmpty()) {
        if (const HResult r = file.apply(relocated(loaded(file), module, installedPath)); failed(r))
            return failure(QStringLiteral("cannot record ") + module + QStringLiteral(" as ") + installedPath, r, registry);
        recorded = installedPath;
    }
    for (const QString& line : writtenLines(loaded(file), recorded))
        out() << line << " in " << registry << '\n';
    return 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vellarin-register"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELLARIN_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Registers component modules and shows what they hold."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption system(QStringLiteral("system"),
                                    QStringLiteral("Use the administrator's system-wide registry; list also shows "
                                                   "what installed packages registered."));
    const QCommandLineOption registry(QStringLiteral("registry"), QStringLiteral("Use the registry <file>."),
                                      QStringLiteral("file"));
    const QCommandLineOption installed(QStringLiteral("installed-path"),
                                       QStringLiteral("Record the module as living at <path>, where a staged "
                                                      "install will put it."),
                                       QStringLiteral("path"));
    parser.addOptions({system, registry, installed});
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("register, unregister, list or typelib"));
    parser.addPositionalArgument(QStringLiteral("module"), QStringLiteral("Path or name of a module"), QStringLiteral("[module]"));
    parser.process(app);

    const QStringList args = parser.positionalArguments();
    const QString command = args.value(0);
    static const QStringList commands{QStringLiteral("register"), QStringLiteral("unregister"), QStringLiteral("list"),
                                      QStringLiteral("typelib")};
    if (!command.isEmpty() && !commands.contains(command)) {
        QTextStream(stderr) << "vellarin-register: unknown command \"" << command << "\"\n\n";
        parser.showHelp(2);
    }
    if (command.isEmpty() || args.size() != (command == QLatin1String("list") ? 1 : 2))
        parser.showHelp(2);

    // Modules write their entries into the per-user registry; pointing it
    // elsewhere makes them write there instead.
    QString path = ComponentRegistry::defaultPath();
    QStringList listed{path};
    if (parser.isSet(system)) {
        path = ComponentRegistry::systemPath();
        listed = ComponentRegistry::systemLookupPaths();
    }
    if (parser.isSet(registry))
        listed = {path = QFileInfo(parser.value(registry)).absoluteFilePath()};
    if (path.isEmpty() && command != QLatin1String("typelib"))
        return fail(QStringLiteral("you have no registry of your own: neither XDG_CONFIG_HOME nor HOME names an "
                                   "absolute folder; use --registry or --system"));
    qputenv(ComponentRegistry::pathVariable, path.toLocal8Bit());

    if (command == QLatin1String("list"))
        return list(listed);
    QString module;
    if (!findModule(args[1], module))
        return fail(module);
    if (command == QLatin1String("typelib"))
        return printTypeLibrary(module);
    const QString installedPath = parser.value(installed);
    if (!installedPath.isEmpty() && !QDir::isAbsolutePath(installedPath))
        return fail(QStringLiteral("--installed-path wants an absolute path, not \"%1\"").arg(installedPath));
    return registerModule(module, path, command == QLatin1String("unregister"), installedPath);
}
