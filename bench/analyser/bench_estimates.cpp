// What the readouts' estimates cost a frame: the peak between bins fitted
// with the window's own transform, against the parabola through three bin
// levels it replaces; and the pitch of the last 100 ms, for a low note, a
// high note and noise (where every stage runs and finds nothing).
#include "peak_readout.h"
#include "window_functions.h"
#include "levels.h"
#include "peak_estimate.h"
#include "pitch_estimate.h"

#include <synthetic_sound.h>

#include <benchmark/benchmark.h>

#include <cmath>

using namespace vellarin;

namespace {

struct Frame {
    std::vector<double> spectrum;
    std::vector<int16_t> levels;
    std::vector<double> weights;
};

// A tone between bins over a little noise, through Blackman-Harris.
Frame frame(int32_t n)
{
    auto samples = synthetic::noise(n, 20.0);
    const auto tone = synthetic::tone(n, n / 13.0 + 0.37, 9000.0, 0.4);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = int16_t(samples[i] + tone[i]);
    WindowWeights weights;
    weights.choose(WindowFunction::blackmanHarris);
    Frame f;
    f.weights.assign(weights.weights(n).begin(), weights.weights(n).end());
    f.spectrum = synthetic::spectrum(samples, f.weights);
    f.spectrum.resize(2 * size_t(n) + 2);
    f.levels.resize(size_t(n) / 2 + 1);
    computeBinLevels(f.spectrum, n, f.levels);
    return f;
}

void peakEstimate(benchmark::State& state)
{
    const auto n = int32_t(state.range(0));
    const Frame f = frame(n);
    PeakEstimator estimator;
    estimator.prepare(f.weights);
    for (auto _ : state)
        benchmark::DoNotOptimize(estimator.estimate(f.spectrum, 44100.0));
}
BENCHMARK(peakEstimate)->Arg(1024)->Arg(16384)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The parabola through the levels of the strongest bin and its neighbours.
void parabolicPeak(benchmark::State& state)
{
    const auto n = int32_t(state.range(0));
    const Frame f = frame(n);
    for (auto _ : state)
        benchmark::DoNotOptimize(strongestPeak(f.levels, n, 44100.0));
}
BENCHMARK(parabolicPeak)->Arg(1024)->Arg(16384)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Once per window and N.
void peakPrepare(benchmark::State& state)
{
    const auto n = int32_t(state.range(0));
    WindowWeights weights;
    weights.choose(WindowFunction::flatTop);
    const auto w = weights.weights(n);
    PeakEstimator estimator;
    for (auto _ : state)
        estimator.prepare(w);
}
BENCHMARK(peakPrepare)->Arg(1024)->Arg(16384)->Unit(benchmark::kMillisecond);

enum Sound { lowNote, highNote, noise };

void pitchEstimate(benchmark::State& state)
{
    const double rate = double(state.range(0));
    const char* labels[] = {"A2 partials 2-6", "A5 partials 1-6", "white noise"};
    const auto sound = state.range(1) == lowNote    ? synthetic::harmonics(rate, 110.0, 2, 6, 4000.0, 0.0, 0.2)
                       : state.range(1) == highNote ? synthetic::harmonics(rate, 880.0, 1, 6, 4000.0, 0.0, 0.2)
                                                    : synthetic::noise(int32_t(rate * 0.2), 8000.0);
    PitchEstimator estimator;
    for (auto _ : state)
        benchmark::DoNotOptimize(estimator.estimate(sound, rate));
    state.SetLabel(labels[state.range(1)]);
}
BENCHMARK(pitchEstimate)
    ->ArgNames({"rate", "sound"})
    ->ArgsProduct({{44100, 48000}, {lowNote, highNote, noise}})
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
