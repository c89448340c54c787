// Runs the analyser window on a real recording device and clicks Start, for
// measuring steady capture and for screenshots. The program itself takes no
// options; this host does:
//   analyser_host [--rate 44100] [--fft 16384] [--device Default] [--size 1600x1000]
//                 [--seconds 40] [--shots DIR] [--frames] [--cycle SECONDS]
//                 [--backend server|alsa] [--show-sources] [--stop-at S | --close-at S]
//                 [--export FILE]
// It records through the same way to the sound the program takes by default
// (the sound server where one answers), unless --backend says otherwise.
// With --show-sources it does not start but drops the Input Source list down
// and prints "sources open", for a picture of the list. With --stop-at or
// --close-at it clicks Stop, or closes the window, S seconds after Start and
// prints how long that took ("stop took 0.4 ms"). With --export it writes the
// spectrum on show five seconds after Start as CSV.
// It prints "capturing" once Start succeeded. With --shots it clicks through
// the scalings, every waterfall direction and Best Dynamic Range, points at
// the chart and the waterfall for their readouts, and saves a picture of each.
// With --cycle it moves on to the next scaling and the next waterfall
// direction every SECONDS, as a long session of a user would.
#include "analysis_extras.h"
#include "exports.h"
#include "measurement_extras.h"
#include "form1.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QDateTime>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QMenu>
#include <QMouseEvent>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>

#include <cstdio>
#include <memory>

using namespace vellarin;

