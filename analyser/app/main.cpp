// vellarin: a real-time audio spectrum analyser.
#include "analysis_extras.h"
#include "base_directories.h"
#include "device_listing.h"
#include "ending_signals.h"
#include "first_trace_mark.h"
#include "launch_options.h"
#include "remembered_settings.h"
#include "window_extras.h"
#include "render_command.h"
#include "analyse_command.h"
#include "capture_recording.h"
#include "file_input.h"
#include "window_render.h"
#include "form1.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QSettings>
#include <QTextStream>
#include <QToolButton>

namespace {

// A check runs unattended and answers only what it was asked: what the
// window and the toolkit have to say on the way (no sound source, no runtime
// folder) is held back, and goes to the terminal only when the check fails.
class HeldMessages final : public vellarin::MessageSink {
public:
    HeldMessages()
    {
        s_held = this;
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtFatalMsg)
                QTextStream(stderr) << text << '\n';  // the program ends right after it
            else
                s_held->m_lines << text;
        });
    }
    ~HeldMessages() override
    {
        qInstallMessageHandler(nullptr);
        s_held = nullptr;
    }
    HeldMessages(const HeldMessages&) = delete;
    HeldMessages& operator=(const HeldMessages&) = delete;

    using MessageSink::show;
    void show(const QString& text, const QString& reason) override
    {
        m_lines << text + (reason.isEmpty() ? QString() : u' ' + reason);
    }
    void tell() const
    {
        QTextStream err(stderr);
        for (const QString& line : m_lines)
            err << line << '\n';
    }

private:
    static inline HeldMessages* s_held = nullptr;
    QStringList m_lines;
};

// Starts the main window without showing it and tells whether the chart,
// the waterfall and the FFT component were all created.
int checkComponents(wavein::WaveInApi& waveIn, HeldMessages& messages)
{
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
    if (!all) {
        out.flush();
        messages.tell();
    }
    return all ? 0 : 1;
}

int showHelp(const QCommandLineParser& parser)
{
    QTextStream(stdout) << parser.helpText();
    return 0;
}

int showVersion(const QCommandLineParser&)
{
    QTextStream(stdout) << QCoreApplication::applicationName() << ' ' << QCoreApplication::applicationVersion() << '\n';
    return 0;
}

// Options that show no window: they run before any window system is reached,
// so they work over ssh, in scripts and in package checks, and end the program.
struct WindowlessOption {
    QCommandLineOption option;
    int (*run)(const QCommandLineParser&);
};

bool displayNamed()
{
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY")
           || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char* argv[])
{
    vellarin::ignoreRelativeBaseDirectories();
    QCoreApplication::setApplicationName(QStringLiteral("vellarin"));
    QCoreApplication::setOrganizationName(QStringLiteral("vellarin"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELLARIN_VERSION));

    const WindowlessOption windowless[] = {
        {{{"h", "help"}, "Show this help and exit."}, showHelp},
        {{{"v", "version"}, "Show the version and exit."}, showVersion},
    };
    const QCommandLineOption check(QStringLiteral("check"),
                                   QStringLiteral("Create the chart, waterfall and FFT components, report, and exit: "
                                                  "0 when all three were created. Needs no display."));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Real-time audio spectrum analyser\n\n"
        "Values given here are for this run only; what is changed in the window is remembered.\n"
        "Exit status: 0 done; 1 no display for the window, or --check found a component missing; "
        "2 an unknown option, a stray argument or a value out of range."));
    for (const WindowlessOption& w : windowless)
        parser.addOption(w.option);
    parser.addOption(check);
    vellarin::addLaunchOptions(parser);
    vellarin::addRenderOptions(parser);
    vellarin::addAnalyseOptions(parser);
    const QCommandLineOption record(QStringLiteral("record"),
                                    QStringLiteral("Record what is captured to this WAV file (16-bit mono), from Start on."),
                                    QStringLiteral("file"));
    parser.addOption(record);
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("A sound file to play as the input."),
                                 QStringLiteral("[file]"));
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const vellarin::LaunchRequest launch = vellarin::readCommandLine(parser, arguments);
    if (!launch.error.isEmpty()) {
        QTextStream(stderr) << "vellarin: " << launch.error << " (vellarin --help lists the options)\n";
        return 2;
    }
    for (const WindowlessOption& w : windowless)
        if (parser.isSet(w.option)) {
            const QCoreApplication core(argc, argv);
            return w.run(parser);
        }
    if (const std::optional<int> analysed = vellarin::runAnalyseCommand(parser, launch.options.fftSize, argc, argv))
        return *analysed;
    if (const std::optional<int> rendered = vellarin::runRenderCommand(
            parser, {launch.options.fftSize, launch.options.scaling}, argc, argv))
        return *rendered;
    // Listing the sources needs no window system either.
    if (launch.options.listDevices) {
        const QCoreApplication core(argc, argv);
        QTextStream out(stdout);
        // An empty list is an answer too; the terminal hears why, a script's pipe stays clean.
        if (vellarin::printDeviceList(*wavein::createSystemWaveIn(launch.options.backend), out) == 0)
            QTextStream(stderr) << "vellarin: no input sources: no sound server answers and no sound device was found\n";
        return 0;
    }

    const bool displayGiven =
        displayNamed() || parser.isSet(QStringLiteral("platform")) || parser.isSet(QStringLiteral("display"));
    if (parser.isSet(check) && !displayGiven)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    else if (!displayGiven) {
        QTextStream(stderr) << "vellarin: no display to open the window on: neither DISPLAY nor WAYLAND_DISPLAY is set\n";
        return 1;
    }

    if (parser.isSet(check)) {
        HeldMessages held;
        QApplication app(argc, argv);
        return checkComponents(*wavein::createSystemWaveIn(launch.options.backend), held);
    }
    QApplication app(argc, argv);
    std::unique_ptr<wavein::WaveInApi> waveIn = wavein::createSystemWaveIn(launch.options.backend);
    vellarin::SwitchingWaveIn input(*waveIn);

    vellarin::MessageBoxSink messages;
    vellarin::Form1 window({input, messages});
    messages.setParent(&window);
    if (const QString refused = vellarin::launchRefusal(window, launch.options, waveIn->backend()); !refused.isEmpty()) {
        QTextStream(stderr) << "vellarin: " << refused << '\n';
        return 2;
    }
    // The command line has the last word over what was remembered, for this run.
    QSettings settings;
    vellarin::SettingsKeeper remembered(window, settings, !launch.options.defaults);
    vellarin::applyLaunchOptions(window, launch.options);
    remembered.holdForThisRun(launch.options);
    vellarin::WindowExtras extras(window, messages);
    vellarin::AnalysisExtras analysis(window, *extras.menu(), launch.options.defaults ? nullptr : &settings);
    vellarin::FileInput files(window, input, messages, *extras.menu());
    vellarin::CaptureRecording recording(window, messages, *extras.menu());
    vellarin::WindowRender render(window, messages, *extras.menu());
    if (parser.isSet(record))
        recording.recordTo(parser.value(record));
    // Ending by signal ends as closing the window does.
    const vellarin::EndingSignals ending([&window] { window.close(); });
    vellarin::FirstTraceMark* mark = vellarin::FirstTraceMark::wanted() ? new vellarin::FirstTraceMark(window) : nullptr;
    window.show();
    if (!launch.options.soundFile.isEmpty())
        files.open(launch.options.soundFile);
    else if (launch.options.start) {
        window.Command1->click();
        if (mark)
            mark->captureStarted();
    }
    return app.exec();
}
