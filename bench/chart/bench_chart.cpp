// The chart's cost per data call, measured through dispatch on a chart
// created by class identity, in the analyser's configuration: one channel of
// a noisy 1920-point spectrum line on a 1920 x 241 chart, and the analyser's
// own line at N = 1024 beside the leanest way to draw and repaint it. Beside
// them the floor of a whole-surface composition: one fill, one copy and one
// AND of surfaces of the same size. And one pointer move under the two-line
// cross-hair.
#include <interfaces/class_ids.h>
#include <automation/host.h>
#include <interfaces/trazel.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QImage>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

using namespace automation;
namespace id = trazel::dispid;

namespace {

constexpr int chartWidth = 1920, chartHeight = 241;

// Display levels of a spectrum: a falling noise floor with a few peaks.
std::vector<std::vector<int16_t>> spectrumLines(int count, int bins)
{
    std::mt19937 noise(1);
    std::normal_distribution<double> jitter(0, 1500);
    std::vector<std::vector<int16_t>> lines(count, std::vector<int16_t>(bins));
    for (auto& line : lines)
        for (int k = 0; k < bins; ++k) {
            double level = -8000 - 9000.0 * k / bins + jitter(noise);
            for (int peak : {bins / 50, bins / 7, bins / 3})
                level += 24000 * std::exp(-std::pow((k - peak) / 4.0, 2));
            line[k] = int16_t(std::clamp(level, -32000.0, 32000.0));
        }
    return lines;
}

struct BenchChart {
    ComponentPtr object;
    Dispatch* dispatch = nullptr;

    explicit BenchChart(benchmark::State& state, int width = chartWidth, int height = chartHeight)
    {
        if (failed(createInstance(sdk::classes::trazelChart.classId, object, "trazel")) || !object) {
            state.SkipWithError("trazel module not found");
            return;
        }
        dispatch = object->dispatch();
        QWidget* widget = object->control()->widget();
        widget->resize(width, height);
        widget->show();
        // The analyser's frequency axis: tick lines instead of the plain grid.
        dispatch->put(id::Key, Variant("X,2,22050,0,11,3840,-0,2000,4000,6000,8000,-10000,12000,14000,16000,18000,"
                                       "-20000"));
    }

    bool chartEx(std::vector<int16_t>& line, int16_t points)
    {
        Variant args[] = {Variant::refShorts(line.data()), Variant(int16_t(1)), Variant(points)};
        return succeeded(dispatch->call(id::ChartEx, args));
    }
};

// Every call restarts the sweep: the analyser's spectrum view.
void scopeSpectrumLine(benchmark::State& state)
{
    BenchChart chart(state);
    if (!chart.dispatch)
        return;
    chart.dispatch->put(id::ScrollMode, Variant::fromBool(false));
    auto lines = spectrumLines(16, chartWidth);
    size_t next = 0;
    for (auto _ : state)
        if (!chart.chartEx(lines[next++ % lines.size()], chartWidth))
            state.SkipWithError("ChartEx failed");
}

// The analyser's own case at N = 1024 on a 1408-column chart: 513 bins of a
// smooth spectrum whose peak moves a little from frame to frame, and the
// columns past the spectrum held far below the chart (levels 0..32767 fill
// its height).
constexpr int analyserColumns = 1408, analyserBins = 513;

std::vector<std::vector<int16_t>> analyserLines(int count)
{
    std::vector<std::vector<int16_t>> lines(count, std::vector<int16_t>(analyserColumns, -32768));
    for (int frame = 0; frame < count; ++frame)
        for (int k = 0; k < analyserBins; ++k) {
            const double peak = 20 + 3 * frame % 40;
            const double level = 28000 * std::exp(-std::abs(k - peak) / 60.0) + 6000 - 8.0 * k;
            lines[size_t(frame)][size_t(k)] = int16_t(std::clamp(level, 0.0, 32767.0));
        }
    return lines;
}

void scopeAnalyserLine(benchmark::State& state)
{
    BenchChart chart(state, analyserColumns);
    if (!chart.dispatch)
        return;
    chart.dispatch->put(id::ScrollMode, Variant::fromBool(false));
    chart.dispatch->putIndexed(id::Ymin, Variant(int16_t(0)), Variant(int32_t(0)));
    chart.dispatch->putIndexed(id::Ymax, Variant(int16_t(0)), Variant(int32_t(32767)));
    auto lines = analyserLines(16);
    size_t next = 0;
    const bool repaint = state.range(0) != 0;
    for (auto _ : state) {
        if (!chart.chartEx(lines[next++ % lines.size()], analyserColumns))
            state.SkipWithError("ChartEx failed");
        if (repaint)
            QCoreApplication::processEvents();
    }
}

// The leanest way to the same window: one image, each column's last line
// cleared and the new one drawn over the bins, and one rectangle over the
// rows either covers handed to the window, as the floor skeleton does.
class PictureWindow : public QWidget {
public:
    explicit PictureWindow(const QImage& picture) : m_picture(picture) { setAttribute(Qt::WA_OpaquePaintEvent); }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        for (const QRect& r : event->region())
            painter.drawImage(r.topLeft(), m_picture, r);
    }

private:
    const QImage& m_picture;
};

