// vellarin: a real-time audio spectrum analyser.
#include "extras/device_listing.h"
#include "extras/launch_options.h"
#include "extras/remembered_settings.h"
#include "extras/window_extras.h"
#include "form1.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QSettings>
#include <QTextStream>
#include <QToolButton>

namespace {

// A check runs unattended: its messages go to the terminal, not to a box
// that waits for a click.
class TerminalSink final : public vellarin::MessageSink {
public:
    void show(const QString& text) override { QTextStream(stderr) << text << '\n'; }
};

// Starts the main window without showing it and tells whether the chart,
// the waterfall and the FFT component were all created.
int checkComponents(wavein::WaveInApi& waveIn)
{
    TerminalSink messages;
    vellarin::Form1 window({waveIn, messages});
    const std::pair<const char*, bool> components[] = {
        {"chart", window.chart().isAvailable()},
        {"waterfall", window.waterfall().isAvailable()},
        {"fft", window.fft().isAvailable()},
    };
    bool all = true;
    QTextStream out(stdout);
    for (const auto& [name, available] : components) {
        out << name << (available ? ": created\n" : ": missing\n");
        all = all && available;
    }
    return all ? 0 : 1;
}

}  // namespace

int main(int argc, char* argv[])
{
    // Listing the sources needs no window system.
    if (vellarin::wantsDeviceListing(argc, argv))
        return vellarin::runDeviceListing(argc, argv);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vellarin"));
    QApplication::setOrganizationName(QStringLiteral("vellarin"));
    QApplication::setApplicationVersion(QStringLiteral(VELLARIN_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Real-time audio spectrum analyser"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption check(QStringLiteral("check"),
                                   QStringLiteral("Create the chart, waterfall and FFT components, report, and exit: "
                                                  "0 when all three were created."));
    parser.addOption(check);
    vellarin::addLaunchOptions(parser);
    parser.process(app);

    const vellarin::LaunchRequest launch = vellarin::readLaunchOptions(parser);
    if (!launch.error.isEmpty()) {
        QTextStream(stderr) << "vellarin: " << launch.error << '\n';
        return 2;
    }

    std::unique_ptr<wavein::WaveInApi> waveIn = wavein::createSystemWaveIn(launch.options.backend);
    if (parser.isSet(check))
        return checkComponents(*waveIn);

    vellarin::MessageBoxSink messages;
    vellarin::Form1 window({*waveIn, messages});
    messages.setParent(&window);
    if (const QString refused = vellarin::launchRefusal(window, launch.options); !refused.isEmpty()) {
        QTextStream(stderr) << "vellarin: " << refused << '\n';
        return 2;
    }
    // The command line has the last word over what was remembered.
    QSettings settings;
    const vellarin::SettingsKeeper remembered(window, settings, !launch.options.defaults);
    vellarin::applyLaunchOptions(window, launch.options);
    vellarin::WindowExtras extras(window, messages);
    window.show();
    if (launch.options.start)
        window.Command1->click();
    return app.exec();
}
