// AddLine through dispatch into a 1280 x 800 picture, flat and 3D, for each
// scroll direction: the waterfall's cost per processed frame.
#include "synthetic_spectrum.h"

#include <interfaces/class_ids.h>
#include <automation/host.h>
#include <interfaces/cascadra.h>

#include <QApplication>
#include <QWidget>

#include <benchmark/benchmark.h>

using namespace automation;

namespace {

constexpr int pictureWidth = 1280, pictureHeight = 800;

void addLine(benchmark::State& state)
{
    const auto direction = static_cast<int32_t>(state.range(0));
    const auto view3D = static_cast<int32_t>(state.range(1));
    ComponentPtr component;
    if (failed(createInstance(sdk::classes::cascadra.classId, component, "cascadra"))) {
        state.SkipWithError("cascadra module not found");
        return;
    }
    Dispatch* waterfall = component->dispatch();
    component->control()->widget()->resize(pictureWidth, pictureHeight);
    waterfall->put(cascadra::dispid::ScrollDirection, Variant(direction));
    waterfall->put(cascadra::dispid::View3D, Variant(view3D));

    const bool alongHeight = direction == cascadra::RightToLeft || direction == cascadra::InvertedRightToLeft;
    SyntheticSpectrum spectrum(alongHeight ? pictureHeight : pictureWidth);
    std::vector<Variant> lines;
    for (int t = 0; t < 64; ++t)
        lines.emplace_back(SafeArray::shorts1D(spectrum.line(t * 4)));

    size_t next = 0;
    for (auto _ : state) {
        // The host recreates its line every frame; so does the call here.
        Variant line = lines[next++ % lines.size()];
        if (failed(waterfall->call(cascadra::dispid::AddLine, std::span<Variant>(&line, 1))))
            state.SkipWithError("AddLine failed");
    }
    state.SetLabel(view3D ? "3D" : "flat");
}

BENCHMARK(addLine)
    ->ArgNames({"direction", "view3D"})
    ->ArgsProduct({{0, 1, 2, 3, 4, 5}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
