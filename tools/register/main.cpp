// vellarin-register: registers and unregisters component modules, lists the
// registered classes and prints a module's type library. A user registers a
// chart module here for a host program of their own.
#include "type_library_text.h"

#include <automation/host.h>
#include <automation/registry.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

using namespace automation;

namespace {

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

int failure(const QString& what, HResult r)
{
    QTextStream(stderr) << what << QStringLiteral(": 0x%1\n").arg(static_cast<uint32_t>(r), 8, 16, QLatin1Char('0'));
    return 1;
}

QString modulePath(const QString& argument)
{
    return QFileInfo::exists(argument) ? QFileInfo(argument).absoluteFilePath() : modulePathForName(argument);
}

int listClasses(const QString& path)
{
    for (const ClassRegistration& c : ComponentRegistry(path).classes())
        out() << c.classId.toString() << ' ' << c.progId << " \"" << c.typeName << "\" " << c.modulePath << '\n';
    return 0;
}

int printTypeLibrary(const QString& module)
{
    HResult r = hr::ok;
    const TypeLibrary* library = moduleTypeLibrary(module, r);
    if (failed(r))
        return failure(module, r);
    if (const ModuleVersion* version = moduleVersion(module, r))
        out() << "module version " << version->file << '\n';
    if (library)
        out() << typeLibraryText(*library);
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
    const QCommandLineOption system(QStringLiteral("system"), QStringLiteral("Use the system-wide registry."));
    const QCommandLineOption registry(QStringLiteral("registry"), QStringLiteral("Use the registry <file>."),
                                      QStringLiteral("file"));
    parser.addOptions({system, registry});
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("register, unregister, list or typelib"));
    parser.addPositionalArgument(QStringLiteral("module"), QStringLiteral("Path or name of a module"), QStringLiteral("[module]"));
    parser.process(app);

    // Modules write their entries into the per-user registry; pointing it
    // elsewhere makes them write there instead.
    QString path = ComponentRegistry::defaultPath();
    if (parser.isSet(system))
        path = ComponentRegistry::systemPath();
    if (parser.isSet(registry))
        path = QFileInfo(parser.value(registry)).absoluteFilePath();
    qputenv(ComponentRegistry::pathVariable, path.toLocal8Bit());

    const QStringList args = parser.positionalArguments();
    const QString command = args.value(0);
    if (command == QLatin1String("list") && args.size() == 1)
        return listClasses(path);
    if (args.size() != 2)
        parser.showHelp(2);
    const QString module = modulePath(args[1]);
    if (command == QLatin1String("typelib"))
        return printTypeLibrary(module);
    if (command == QLatin1String("register") || command == QLatin1String("unregister")) {
        const HResult r = registerModule(module, command == QLatin1String("unregister"));
        return failed(r) ? failure(module, r) : 0;
    }
    parser.showHelp(2);
}
