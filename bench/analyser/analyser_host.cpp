// Runs the analyser window on a real recording device and clicks Start, for
// measuring steady capture and for screenshots. The program itself takes no
// options; this host does:
//   analyser_host [--rate 44100] [--fft 16384] [--device pulse] [--size 1600x1000]
//                 [--seconds 40] [--shots DIR]
// It prints "capturing" once Start succeeded. With --shots it saves a picture
// of the window in each scaling and in several waterfall directions.
#include "form1.h"

#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QDir>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>

#include <cstdio>

using namespace vellarin;

namespace {

class PrintedMessages final : public MessageSink {
public:
    void show(const QString& text) override { std::fprintf(stderr, "message: %s\n", qPrintable(text)); }
};

struct Shot {
    const char* scaling;
    int direction;
    bool view3D;
    const char* file;
};

const Shot shots[] = {
    {"StandardX", 4, true, "standard-minus45-3d"},
    {"LogX", 4, true, "log-minus45-3d"},
    {"FullFreqX", 4, true, "fullfit-minus45-3d"},
    {"LogX", 2, false, "log-right-to-left"},
    {"FullFreqX", 5, false, "fullfit-inverted-right-to-left"},
    {"LogX", 1, false, "log-bottom-to-top"},
    {"StandardX", 3, false, "standard-top-to-bottom"},
};

QString deviceItem(const Form1& window, const QString& name)
{
    for (int i = 0; i < window.List1->count(); ++i)
        if (window.List1->itemText(i).section(' ', 1) == name)
            return window.List1->itemText(i);
    return {};
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vellarin"));
    QCommandLineParser options;
    options.addOptions({{"rate", "sample rate", "hz", "44100"},
                        {"fft", "FFT size", "points", "16384"},
                        {"device", "input device name", "name", "pulse"},
                        {"size", "window size", "WxH", "1600x1000"},
                        {"seconds", "run time", "s", "40"},
                        {"shots", "folder for screenshots", "dir"}});
    options.process(app);

    std::unique_ptr<wavein::WaveInApi> waveIn = wavein::createSystemWaveIn();
    PrintedMessages messages;
    Form1 window({*waveIn, messages});
    const QStringList size = options.value("size").split('x');
    window.resize(size.value(0).toInt(), size.value(1).toInt());
    window.show();

    const QString device = deviceItem(window, options.value("device"));
    if (device.isEmpty()) {
        std::fprintf(stderr, "no input device named %s\n", qPrintable(options.value("device")));
        return 2;
    }
    window.Combo1->setEditText(options.value("rate"));
    window.Combo2->setEditText(options.value("fft"));
    window.List1->setEditText(device);
    window.Command1->click();
    if (window.state().Capturing != True)
        return 3;
    std::printf("capturing\n");
    std::fflush(stdout);

    const QString shotDir = options.value("shots");
    int next = 0;
    QTimer shooter;
    if (!shotDir.isEmpty()) {
        QDir().mkpath(shotDir);
        // Each picture after a while in its setting, so the waterfall has filled.
        shooter.setInterval(4000);
        QObject::connect(&shooter, &QTimer::timeout, [&] {
            if (next > 0)
                window.grab().save(shotDir + "/" + shots[next - 1].file + ".png");
            if (next == int(std::size(shots))) {
                app.quit();
                return;
            }
            const Shot& shot = shots[next++];
            window.findChild<QRadioButton*>(shot.scaling)->click();
            window.waterfall().setView3D(shot.view3D ? 1 : 0);
            window.waterfall().setScrollDirection(shot.direction);
        });
        shooter.start();
    }
    QTimer::singleShot(options.value("seconds").toInt() * 1000, &app, &QApplication::quit);
    const int code = app.exec();
    window.close();
    return code;
}
