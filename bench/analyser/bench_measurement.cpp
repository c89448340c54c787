// What measuring adds to a frame at N = 16384, 44.1 kHz: the bin powers, the
// A weighting and a microphone correction on every bin, the bands with their
// split edge bins, and the A-weighted level meter over a
// tick's 882 new samples; beside the leanest honest way to the same
// figures: plain loops summing whole bins into bands and squares into a
// mean. Also reading a correction file of a million lines.
#include "calibration.h"
#include "frame_measurement.h"
#include "frequency_weighting.h"
#include "level_meter.h"
#include "microphone_correction.h"
#include "octave_bands.h"
#include "spectrum_power.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

using namespace vellarin;

namespace {

constexpr double rate = 44100;
constexpr size_t tickSamples = 882;  // 20 ms of sound

struct Frame {
    explicit Frame(int32_t n) : n(n), spectrum(size_t(n) + 2), samples(tickSamples)
    {
        uint32_t noise = 1;
        for (double& v : spectrum) {
            noise = noise * 1664525u + 1013904223u;
            v = double(int(noise >> 16) - 32768) * 40.0;
        }
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = int16_t(std::lround(9000 * std::sin(2 * std::numbers::pi * 1000.0 * double(i) / rate)));
    }
    int32_t n;
    std::vector<double> spectrum;
    std::vector<int16_t> samples;
};

// Everything on: A weighting and a correction per bin for the spectrum on
// show, the bands the view shows (thirds, or octaves, which cost the same)
// summed from those weighted powers, and the A-weighted meter. The bin
// powers are counted too, though a window that averages pays for them already.
void measuring(benchmark::State& state)
{
    const auto n = int32_t(state.range(0));
    Frame frame(n);
    const size_t bins = size_t(n) / 2 + 1;
    std::vector<double> power(bins), weighted(bins);
    WeightingTable weighting;
    weighting.build(Weighting::a, n, rate);
    SplCalibration calibration{100, MicrophoneCorrection({{20, -1}, {1000, 0}, {20000, 2}}, {}), {}};
    std::vector<double> gain(weighting.powerGain().begin(), weighting.powerGain().end());
    calibration.applyPerBin(n, rate, gain);
    OctaveBands bands;
    bands.build(BandFraction(state.range(1)), n, rate, 1.5);
    std::vector<double> levels(bands.bands().size());
    LevelMeter meter;
    meter.configure(rate, Weighting::a, TimeWeighting::fast);
    for (auto _ : state) {
        binPowers(frame.spectrum, n, power);
        for (size_t k = 0; k < bins; ++k)
            weighted[k] = power[k] * gain[k];
        bands.measure(weighted, levels);
        meter.add(frame.samples);
        benchmark::DoNotOptimize(meter.read());
        benchmark::DoNotOptimize(weighted.data());
        benchmark::DoNotOptimize(levels.data());
    }
}

// The same through the one class the window and a windowless analysis call
// per frame, and the band level spread back over the bins, as the band view
// draws it.
void frameMeasurement(benchmark::State& state)
{
    const auto n = int32_t(state.range(0));
    Frame frame(n);
    std::vector<double> hann(size_t(n), 0.0);
    for (size_t i = 0; i < hann.size(); ++i)
        hann[i] = 1 - std::cos(2 * std::numbers::pi * double(i) / n);
    const MicrophoneCorrection correction({{20, -1}, {1000, 0}, {20000, 2}}, {});
    FrameMeasurement measurement;
    measurement.configure({n, rate, hann, Weighting::a, BandFraction(state.range(1)), &correction, TimeWeighting::fast});
    std::vector<double> shown(size_t(n) / 2 + 1);
    for (auto _ : state) {
        measurement.measure(frame.spectrum);
        measurement.spreadBands(shown, 1.0, true);
        measurement.addSamples(frame.samples);
        benchmark::DoNotOptimize(measurement.readMeter());
        benchmark::DoNotOptimize(shown.data());
    }
}

// The floor: the same bands as whole-bin ranges summed plainly, no
// weighting, and the mean square of the samples.
void leanest(benchmark::State& state)
{
    const auto n = int32_t(state.range(0));
    Frame frame(n);
    const size_t bins = size_t(n) / 2 + 1;
    std::vector<double> power(bins);
    std::vector<std::pair<size_t, size_t>> ranges;
    OctaveBands bands;
    bands.build(BandFraction(state.range(1)), n, rate, 1.0);
    for (const OctaveBand& b : bands.bands())
        ranges.emplace_back(size_t(std::lround(b.lower * n / rate)), std::min(bins, size_t(std::lround(b.upper * n / rate))));
    std::vector<double> levels(ranges.size());
    for (auto _ : state) {
        binPowers(frame.spectrum, n, power);
        for (size_t i = 0; i < ranges.size(); ++i) {
            double sum = 0;
            for (size_t k = ranges[i].first; k < ranges[i].second; ++k)
                sum += power[k];
            levels[i] = sum;
        }
        double squares = 0;
        for (int16_t s : frame.samples)
            squares += double(s) * s;
        benchmark::DoNotOptimize(squares);
        benchmark::DoNotOptimize(levels.data());
    }
}

// The parts alone. The bin powers are the share a window that averages
// already pays for.
void binPowersOnly(benchmark::State& state)
{
    const auto n = int32_t(state.range(0));
    Frame frame(n);
    std::vector<double> power(size_t(n) / 2 + 1);
    for (auto _ : state) {
        binPowers(frame.spectrum, n, power);
        benchmark::DoNotOptimize(power.data());
    }
}

void bandsOnly(benchmark::State& state)
{
    const auto n = int32_t(state.range(0));
    Frame frame(n);
    std::vector<double> power(size_t(n) / 2 + 1);
    binPowers(frame.spectrum, n, power);
    WeightingTable weighting;
    weighting.build(Weighting::a, n, rate);
    OctaveBands thirds;
    thirds.build(BandFraction::third, n, rate, 1.5);
    std::vector<double> levels(thirds.bands().size());
    for (auto _ : state) {
        thirds.measure(power, weighting.powerGain(), levels);
        benchmark::DoNotOptimize(levels.data());
    }
}

void meterOnly(benchmark::State& state)
{
    Frame frame(1024);
    LevelMeter meter;
    meter.configure(rate, Weighting(state.range(0)), TimeWeighting::fast);
    for (auto _ : state) {
        meter.add(frame.samples);
        benchmark::DoNotOptimize(meter.read());
    }
    state.SetLabel(weightingShape(Weighting(state.range(0))).name);
}

void correctionFile(benchmark::State& state)
{
    QByteArray text = "*1000Hz -38.6\n";
    const int lines = int(state.range(0));
    text.reserve(lines * 24);
    char line[64];
    for (int i = 0; i < lines; ++i)
        text.append(line, std::snprintf(line, sizeof line, "%.6f %.3f\n", 10.0 + i * 0.02, std::sin(i * 1e-3) * 3));
    for (auto _ : state) {
        const auto result = parseCorrectionFile(text);
        if (!std::holds_alternative<MicrophoneCorrection>(result))
            state.SkipWithError("the file was refused");
        benchmark::DoNotOptimize(&result);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * text.size());
}

BENCHMARK(measuring)->ArgNames({"N", "fraction"})->ArgsProduct({{16384, 1024}, {3, 1}})->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(frameMeasurement)->ArgNames({"N", "fraction"})->ArgsProduct({{16384, 1024}, {3}})->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(leanest)->ArgNames({"N", "fraction"})->ArgsProduct({{16384, 1024}, {3}})->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(binPowersOnly)->Arg(16384)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(bandsOnly)->Arg(16384)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(meterOnly)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(correctionFile)->Arg(1000000)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
