#include "file_analysis.h"

#include "analysis_pipeline.h"
#include "level_meter.h"
#include "level_units.h"
#include "note_names.h"
#include "peak_estimate.h"
#include "pitch_estimate.h"
#include "spectrum_power.h"
#include "spectrum_treatment.h"

#include <algorithm>
#include <cmath>

namespace vellarin {

namespace {

constexpr double readingSeconds = 0.1;

// The window's own treatment of each frame, and a copy of the frame's
// transform for the estimates that read it.
class KeptTransform final : public FrameExtras {
public:
    explicit KeptTransform(SpectrumTreatment& treatment) : m_treatment(treatment) {}
    bool weighFrame(std::span<const int16_t> samples, std::span<double> fftData) override
    {
        return m_treatment.weighFrame(samples, fftData);
    }
    bool computeLevels(std::span<const double> spectrum, int32_t fftSize, const FrameTiming& timing,
                       std::span<int16_t> binLevel) override
    {
        m_spectrum.assign(spectrum.begin(), spectrum.begin() + std::min<size_t>(spectrum.size(), size_t(fftSize) + 2));
        return m_treatment.computeLevels(spectrum, fftSize, timing, binLevel);
    }
    void frameDrawn() override {}
    std::span<const double> spectrum() const { return m_spectrum; }

private:
    SpectrumTreatment& m_treatment;
    std::vector<double> m_spectrum;
};

QString bandKey(double nominal)
{
    return QString::number(nominal, 'g', 6);
}

}  // namespace

const char* unitKey(AnalysisUnit unit)
{
    switch (unit) {
    case AnalysisUnit::dbfs: return "dbfs";
    case AnalysisUnit::spl: return "spl";
    case AnalysisUnit::design: break;
    }
    return "design";
}

double levelInUnit(double dbfs, const FileAnalysisOptions& options)
{
    if (dbfs <= SilenceDb)
        return SilenceDb;
    switch (options.unit) {
    case AnalysisUnit::dbfs: return dbfs;
    case AnalysisUnit::spl: return dbfs + options.splOffsetDb;
    case AnalysisUnit::design: break;
    }
    return designDbFromDbfs(dbfs);
}

bool analyseFile(const QString& path, const FileAnalysisOptions& options,
                 const std::function<void(const FileReading&)>& reading, FileSummary& summary, QString& error)
{
    wavein::SoundFileError refused;
    const std::unique_ptr<wavein::SoundFile> file = wavein::SoundFile::open(path, options.channel, refused);
    if (!file) {
        error = refused.message();
        return false;
    }
    const uint32_t rate = file->info().rate;
    const auto hop = static_cast<int32_t>(std::max<long>(std::lround(rate * readingSeconds), 1));
    AnalysisPipeline pipeline({options.fftSize, rate, hop});
    if (!pipeline.isAvailable()) {
        error = QStringLiteral("%1: the FFT component could not be created").arg(path);
        return false;
    }
    const int32_t n = pipeline.settings().fftSize;

    SpectrumTreatment treatment;
    treatment.setWindowFunction(options.window);
    treatment.setAveraging(options.averaging);
    KeptTransform kept(treatment);
    pipeline.setFrameExtras(&kept);

    WindowWeights weights;
    weights.choose(options.window);
    PeakEstimator peaks;
    peaks.prepare(weights.weights(n));
    PitchEstimator pitch;
    std::vector<int16_t> recent(size_t(PitchEstimator::span(rate)));

    LevelMeter meter;
    meter.configure(rate, options.weighting,
                    options.averaging == Averaging::slow ? TimeWeighting::slow : TimeWeighting::fast);

    OctaveBands bands;
    WeightingTable bandWeights;
    PowerAverage bandAverage;
    std::vector<double> power(size_t(n / 2 + 1)), meanSquare;
    if (options.bands) {
        bands.build(*options.bands, n, rate, equivalentNoiseBandwidth(weights.weights(n)));
        bandWeights.build(options.weighting, n, rate);
        meanSquare.resize(bands.bands().size());
    }

    summary = {};
    summary.maxRmsDb = summary.maxPeakMeterDb = SilenceDb;
    double maxPeakMeterDbfs = SilenceDb, maxRmsDbfs = SilenceDb;
    FileReading now;
    pipeline.onFrame([&](const AnalysedFrame& frame) {
        now = {};
        now.seconds = double(frame.endSample) / rate;
        if (auto peak = peaks.estimate(kept.spectrum(), rate)) {
            now.peakHz = peak->hertz;
            now.peakDb = levelInUnit(dbfsFromAmplitude(peak->amplitude), options);
            if (!summary.maxPeakDb || *now.peakDb > *summary.maxPeakDb) {
                summary.maxPeakDb = now.peakDb;
                summary.maxPeakHz = now.peakHz;
            }
        }
        const size_t got = pipeline.history().latest(recent);
        if (auto found = pitch.estimate(std::span<const int16_t>(recent).first(got), rate)) {
            now.pitchHz = found->hertz;
            if (auto note = nearestNote(found->hertz)) {
                now.note = note->name;
                now.cents = note->cents;
            }
        }
        const MeterReading meterNow = meter.read();
        now.rmsDb = levelInUnit(meterNow.rmsDb, options);
        now.peakMeterDb = levelInUnit(meterNow.peakDb, options);
        now.leqDb = levelInUnit(meterNow.leqDb, options);
        maxRmsDbfs = std::max(maxRmsDbfs, meterNow.maxDb);
        maxPeakMeterDbfs = std::max(maxPeakMeterDbfs, meterNow.peakDb);
        if (options.bands) {
            binPowers(kept.spectrum(), n, power);
            std::span<const double> averaged = power;
            if (const double tau = averagingShape(options.averaging).seconds; tau > 0)
                averaged = bandAverage.add(power, double(frame.timing.newSamples) / rate, tau);
            bands.measure(averaged, bandWeights.powerGain(), meanSquare);
            for (size_t b = 0; b < meanSquare.size(); ++b)
                now.bands.push_back({bandKey(bands.bands()[b].nominal), levelInUnit(dbfsFromMeanSquare(meanSquare[b]), options)});
        }
        if (reading)
            reading(now);
    });

    std::vector<int16_t> chunk(size_t(hop), 0);
    for (;;) {
        const size_t got = file->read(chunk.data(), chunk.size());
        if (got == 0)
            break;
        const std::span<const int16_t> samples(chunk.data(), got);
        // The meter hears a reading's samples before the reading is made.
        meter.add(samples);
        pipeline.push(samples);
    }
    const MeterReading last = meter.read();
    summary.seconds = file->info().rate ? double(file->position()) / rate : 0.0;
    summary.leqDb = levelInUnit(last.leqDb, options);
    summary.maxRmsDb = levelInUnit(std::max(maxRmsDbfs, last.maxDb), options);
    summary.maxPeakMeterDb = levelInUnit(std::max(maxPeakMeterDbfs, last.peakDb), options);
    return true;
}

}  // namespace vellarin