namespace {

class PrintedMessages final : public MessageSink {
public:
    // With the wall-clock time it was shown, for timing how soon a lost device is noticed.
    using MessageSink::show;
    void show(const QString& text, const QString& reason) override
    {
        if (!reason.isEmpty())
            std::fprintf(stderr, "reason: %s\n", qPrintable(reason));
        std::fprintf(stderr, "message: %s\nmessage shown at %lld ms\n", qPrintable(text),
                     static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
    }
};

// Each picture is taken a while after its controls were clicked, as a user
// would click them, so the waterfall has filled in the new setting.
struct Shot {
    const char* scaling;
    const char* direction;  // the option of the waterfall's direction
    bool view3D;
    bool bestRange;  // click Best Dynamic Range first
    enum { none, waterfall, chart } pointer;  // where the pointer reads
    QPointF at;  // as fractions of that picture's size
    const char* file;
};

const Shot shots[] = {
    {"StandardX", "Option2", true, false, Shot::chart, {0.3, 0.5}, "standard-minus45-3d-crosshair"},
    {"LogX", "Option2", true, false, Shot::none, {}, "log-minus45-3d"},
    {"FullFreqX", "Option2", true, false, Shot::none, {}, "fullfit-minus45-3d"},
    {"LogX", "Option1", false, false, Shot::waterfall, {0.5, 0.5}, "log-bottom-to-top-readout"},
    {"LogX", "Option3", false, false, Shot::none, {}, "log-45"},
    {"LogX", "Option4", false, false, Shot::waterfall, {0.5, 0.3}, "log-right-to-left-readout"},
    {"FullFreqX", "Option6", false, false, Shot::none, {}, "fullfit-inverted-right-to-left"},
    {"StandardX", "Option5", false, false, Shot::none, {}, "standard-top-to-bottom"},
    {"StandardX", "Option1", false, true, Shot::waterfall, {0.1, 0.8}, "standard-best-dynamic-range"},
};

// The pointer goes where a user's would; over the chart the right button is
// then held, for its cross-hair while capture runs.
QPointF pointTo(QWidget* widget, QPointF fraction)
{
    const QPointF at(fraction.x() * widget->width(), fraction.y() * widget->height());
    QCursor::setPos(widget->mapToGlobal(at.toPoint()));
    return at;
}

void rightButton(QWidget* widget, QPointF at, QEvent::Type type)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::RightButton : Qt::NoButton;
    QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::RightButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

void clickTo(QAbstractButton* button, bool checked)
{
    if (button->isChecked() != checked)
        button->click();
}

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
                        {"device", "input device name", "name", "Default"},
                        {"backend", "server or alsa", "backend"},
                        {"show-sources", "drop the Input Source list down instead of starting"},
                        {"stop-at", "click Stop this many seconds after Start", "s"},
                        {"close-at", "close the window this many seconds after Start", "s"},
                        {"export", "write the spectrum as CSV five seconds after Start", "file"},
                        {"size", "window size", "WxH", "1600x1000"},
                        {"seconds", "run time", "s", "40"},
                        {"shots", "folder for screenshots", "dir"},
                        {"cycle", "seconds between changes of scaling and direction", "s"},
                        {"frames", "print the frames drawn so far each second"},
                        {"readouts", "show the peak and pitch readout"},
                        {"measuring", "A weighting, third-octave bands and the level meter on"},
                        {"floor-view", "the waterfall flat, newest line on top, as the floor skeleton draws it"}});
    options.process(app);

    const QString backend = options.value("backend");
    std::unique_ptr<wavein::WaveInApi> waveIn = wavein::createSystemWaveIn(
        backend == "server" ? wavein::Backend::server : backend == "alsa" ? wavein::Backend::alsa : wavein::Backend::automatic);
    PrintedMessages messages;
    Form1 window({*waveIn, messages});
    const QStringList size = options.value("size").split('x');
    window.resize(size.value(0).toInt(), size.value(1).toInt());
    window.show();

    if (options.isSet("show-sources")) {
        QTimer::singleShot(1500, &window, [&window] {
            window.List1->showPopup();
            std::printf("sources open\n");
            std::fflush(stdout);
        });
        QTimer::singleShot(options.value("seconds").toInt() * 1000, &app, &QApplication::quit);
        return app.exec();
    }

    // The measuring joins as in the program: from the labels' menu, beside the chart.
    QMenu menu;
    std::unique_ptr<AnalysisExtras> extras;
    if (options.isSet("measuring")) {
        extras = std::make_unique<AnalysisExtras>(window, menu);
        extras->measurement()->setWeighting(Weighting::a);
        extras->measurement()->setBands(BandFraction::third);
        extras->measurement()->setMeterShown(true);
    }

    const QString device = deviceItem(window, options.value("device"));
    if (device.isEmpty()) {
        std::fprintf(stderr, "no input device named %s\n", qPrintable(options.value("device")));
        return 2;
    }
    // The readout reads every frame drawn; nothing else of the add-ons is on.
    QMenu addOnMenu;
    std::unique_ptr<AnalysisExtras> analysis;
    if (options.isSet("readouts")) {
        analysis = std::make_unique<AnalysisExtras>(window, addOnMenu);
        analysis->setPeakReadoutShown(true);
    }
    window.Combo1->setEditText(options.value("rate"));
    window.Combo2->setEditText(options.value("fft"));
    window.List1->setEditText(device);
    window.Command1->click();
    if (window.state().Capturing != True)
        return 3;
    // The controls of the waterfall take clicks only while capturing.
    if (options.isSet("floor-view")) {
        clickTo(window.Check1, false);
        window.Option5->click();
    }
    std::printf("capturing\n");
    // Where the chart and the waterfall lie in the window, for the floor skeleton.
    for (const auto& [name, widget] : {std::pair<const char*, QWidget*>{"chart", window.chart().widget()},
                                       std::pair<const char*, QWidget*>{"waterfall", window.waterfall().widget()}}) {
        const QPoint at = widget->mapTo(&window, QPoint(0, 0));
        std::printf("area %s %d,%d,%d,%d\n", name, at.x(), at.y(), widget->width(), widget->height());
    }
    std::fflush(stdout);

    for (const char* what : {"stop-at", "close-at"}) {
        if (!options.isSet(what))
            continue;
        const bool stop = QByteArray(what) == "stop-at";
        QTimer::singleShot(int(options.value(what).toDouble() * 1000), &window, [&window, stop] {
            QElapsedTimer taken;
            taken.start();
            stop ? window.Command2->click() : (void)window.close();
            std::printf("%s took %.1f ms\n", stop ? "stop" : "close", taken.nsecsElapsed() / 1e6);
            std::fflush(stdout);
        });
    }

    if (options.isSet("export"))
        QTimer::singleShot(5000, &window, [&window, path = options.value("export")] {
            const AnalyserState& s = window.state();
            const SpectrumFrame frame{s.CaptureFormat.samplesPerSec, s.FFTSize, window.List1->currentText(),
                                      std::span<const int16_t>(s.BinLevel.data(), size_t(s.FFTSize / 2 + 1))};
            if (const QString failed = writeSpectrumCsv(frame, path); !failed.isEmpty())
                std::fprintf(stderr, "export: %s\n", qPrintable(failed));
        });

    // The lines the waterfall gets a second: a cheaper capture must not draw fewer.
    QTimer frameCounter;
    if (options.isSet("frames")) {
        frameCounter.setInterval(1000);
        QObject::connect(&frameCounter, &QTimer::timeout, [&window] {
            std::printf("frames %llu\n", static_cast<unsigned long long>(window.framesDrawn()));
            std::fflush(stdout);
        });
        frameCounter.start();
    }

    const QString shotDir = options.value("shots");
    int next = 0;
    QTimer shooter;
    if (!shotDir.isEmpty()) {
        QDir().mkpath(shotDir);
        // Each picture after a while in its setting, so the waterfall has filled.
        shooter.setInterval(4000);
        QObject::connect(&shooter, &QTimer::timeout, [&] {
            if (next > 0) {
                const Shot& taken = shots[next - 1];
                window.grab().save(shotDir + "/" + taken.file + ".png");
                if (taken.pointer == Shot::chart)
                    rightButton(window.chart().widget(), pointTo(window.chart().widget(), taken.at),
                                QEvent::MouseButtonRelease);
            }
            if (next == int(std::size(shots))) {
                app.quit();
                return;
            }
            const Shot& shot = shots[next++];
            window.findChild<QRadioButton*>(shot.scaling)->click();
            // The horizontal directions are enabled only in the flat view.
            clickTo(window.Check1, shot.view3D);
            window.findChild<QRadioButton*>(shot.direction)->click();
            if (shot.bestRange)
                window.Command5->click();
            // The readout shows what lies under the pointer just before the picture.
            QTimer::singleShot(2000, &window, [&window, shot] {
                if (shot.pointer == Shot::waterfall)
                    pointTo(window.waterfall().widget(), shot.at);
                else if (shot.pointer == Shot::chart)
                    rightButton(window.chart().widget(), pointTo(window.chart().widget(), shot.at),
                                QEvent::MouseButtonPress);
            });
        });
        shooter.start();
    }
    QTimer cycler;
    if (options.isSet("cycle")) {
        static const char* const scalings[] = {"StandardX", "LogX", "FullFreqX"};
        static const char* const directions[] = {"Option1", "Option2", "Option3", "Option4", "Option5", "Option6"};
        cycler.setInterval(options.value("cycle").toInt() * 1000);
        QObject::connect(&cycler, &QTimer::timeout, [&window, turn = 0]() mutable {
            ++turn;
            window.findChild<QRadioButton*>(scalings[turn % std::size(scalings)])->click();
            // The horizontal directions are enabled only in the flat view;
            // every other vertical one is seen in 3D.
            const char* direction = directions[turn % std::size(directions)];
            const bool horizontal = QByteArray(direction) == "Option4" || QByteArray(direction) == "Option6";
            clickTo(window.Check1, false);
            window.findChild<QRadioButton*>(direction)->click();
            clickTo(window.Check1, !horizontal && turn % 4 < 2);
            std::printf("turn %d: %s, %s, %s\n", turn, scalings[turn % std::size(scalings)], direction,
                        window.Check1->isChecked() ? "3D" : "flat");
            std::fflush(stdout);
        });
        cycler.start();
    }
    QTimer::singleShot(options.value("seconds").toInt() * 1000, &app, &QApplication::quit);
    const int code = app.exec();
    window.close();
    return code;
}
