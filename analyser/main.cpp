// vellarin: a real-time audio spectrum analyser.
#include "form1.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTextStream>

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
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vellarin"));
    QApplication::setApplicationVersion(QStringLiteral(VELLARIN_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Real-time audio spectrum analyser"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption check(QStringLiteral("check"),
                                   QStringLiteral("Create the chart, waterfall and FFT components, report, and exit: "
                                                  "0 when all three were created."));
    parser.addOption(check);
    parser.process(app);

    std::unique_ptr<wavein::WaveInApi> waveIn = wavein::createSystemWaveIn();
    if (parser.isSet(check))
        return checkComponents(*waveIn);

    vellarin::MessageBoxSink messages;
    vellarin::Form1 window({*waveIn, messages});
    messages.setParent(&window);
    window.show();
    return app.exec();
}
