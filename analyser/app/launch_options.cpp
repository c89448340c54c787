#include "launch_options.h"

#include "device_list.h"
#include "form1.h"
#include "sample_rate_range.h"

#include <wavein/printable_text.h>

#include <QCommandLineParser>
#include <QComboBox>


namespace vellarin {

namespace {


// Qt's own options: the application takes them from the command line itself.
const struct {
    const char* name;
    bool takesValue;
} toolkitOptions[] = {
    {"platform", true},        {"platformpluginpath", true}, {"platformtheme", true}, {"plugin", true},
    {"display", true},         {"geometry", true},           {"qwindowgeometry", true}, {"title", true},
    {"qwindowtitle", true},    {"qwindowicon", true},        {"style", true},         {"stylesheet", true},
    {"session", true},         {"reverse", false},           {"widgetcount", false},  {"nograb", false},
    {"dograb", false},
};

const struct {
    const char* name;
    int16_t scaling;
} scalingNames[] = {{"standard", StandardScaling}, {"log", LogScaling}, {"fullfit", FullFitScaling}};

std::optional<int> wholeNumber(const QString& text)
{
    bool ok = false;
    const int n = text.toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}

}  // namespace

void addLaunchOptions(QCommandLineParser& parser)
{
    parser.addOptions({
        {"device", "Record from this input source: its number in the list, its name, or the sound server's name for it.",
         "number|name"},
        {"backend", "Record from the sound server, or over ALSA; by default from the server where one answers.",
         "server|alsa"},
        {"list-devices", "Print the input sources (number, name, the sound server's name) and exit."},
        {"rate",
         QStringLiteral("Sample rate in Hz: from the sound server %1, over ALSA %2.")
             .arg(describeRange(sampleRateRange(wavein::Backend::server)),
                  describeRange(sampleRateRange(wavein::Backend::alsa))),
         "hz"},
        {"fft", "FFT size: 1024, 2048, 4096, 8192 or 16384.", "n"},
        {"scaling", "Frequency scaling: standard, log or fullfit.", "scaling"},
        {"start", "Start capturing as soon as the window is up."},
        {"defaults", "Open as first installed: ignore the remembered settings and leave them as they are."},
    });
    for (const auto& t : toolkitOptions) {
        QCommandLineOption option(QString::fromLatin1(t.name));
        if (t.takesValue)
            option.setValueName(QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

LaunchRequest readCommandLine(QCommandLineParser& parser, const QStringList& arguments)
{
    // Qt's options come with one dash: -platform offscreen.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    if (!parser.parse(arguments))
        return {{}, parser.errorText()};
    // One argument may stand alone: a sound file to analyse.
    if (const QStringList stray = parser.positionalArguments(); stray.size() > 1)
        return {{}, QStringLiteral("Unexpected argument '%1'.").arg(stray.at(1))};
    return readLaunchOptions(parser);
}

LaunchRequest readLaunchOptions(const QCommandLineParser& parser)
{
    LaunchRequest request;
    LaunchOptions& o = request.options;
    o.soundFile = parser.positionalArguments().value(0);
    o.device = parser.value("device").trimmed();
    if (parser.isSet("device") && o.device.isEmpty())
        return {o, QStringLiteral("--device needs a device name or number")};
    if (parser.isSet("backend")) {
        const QString backend = parser.value("backend");
        if (backend.compare(QLatin1String("server"), Qt::CaseInsensitive) == 0)
            o.backend = wavein::Backend::server;
        else if (backend.compare(QLatin1String("alsa"), Qt::CaseInsensitive) == 0)
            o.backend = wavein::Backend::alsa;
        else
            return {o, QStringLiteral("--backend %1: the backend must be server or alsa").arg(backend)};
    }
    if (parser.isSet("rate")) {
        o.rate = wholeNumber(parser.value("rate"));
        // Which backend answers is known only once it is asked; launchRefusal checks again then.
        if (QString refused = rateRefusal(parser.value("rate"), o.backend); !refused.isEmpty())
            return {o, refused};
    }
    if (parser.isSet("fft")) {
        o.fftSize = wholeNumber(parser.value("fft"));
        if (!o.fftSize || !isFFTSize(*o.fftSize))
            return {o, QStringLiteral("--fft %1: the FFT size must be %2").arg(parser.value("fft"), fftSizeList())};
    }
    if (parser.isSet("scaling")) {
        for (const auto& s : scalingNames)
            if (parser.value("scaling").compare(QLatin1String(s.name), Qt::CaseInsensitive) == 0)
                o.scaling = s.scaling;
        if (!o.scaling)
            return {o, QStringLiteral("--scaling %1: the scaling must be standard, log or fullfit")
                           .arg(parser.value("scaling"))};
    }
    o.listDevices = parser.isSet("list-devices");
    o.start = parser.isSet("start");
    o.defaults = parser.isSet("defaults");
    return request;
}

QString deviceEntry(const Form1& window, const QString& nameOrNumber)
{
    // A number names the device at that place in the list; a name must match
    // the device's whole name ignoring case, or the server's name for it.
    if (const std::optional<int> number = wholeNumber(nameOrNumber)) {
        for (int i = 0; i < window.List1->count(); ++i)
            if (window.List1->itemText(i).section(u' ', 0, 0).toInt() == *number)
                return window.List1->itemText(i);
        return {};
    }
    return entryForKey(*window.List1, nameOrNumber);
}

QString rateRefusal(const QString& rate, wavein::Backend recordingThrough)
{
    const SampleRateRange rates = sampleRateRange(recordingThrough);
    if (const std::optional<int> hertz = wholeNumber(rate); hertz && rates.contains(*hertz))
        return {};
    return QStringLiteral("--rate %1: the sample rate must be a whole number %2").arg(rate, describeRange(rates));
}

QString launchRefusal(const Form1& window, const LaunchOptions& o, wavein::Backend recordingThrough)
{
    if (!o.device.isEmpty() && deviceEntry(window, o.device).isEmpty())
        return QStringLiteral("--device %1: no such input device (vellarin --list-devices lists them)")
            .arg(wavein::printableText(o.device));
    if (o.rate)
        return rateRefusal(QString::number(*o.rate), recordingThrough);
    return {};
}

void applyLaunchOptions(Form1& window, const LaunchOptions& o)
{
    if (const QString device = deviceEntry(window, o.device); !o.device.isEmpty() && !device.isEmpty())
        window.List1->setEditText(device);
    window.settings().edit([&o](AnalysisSettings& s) {
        if (o.rate)
            s.rateText = QString::number(*o.rate);
        if (o.fftSize)
            s.fftSizeText = QString::number(*o.fftSize);
        if (o.scaling)
            s.scaling = *o.scaling;
    });
}

}  // namespace vellarin
