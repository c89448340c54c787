#include "analyse_command.h"

#include "file_analysis.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <cmath>
#include <cstdio>

namespace vellarin {

namespace {

const QString analyse = QStringLiteral("analyse");
const QString averaging = QStringLiteral("averaging");
const QString unit = QStringLiteral("unit");
const QString calibration = QStringLiteral("calibration");
const QString weighting = QStringLiteral("weighting");
const QString bandsOption = QStringLiteral("bands");
const QString window = QStringLiteral("window");

int refuse(const QString& message, int status)
{
    QTextStream(stderr) << "vellarin: " << message << '\n';
    return status;
}

QJsonValue maybe(const std::optional<double>& value)
{
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

// Levels to a hundredth of a decibel, frequencies to a hundredth of a hertz:
// finer than any estimate here is good for, and lines a person can read.
double rounded(double value)
{
    return std::round(value * 100.0) / 100.0;
}

std::optional<double> rounded(const std::optional<double>& value)
{
    return value ? std::optional<double>(rounded(*value)) : std::nullopt;
}

void addSettings(QJsonObject& line, const FileAnalysisOptions& options)
{
    line.insert(QStringLiteral("unit"), QLatin1String(unitKey(options.unit)));
    // As the option spells it.
    line.insert(QStringLiteral("weighting"), QString::fromLatin1(weightingShape(options.weighting).key).toLower());
    line.insert(QStringLiteral("window"), QLatin1String(windowShape(options.window).key));
}

QByteArray compact(const QJsonObject& line)
{
    return QJsonDocument(line).toJson(QJsonDocument::Compact);
}

// The value of `option`, one of `keys` (case aside), into `chosen`; an error message otherwise.
template <typename Value>
QString choose(const QCommandLineParser& parser, const QString& option,
               std::initializer_list<std::pair<const char*, Value>> keys, Value& chosen)
{
    if (!parser.isSet(option))
        return {};
    const QString given = parser.value(option).toLower();
    QStringList names;
    for (const auto& [key, value] : keys) {
        names << QLatin1String(key);
        if (given == QLatin1String(key)) {
            chosen = value;
            return {};
        }
    }
    return QStringLiteral("--%1 %2: must be %3").arg(option, parser.value(option), names.join(u'|'));
}

}  // namespace

void addAnalyseOptions(QCommandLineParser& parser)
{
    parser.addOptions({
        {analyse, "Print a sound file's readings as JSON Lines, one every 0.1 s of the file and a summary, and exit.",
         "file"},
        {averaging, "With --analyse: the averaging of the spectrum and the meter's time weighting: off|fast|slow.",
         "averaging"},
        {unit, "With --analyse: the levels' unit: design|dbfs|spl (spl needs --calibration).", "unit"},
        {calibration, "With --analyse --unit spl: the sound pressure level of 0 dBFS, in dB.", "offset_db"},
        {weighting, "With --analyse: the frequency weighting of the meter and bands: a|c|z (default z).", "weighting"},
        {bandsOption, "With --analyse: add the octave or third-octave band levels: octave|third.", "bands"},
    });
}

QByteArray readingLine(const FileReading& r, const FileAnalysisOptions& options)
{
    QJsonObject line{
        {QStringLiteral("t"), std::round(r.seconds * 1000.0) / 1000.0},
        {QStringLiteral("peak_hz"), maybe(rounded(r.peakHz))},
        {QStringLiteral("peak_db"), maybe(rounded(r.peakDb))},
        {QStringLiteral("pitch_hz"), maybe(rounded(r.pitchHz))},
        {QStringLiteral("note"), r.note ? QJsonValue(*r.note) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("cents"), r.cents ? QJsonValue(*r.cents) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("rms_db"), rounded(r.rmsDb)},
        {QStringLiteral("peak_meter_db"), rounded(r.peakMeterDb)},
        {QStringLiteral("leq_db"), rounded(r.leqDb)},
    };
    if (options.bands) {
        QJsonObject bands;
        for (const BandLevel& b : r.bands)
            bands.insert(b.label, rounded(b.db));
        line.insert(QStringLiteral("bands"), bands);
    }
    addSettings(line, options);
    return compact(line);
}

QByteArray summaryLine(const FileSummary& s, const FileAnalysisOptions& options)
{
    QJsonObject line{
        {QStringLiteral("summary"), true},
        {QStringLiteral("t"), std::round(s.seconds * 1000.0) / 1000.0},
        {QStringLiteral("leq_db"), rounded(s.leqDb)},
        {QStringLiteral("max_rms_db"), rounded(s.maxRmsDb)},
        {QStringLiteral("max_peak_meter_db"), rounded(s.maxPeakMeterDb)},
        {QStringLiteral("max_peak_db"), maybe(rounded(s.maxPeakDb))},
        {QStringLiteral("max_peak_hz"), maybe(rounded(s.maxPeakHz))},
    };
    addSettings(line, options);
    return compact(line);
}

std::optional<int> runAnalyseCommand(const QCommandLineParser& parser, std::optional<int> fftSize, int& argc,
                                     char** argv)
{
    if (!parser.isSet(analyse)) {
        for (const QString& own : {averaging, unit, calibration, weighting, bandsOption})
            if (parser.isSet(own))
                return refuse(QStringLiteral("--%1 goes with --analyse").arg(own), 2);
        return std::nullopt;
    }
    for (const char* other : {"render", "output", "size"})
        if (parser.isSet(QLatin1String(other)))
            return refuse(QStringLiteral("--%1 does not go with --analyse").arg(QLatin1String(other)), 2);

    FileAnalysisOptions options;
    if (fftSize)
        options.fftSize = *fftSize;
    BandFraction fraction = BandFraction::third;
    QString wrong = choose<WindowFunction>(parser, window,
                                           {{"rectangular", WindowFunction::rectangular},
                                            {"hann", WindowFunction::hann},
                                            {"blackman-harris", WindowFunction::blackmanHarris},
                                            {"flat-top", WindowFunction::flatTop}},
                                           options.window);
    if (wrong.isEmpty())
        wrong = choose<Averaging>(parser, averaging,
                                  {{"off", Averaging::off}, {"fast", Averaging::fast}, {"slow", Averaging::slow}},
                                  options.averaging);
    if (wrong.isEmpty())
        wrong = choose<AnalysisUnit>(parser, unit,
                                     {{"design", AnalysisUnit::design}, {"dbfs", AnalysisUnit::dbfs}, {"spl", AnalysisUnit::spl}},
                                     options.unit);
    if (wrong.isEmpty())
        wrong = choose<Weighting>(parser, weighting, {{"a", Weighting::a}, {"c", Weighting::c}, {"z", Weighting::z}},
                                  options.weighting);
    if (wrong.isEmpty())
        wrong = choose<BandFraction>(parser, bandsOption, {{"octave", BandFraction::octave}, {"third", BandFraction::third}},
                                     fraction);
    if (!wrong.isEmpty())
        return refuse(wrong, 2);
    if (parser.isSet(bandsOption))
        options.bands = fraction;

    if (parser.isSet(calibration)) {
        bool ok = false;
        options.splOffsetDb = parser.value(calibration).toDouble(&ok);
        if (!ok || !std::isfinite(options.splOffsetDb) || std::fabs(options.splOffsetDb) > 300.0)
            return refuse(QStringLiteral("--calibration %1: the offset must be a number of decibels")
                              .arg(parser.value(calibration)),
                          2);
        if (options.unit != AnalysisUnit::spl)
            return refuse(QStringLiteral("--calibration goes with --unit spl"), 2);
    } else if (options.unit == AnalysisUnit::spl) {
        // A file carries no calibration: its levels are relative to full scale only.
        return refuse(QStringLiteral("--unit spl: a sound file has no calibration; give the level of 0 dBFS with "
                                     "--calibration OFFSET_DB, or use --unit dbfs"),
                      2);
    }

    const QCoreApplication core(argc, argv);
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly))
        return refuse(QStringLiteral("standard output cannot be written"), 1);
    FileSummary summary;
    QString error;
    const bool done = analyseFile(
        parser.value(analyse), options,
        [&](const FileReading& reading) { out.write(readingLine(reading, options) + '\n'); }, summary, error);
    if (!done)
        return refuse(error, 1);
    out.write(summaryLine(summary, options) + '\n');
    out.flush();
    return 0;
}

}  // namespace vellarin
