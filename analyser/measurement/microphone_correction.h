#pragma once
// A microphone's correction file: its response as text lines "frequency dB"
// (separated by blanks, numbers with a decimal point; blank lines and #
// comments allowed, further columns such as phase left aside), with an optional first line "*1000Hz -38.6" giving its
// sensitivity, which is kept to be shown and never applied (the interface's
// gain is unknown). The response is taken off the measured levels, read
// between its points by linear interpolation over log frequency and held
// flat beyond its ends.
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <span>
#include <variant>
#include <vector>

namespace vellarin {

class MicrophoneCorrection {
public:
    struct Point {
        double hz;
        double db;
    };

    MicrophoneCorrection() = default;
    // Points with rising positive frequencies, at least one.
    MicrophoneCorrection(std::vector<Point> points, QString sensitivity);

    std::span<const Point> points() const { return m_points; }
    // The sensitivity line as written, without its "*"; empty when there was none.
    const QString& sensitivity() const { return m_sensitivity; }
    bool empty() const { return m_points.empty(); }

    // The microphone's response at `hz` in dB; 0 without points.
    double responseDb(double hz) const;
    // The same for bins 0..N/2 of an N-point frame (bin 0 takes the lowest point's).
    void responsePerBin(int32_t fftSize, double sampleRate, std::span<double> db) const;

private:
    std::vector<Point> m_points;
    std::vector<double> m_logHz;
    QString m_sensitivity;
};

struct CorrectionFileError {
    int line;        // 0 when the fault is the whole file's
    QString reason;  // a sentence for the user
    // "line 12: frequencies must rise (998 after 1000)"
    QString message() const;
};

using CorrectionFileResult = std::variant<MicrophoneCorrection, CorrectionFileError>;

// Corrections of more than this are not a microphone's.
inline constexpr double CorrectionLimitDb = 60.0;
// Larger files are not read at all.
inline constexpr int64_t CorrectionFileMaxBytes = 64 << 20;

CorrectionFileResult parseCorrectionFile(QByteArrayView text);
CorrectionFileResult readCorrectionFile(const QString& path);

}  // namespace vellarin
