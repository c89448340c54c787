// --list-devices as the program runs it, before any window system is touched.
#include "device_listing.h"
#include "launch_options.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstring>

namespace vellarin {

bool wantsDeviceListing(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--list-devices") == 0)
            return true;
    return false;
}

int runDeviceListing(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    addLaunchOptions(parser);
    parser.addOption(QCommandLineOption(QStringLiteral("check")));
    if (!parser.parse(app.arguments())) {
        QTextStream(stderr) << "vellarin: " << parser.errorText() << '\n';
        return 2;
    }
    const LaunchRequest launch = readLaunchOptions(parser);
    if (!launch.error.isEmpty()) {
        QTextStream(stderr) << "vellarin: " << launch.error << '\n';
        return 2;
    }
    QTextStream out(stdout);
    printDeviceList(*wavein::createSystemWaveIn(launch.options.backend), out);
    return 0;
}

}  // namespace vellarin
