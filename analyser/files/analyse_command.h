#pragma once
// vellarin --analyse FILE: a sound file's readings as JSON Lines on standard
// output, one object every tenth of a second of the file and a summary line
// at the end, for scripts and for testing sound devices unattended. Takes
// the FFT size from the launch options and --window from the render's
// options (both read there, so each means the same everywhere); adds its own
// averaging, unit, calibration, weighting and bands.
#include <QByteArray>

#include <optional>

class QCommandLineParser;
class QTextStream;

namespace vellarin {

struct FileAnalysisOptions;
struct FileReading;
struct FileSummary;

void addAnalyseOptions(QCommandLineParser& parser);

// Nothing when the command line asks for no analysis. Otherwise analyses and
// gives the exit status: 0 done; 1 the file cannot be analysed (the message
// names it and says why); 2 an option's value is wrong or missing.
std::optional<int> runAnalyseCommand(const QCommandLineParser& parser, std::optional<int> fftSize, int& argc,
                                     char** argv);

// One reading, and the summary, as a line of JSON without its newline.
QByteArray readingLine(const FileReading& reading, const FileAnalysisOptions& options);
QByteArray summaryLine(const FileSummary& summary, const FileAnalysisOptions& options);

}  // namespace vellarin
