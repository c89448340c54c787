#pragma once
// What the program may be told on its command line: the device, rate, FFT
// size and scaling to open with, whether to start capturing at once, and
// whether to ignore the remembered settings. Values the window would refuse
// are refused here, before any window opens.
#include <QString>
#include <QStringList>

#include <wavein/wavein.h>

#include <optional>

class QCommandLineParser;

namespace vellarin {

class Form1;

struct LaunchOptions {
    QString device;  // its number in the device list, its name or its server name; empty: as remembered
    wavein::Backend backend = wavein::Backend::automatic;
    bool listDevices = false;
    std::optional<int> rate;
    std::optional<int> fftSize;
    std::optional<int16_t> scaling;
    bool start = false;
    bool defaults = false;  // neither read nor write the remembered settings
    QString soundFile;      // a sound file to play as the input; empty: the device
};

struct LaunchRequest {
    LaunchOptions options;
    QString error;  // what is wrong with the command line; empty when nothing is
};

// The launch options, and Qt's own options (-platform, -style ...) hidden,
// which the application takes for itself.
void addLaunchOptions(QCommandLineParser& parser);
// Reads a whole command line, the program's name first, into `parser`, which
// has the launch options and whatever else the program adds. An unknown
// option or an argument that belongs to no option is an error.
LaunchRequest readCommandLine(QCommandLineParser& parser, const QStringList& arguments);
// The options of a parser that has read the command line.
LaunchRequest readLaunchOptions(const QCommandLineParser& parser);

// Why a rate given on the command line cannot be recorded through a backend; empty when it can.
QString rateRefusal(const QString& rate, wavein::Backend recordingThrough);
// Why the window cannot take the options: a device it does not list, or a
// rate the backend it records through cannot be asked for. Empty when it can.
QString launchRefusal(const Form1& window, const LaunchOptions& options,
                      wavein::Backend recordingThrough = wavein::Backend::automatic);
// Sets the window's controls as the options say.
void applyLaunchOptions(Form1& window, const LaunchOptions& options);

// The device list's entry for a device number, name or server name; empty when none matches.
QString deviceEntry(const Form1& window, const QString& nameOrNumber);

}  // namespace vellarin
