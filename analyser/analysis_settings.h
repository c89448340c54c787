#pragma once
// The analysis settings as one value: the input, the sample rate and FFT
// size as typed in the drop-downs and what they read as, the frequency
// scaling, and what the add-ons chose. The window's controls, the command
// line, the remembered settings and the add-ons all read and write it
// through SettingsModel, which says once when anything has changed.
//
// The drop-downs take any text: the rate and size are what their text reads
// as (the leading number), checked when capture starts; the text itself goes
// to the chart's axis command unchanged, so it is kept as typed.
#include "analyser_state.h"

#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace vellarin {

// The FFT sizes a frame may have: the frame arrays hold at most MaxFFTSize
// points, and a frame is whole capture buffers.
inline constexpr std::array<int32_t, 5> FFTSizes{1024, 2048, 4096, 8192, 16384};
static_assert(FFTSizes.back() == MaxFFTSize);

bool isFFTSize(int32_t n);
// "The FFT size must be 1024, 2048, 4096, 8192 or 16384!"
QString fftSizeMessage();
// The sizes as a sentence reads them: "1024, 2048, ... or 16384".
QString fftSizeList();
// The sizes as the drop-down lists them.
QStringList fftSizeItems();

struct AnalysisSettings {
    // The input as the device list shows it ("0 (default)", "2 USB Mic"),
    // and its key: the sound server's name for it, else its name; empty for
    // the default input.
    QString inputEntry = QStringLiteral("0 (default)");
    QString inputKey;
    QString rateText = QStringLiteral("22050");
    QString fftSizeText = QStringLiteral("1024");
    int16_t scaling = StandardScaling;

    // The add-ons' choices by their remembered keys; empty is "as designed"
    // (no window function, no averaging).
    QString windowFunction;
    QString averaging;
    bool scalesShown = false;
    bool peakReadoutShown = false;
    bool peakHold = false;

    // What the readouts and measurements show, by key like the choices above:
    // the level unit ("dbfs", "spl"; empty is the design's dB), the frequency
    // weighting ("A", "C"; empty is Z, flat), the band view ("octave",
    // "third"; empty shows the spectrum), the level meter's strip, and the
    // octave grid of C notes on the logarithmic axis.
    QString levelUnit;
    QString weighting;
    QString bands;
    bool meterShown = false;
    bool noteGrid = false;
    // The input's calibration: the dB SPL that a full-scale RMS level (0 dBFS)
    // stands for, none while the input is not calibrated; and the microphone
    // correction file applied on top of it, empty for none.
    std::optional<double> splOffset;
    QString correctionFile;

    // The rate the labels and the axis use: the typed text's leading number,
    // which may be anything, NaN included.
    double sampleRate() const;
    // The FFT size capture would use; none when the text reads as no allowed size.
    std::optional<int32_t> fftSize() const;
    // The rate capture would open with; none when the text reads as a
    // negative number or none that fits 32 bits. The range is checked at
    // Start, where the message needs the device's own limit.
    std::optional<uint32_t> captureRate() const;

    bool operator==(const AnalysisSettings&) const = default;
};

// What a change touched, for readers that follow only part of the settings.
struct SettingsChange {
    const AnalysisSettings& before;
    const AnalysisSettings& now;
    // The columns of the chart and waterfall mean other frequencies.
    bool frequencyAxis() const
    {
        return before.scaling != now.scaling || before.rateText != now.rateText ||
               before.fftSizeText != now.fftSizeText;
    }
};

class SettingsModel final : public QObject {
    Q_OBJECT
public:
    explicit SettingsModel(QObject* parent = nullptr) : QObject(parent) {}

    const AnalysisSettings& value() const { return m_value; }
    // Replaces the settings; `changed` is emitted once when anything differs.
    void set(const AnalysisSettings& settings);
    // Edits a copy and sets it: model.edit([](AnalysisSettings& s) { s.scaling = LogScaling; }).
    template <class Edit> void edit(Edit&& change)
    {
        AnalysisSettings next = m_value;
        change(next);
        set(next);
    }

signals:
    void changed(const vellarin::SettingsChange& change);

private:
    AnalysisSettings m_value;
};

}  // namespace vellarin
