// Per-call cost of an in-place transform through the component's dispatch
// interface beside an FFTW plan called directly on the same data. The two are
// timed alternately in one loop and compared by their medians, so load from
// other processes falls on both alike. The direct plan is the kind the
// component uses (estimated, unaligned), or for comparison an estimated
// aligned plan or a measured one.
#include <interfaces/class_ids.h>
#include <automation/host.h>
#include <interfaces/fourel.h>

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <vector>

using namespace automation;

namespace {

using Clock = std::chrono::steady_clock;

// A full-scale noise frame as the analyser hands it over: real samples, zero
// imaginary parts.
std::vector<double> noiseFrame(int n)
{
    std::vector<double> frame(2 * size_t(n));
    std::mt19937 generator(1);
    std::uniform_real_distribution<double> sample(-32768.0, 32767.0);
    for (size_t j = 0; j < frame.size(); j += 2)
        frame[j] = sample(generator);
    return frame;
}

double median(std::vector<double> v)
{
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}

template <unsigned directFlags> void componentBesideDirect(benchmark::State& state)
{
    ComponentPtr object;
    const QString module = programDirectory() + QStringLiteral("/libfourel.so");
    if (createInstanceFromModule(module, sdk::classes::fourel.classId, object) != hr::ok) {
        state.SkipWithError("libfourel.so not found beside the benchmark");
        return;
    }
    Dispatch* fourel = object->dispatch();
    fourel->put(fourel::dispid::TransformFlag, Variant::fromBool(true));
    int32_t n = int32_t(state.range(0));
    const auto throughDispatch = [&](double* data) {
        Variant args[2] = {Variant::refDoubles(data), Variant::refLong(&n)};
        fourel->call(fourel::dispid::FFT, args);
    };

    const std::vector<double> input = noiseFrame(n);
    std::vector<double> frame = input;
    auto* c = reinterpret_cast<fftw_complex*>(frame.data());
    fftw_plan plan = fftw_plan_dft_1d(n, c, c, FFTW_FORWARD, directFlags);
    const auto direct = [&](double* data) {
        auto* d = reinterpret_cast<fftw_complex*>(data);
        fftw_execute_dft(plan, d, d);
    };
    throughDispatch(frame.data());  // the component plans on its first call of a size

    // Restores the input before every call, so the values stay finite
    // however often the frame is transformed.
    const auto timeOne = [&](auto call) {
        std::copy(input.begin(), input.end(), frame.begin());
        const auto start = Clock::now();
        call(frame.data());
        benchmark::DoNotOptimize(frame.data());
        return std::chrono::duration<double>(Clock::now() - start).count();
    };
    std::vector<double> componentTimes, directTimes;
    for (auto _ : state) {
        componentTimes.push_back(timeOne(throughDispatch));
        directTimes.push_back(timeOne(direct));
        state.SetIterationTime(componentTimes.back() + directTimes.back());
    }
    fftw_destroy_plan(plan);

    const double component = median(componentTimes), other = median(directTimes);
    state.counters["component_us"] = component * 1e6;
    state.counters["direct_us"] = other * 1e6;
    state.counters["ratio"] = component / other;
}

void sizes(benchmark::internal::Benchmark* b)
{
    b->RangeMultiplier(2)->Range(1024, 16384)->UseManualTime()->Unit(benchmark::kMicrosecond);
}

}  // namespace

BENCHMARK(componentBesideDirect<FFTW_ESTIMATE | FFTW_UNALIGNED>)->Name("sameKindOfPlan")->Apply(sizes);
BENCHMARK(componentBesideDirect<FFTW_ESTIMATE>)->Name("estimatedAlignedPlan")->Apply(sizes);
BENCHMARK(componentBesideDirect<FFTW_MEASURE>)->Name("measuredPlan")->Apply(sizes);

BENCHMARK_MAIN();