void leanAnalyserLine(benchmark::State& state)
{
    QImage picture(analyserColumns, chartHeight, QImage::Format_RGB32);
    picture.fill(0xFFFFFFFFu);
    PictureWindow window(picture);
    window.resize(analyserColumns, chartHeight);
    window.show();
    struct Span {
        int top = 0, bottom = -1;
    };
    std::vector<Span> ink(analyserBins);
    const qsizetype stride = picture.bytesPerLine() / 4;
    const auto paint = [&](int x, Span span, QRgb colour) {
        auto* pixel = reinterpret_cast<QRgb*>(picture.bits()) + span.top * stride + x;
        for (int y = span.top; y <= span.bottom; ++y, pixel += stride)
            *pixel = colour;
    };
    auto lines = analyserLines(16);
    size_t next = 0;
    const bool repaint = state.range(0) != 0;
    for (auto _ : state) {
        const std::vector<int16_t>& line = lines[next++ % lines.size()];
        const auto rowOf = [&](int x) { return chartHeight - 1 - line[size_t(x)] * (chartHeight - 1) / 32767; };
        int top = chartHeight, bottom = -1, previous = rowOf(0);
        for (int x = 0; x < analyserBins; ++x) {
            paint(x, ink[size_t(x)], 0xFFFFFFFFu);
            const int row = rowOf(x);
            const Span span{std::min(previous, row), std::max(previous, row)};
            paint(x, span, 0xFF0000FFu);
            top = std::min({top, span.top, ink[size_t(x)].top});
            bottom = std::max({bottom, span.bottom, ink[size_t(x)].bottom});
            ink[size_t(x)] = span;
            previous = row;
        }
        window.update(QRect(0, top, analyserColumns, bottom - top + 1));
        if (repaint)
            QCoreApplication::processEvents();
        benchmark::ClobberMemory();
    }
}

// A strip chart fed ten points at a time.
void scrollTenPoints(benchmark::State& state)
{
    BenchChart chart(state);
    if (!chart.dispatch)
        return;
    auto lines = spectrumLines(1, chartWidth);
    size_t offset = 0;
    for (auto _ : state) {
        std::vector<int16_t>& line = lines[0];
        offset = (offset + 10) % (line.size() - 10);
        Variant args[] = {Variant::refShorts(line.data() + offset), Variant(int16_t(1)), Variant(int16_t(10))};
        if (failed(chart.dispatch->call(id::ChartEx, args)))
            state.SkipWithError("ChartEx failed");
    }
}

// A property put that rebuilds the static picture.
void fullRedraw(benchmark::State& state)
{
    BenchChart chart(state);
    if (!chart.dispatch)
        return;
    chart.dispatch->put(id::ChartText, Variant("Level"));
    int16_t spacing = 20;
    for (auto _ : state) {
        spacing = spacing == 20 ? 25 : 20;
        chart.dispatch->put(id::GridSpacingY, Variant(spacing));
    }
}

struct CountingSink : EventSink {
    int64_t events = 0;
    void onEvent(DispId, std::span<const Variant>) override { ++events; }
};

// The pointer moving one column under the two-line cross-hair: the old
// figure removed, the new one drawn, CrossHair fired to a host's sink. With
// argument 1 the window's repaint of both figures is counted too.
void crossHairMove(benchmark::State& state)
{
    BenchChart chart(state);
    if (!chart.dispatch)
        return;
    CountingSink sink;
    chart.object->connectionPoint()->advise(&sink);
    chart.dispatch->put(id::ScrollMode, Variant::fromBool(false));
    chart.dispatch->put(id::Lock, Variant::fromBool(true));
    auto lines = spectrumLines(1, chartWidth);
    chart.chartEx(lines[0], chartWidth);
    QWidget* widget = chart.object->control()->widget();
    const auto send = [&](QEvent::Type type, QPointF at, Qt::MouseButtons held) {
        QMouseEvent event(type, at, widget->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::RightButton,
                          held, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    };
    send(QEvent::MouseButtonPress, {100, 100}, Qt::RightButton);
    const bool repaint = state.range(0) != 0;
    int x = 100;
    for (auto _ : state) {
        x = x == 1800 ? 100 : x + 1;
        send(QEvent::MouseMove, {double(x), 120}, Qt::RightButton);
        if (repaint)
            QCoreApplication::processEvents();
    }
    send(QEvent::MouseButtonRelease, {double(x), 120}, Qt::NoButton);
    if (sink.events < int64_t(state.iterations()))
        state.SkipWithError("CrossHair not fired on every move");
}

// One fill, one copy and one AND over 32-bit surfaces of the chart's size.
void floorFillCopyAnd(benchmark::State& state)
{
    QImage traces(chartWidth, chartHeight, QImage::Format_RGB32);
    QImage overlay(chartWidth, chartHeight, QImage::Format_RGB32);
    QImage display(chartWidth, chartHeight, QImage::Format_RGB32);
    overlay.fill(0xFFC0C0C0u);
    const qsizetype count = traces.sizeInBytes() / 4;
    for (auto _ : state) {
        auto* t = reinterpret_cast<uint32_t*>(traces.bits());
        std::fill_n(t, count, 0xFFFFFFFFu);
        auto* d = reinterpret_cast<uint32_t*>(display.bits());
        std::memcpy(d, t, size_t(traces.sizeInBytes()));
        const auto* o = reinterpret_cast<const uint32_t*>(overlay.constBits());
        for (qsizetype i = 0; i < count; ++i)
            d[i] &= o[i];
        benchmark::DoNotOptimize(d);
        benchmark::ClobberMemory();
    }
}

BENCHMARK(scopeSpectrumLine)->Unit(benchmark::kMicrosecond);
BENCHMARK(scopeAnalyserLine)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(leanAnalyserLine)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(scrollTenPoints)->Unit(benchmark::kMicrosecond);
BENCHMARK(fullRedraw)->Unit(benchmark::kMicrosecond);
BENCHMARK(crossHairMove)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(floorFillCopyAnd)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
