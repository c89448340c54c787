// One tick of the main loop with a frame to draw: the ring, the FFT through
// the component, the levels, the lines, ChartEx and AddLine, on a chart of
// 1920 columns, for each FFT size and scaling, with a window function and
// averaging, with the peak and pitch readouts, and with the measuring (bands,
// weighting, meter). Also counts what a tick allocates.
#include "analysis_extras.h"
#include "counting_allocator.h"
#include "measurement_extras.h"
#include "frame_readouts.h"
#include "sample_history.h"
#include "spectrum_treatment.h"
#include "form1.h"
#include "levels.h"

#include <scripted_wavein.h>

#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QRadioButton>
#include <QToolButton>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <numbers>

BENCH_DEFINE_COUNTING_ALLOCATOR

using namespace vellarin;

namespace {

constexpr int chartColumns = 1920;

class SilentMessages final : public MessageSink {
public:
    using MessageSink::show;
    void show(const QString&, const QString&) override {}
};

// Two tones and a little noise, from a table so the device costs nothing.
const std::vector<int16_t>& soundTable()
{
    static const std::vector<int16_t> table = [] {
        std::vector<int16_t> t(1 << 16);
        uint32_t noise = 1;
        for (size_t n = 0; n < t.size(); ++n) {
            noise = noise * 1664525u + 1013904223u;
            const double v = 9000 * std::sin(2 * std::numbers::pi * 1000.0 * n / 44100)
                           + 3000 * std::sin(2 * std::numbers::pi * 7300.0 * n / 44100) + int(noise >> 22) - 512;
            t[n] = int16_t(std::lround(v));
        }
        return t;
    }();
    return table;
}

// Off, a window function, or a window function with Fast averaging.
void treat(SpectrumTreatment& treatment, int64_t analysis)
{
    treatment.setWindowFunction(analysis >= 1 ? WindowFunction::blackmanHarris : WindowFunction::rectangular);
    treatment.setAveraging(analysis >= 2 ? Averaging::fast : Averaging::off);
}

// The window on a scripted device, its chart 1920 columns wide; null, with
// the benchmark skipped, when the chart cannot be that wide.
std::unique_ptr<Form1> benchWindow(benchmark::State& state, wavein::ScriptedWaveIn& device, SilentMessages& messages)
{
    auto window = std::make_unique<Form1>(Form1Services{device, messages});
    window->show();
    // The chart takes the window's extra width: grow the window until it has 1920 columns.
    window->resize(window->width() + chartColumns - window->chart().xmax(), 1000);
    QApplication::processEvents();
    if (window->chart().xmax() != chartColumns) {
        state.SkipWithError("the chart does not reach 1920 columns");
        return nullptr;
    }
    return window;
}

// Starts capture at 44100 Hz and times one tick a new buffer, counting what
// each tick allocates.
void timeTicks(benchmark::State& state, Form1& window, wavein::ScriptedWaveIn& device, int32_t fftSize,
               const char* scaling)
{
    window.Combo1->setEditText("44100");
    window.Combo2->setEditText(QString::number(fftSize));
    window.Command1->click();
    window.findChild<QRadioButton*>(scaling)->click();
    const std::vector<int16_t>& sound = soundTable();
    const auto samples = [&sound](uint64_t n) { return sound[n % sound.size()]; };
    device.completeBuffers(fftSize / 512, samples);
    window.timerTick();

    long allocations = 0;
    for (auto _ : state) {
        state.PauseTiming();
        device.completeBuffers(1, samples);
        state.ResumeTiming();
        const long before = bench::allocations.load(std::memory_order_relaxed);
        window.timerTick();
        allocations += bench::allocations.load(std::memory_order_relaxed) - before;
    }
    state.counters["allocations/tick"] = double(allocations) / double(state.iterations());
    state.SetLabel(scaling);
    window.Command2->click();
}

const char* const scalings[] = {"StandardX", "LogX", "FullFreqX"};

void tickWith(benchmark::State& state, int64_t analysis, bool readouts = false)
{
    wavein::ScriptedWaveIn device;
    SilentMessages messages;
    const auto window = benchWindow(state, device, messages);
    if (!window)
        return;

    SpectrumTreatment treatment;
    treat(treatment, analysis);
    window->setFrameExtras(&treatment);
    FrameReadouts frameReadouts;
    frameReadouts.setWindowFunction(treatment.windowFunction());
    if (readouts)
        treatment.onTransform([&](std::span<const double> transform, int32_t n) {
            frameReadouts.addFrame(transform, n, window->sampleHistory());
        });
    timeTicks(state, *window, device, int32_t(state.range(0)), scalings[state.range(1)]);
    window->setFrameExtras(nullptr);
}

void tick(benchmark::State& state) { tickWith(state, 0); }

// What a window function and averaging add to a tick.
void tickAnalysed(benchmark::State& state) { tickWith(state, state.range(2)); }

BENCHMARK(tick)
    ->ArgNames({"N", "scaling"})
    ->ArgsProduct({{1024, 2048, 4096, 8192, 16384}, {0, 1, 2}})
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(0.3)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The frame's own share: weighing the samples and turning the transform into
// levels, plain (the designed loop and levels), windowed, and windowed and averaged.
void frameWork(benchmark::State& state)
{
    const auto n = int32_t(state.range(0));
    const std::vector<int16_t>& sound = soundTable();
    const std::span<const int16_t> samples(sound.data(), size_t(n));
    std::vector<double> fftData(2 * size_t(n) + 2), spectrum(2 * size_t(n) + 2);
    for (size_t i = 0; i < spectrum.size(); ++i)
        spectrum[i] = sound[i % sound.size()] * 40.0;
    std::vector<int16_t> levels(size_t(n) / 2 + 1);
    SpectrumTreatment treatment;
    treat(treatment, state.range(1));
    for (auto _ : state) {
        if (!treatment.weighFrame(samples, fftData))
            for (int32_t i = 0; i < n; ++i) {
                fftData[2 * size_t(i)] = samples[size_t(i)];
                fftData[2 * size_t(i) + 1] = 0.0;
            }
        if (!treatment.computeLevels(spectrum, n, {512, 44100, false}, levels))
            computeBinLevels(spectrum, n, levels);
        benchmark::DoNotOptimize(levels.data());
        benchmark::DoNotOptimize(fftData.data());
    }
}

BENCHMARK(frameWork)
    ->ArgNames({"N", "analysis"})
    ->ArgsProduct({{1024, 16384}, {0, 1, 2}})
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// What the peak and pitch readouts add to a tick windowed by Blackman-Harris:
// readouts 0 is the same tick without them.
void tickReadouts(benchmark::State& state) { tickWith(state, 1, state.range(2) != 0); }

BENCHMARK(tickReadouts)
    ->ArgNames({"N", "scaling", "readouts"})
    ->ArgsProduct({{1024, 16384}, {1}, {0, 1}})
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(0.3)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// What measuring adds to a tick, through the window's own add-ons as the
// program has them: measuring 1 is A weighting and the level meter shown, 2
// adds third-octave bands drawn as bars, 0 is the same add-ons with none of
// them on. The bars are steadier than a spectrum's line and cheaper to draw,
// so 2 against 1 is not the bands' own cost: bench_measurement has that.
void tickMeasuring(benchmark::State& state)
{
    wavein::ScriptedWaveIn device;
    SilentMessages messages;
    const auto window = benchWindow(state, device, messages);
    if (!window)
        return;
    QMenu menu;
    AnalysisExtras extras(*window, menu);
    if (state.range(2) >= 1) {
        extras.measurement()->setWeighting(Weighting::a);
        extras.measurement()->setMeterShown(true);
    }
    if (state.range(2) >= 2)
        extras.measurement()->setBands(BandFraction::third);
    timeTicks(state, *window, device, int32_t(state.range(0)), scalings[state.range(1)]);
}

BENCHMARK(tickMeasuring)
    ->ArgNames({"N", "scaling", "measuring"})
    ->ArgsProduct({{1024, 16384}, {1}, {0, 1, 2}})
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(0.3)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The readouts' own share of a frame, 512 new samples a frame at 44100 Hz:
// the peak and the pitch read once 80 ms of new sound has come in.
void readoutWork(benchmark::State& state)
{
    const auto n = int32_t(state.range(0));
    const std::vector<int16_t>& sound = soundTable();
    std::vector<double> transform(2 * size_t(n) + 2);
    // A floor of noise and one tone that stands out of it, so the fit runs.
    for (size_t i = 0; i < transform.size(); ++i)
        transform[i] = sound[i % sound.size()] % 256;
    const size_t tone = size_t(n) / 11;
    transform[2 * tone] = 1e3 * n;
    transform[2 * tone - 2] = transform[2 * tone + 2] = -0.6e3 * n;
    SampleHistory history;
    history.reset(44100, size_t(n));
    history.append(std::span(sound.data(), size_t(n)));
    FrameReadouts readouts;
    readouts.setWindowFunction(WindowFunction::blackmanHarris);
    size_t at = 0;
    for (auto _ : state) {
        history.append(std::span(sound.data() + at, 512));
        at = (at + 512) % (sound.size() - 512);
        readouts.addFrame(transform, n, history);
        benchmark::DoNotOptimize(readouts.peak());
    }
}

BENCHMARK(readoutWork)->Arg(1024)->Arg(16384)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

BENCHMARK(tickAnalysed)
    ->ArgNames({"N", "scaling", "analysis"})
    ->ArgsProduct({{1024, 16384}, {0}, {0, 1, 2}})
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(0.3)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
