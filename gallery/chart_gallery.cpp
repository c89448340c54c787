// Renders characteristic chart pictures to PNG files, for looking at them:
//   chart_gallery [folder]   (default: the current folder)
// Each chart is created by class identity and driven by dispatch number.
#include <interfaces/class_ids.h>
#include <automation/host.h>
#include <interfaces/trazel.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>

#include <cmath>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

using namespace automation;
namespace id = trazel::dispid;

namespace {

class Chart {
public:
    Chart(int width, int height)
    {
        if (failed(createInstance(sdk::classes::trazelChart.classId, m_object, "trazel")) || !m_object) {
            std::fprintf(stderr, "chart_gallery: the trazel chart cannot be created\n");
            std::exit(1);
        }
        widget()->resize(width, height);
        widget()->show();
    }
    QWidget* widget() { return m_object->control()->widget(); }
    void put(DispId member, Variant value) { m_object->dispatch()->put(member, std::move(value)); }
    void put(DispId member, int16_t index, Variant value)
    {
        m_object->dispatch()->putIndexed(member, Variant(index), std::move(value));
    }
    void key(const char* command) { put(id::Key, command); }
    void call(DispId member, std::vector<Variant> args) { m_object->dispatch()->call(member, args); }
    void points(std::vector<int16_t> values) { call(id::Chart, {Variant(SafeArray::shorts1D(std::move(values)))}); }
    void channels(int count, std::vector<int16_t> values)
    {
        const int32_t points = int32_t(values.size()) / count;
        call(id::Chart, {Variant(SafeArray::shorts2D(count, points, std::move(values)))});
    }
    void chartEx(std::vector<int16_t>& values)
    {
        call(id::ChartEx, {Variant::refShorts(values.data()), Variant(int16_t(1)), Variant(int16_t(values.size()))});
    }
    // A mouse button pressed at `at` (Qt::NoButton: none), then moved to `to` with it held.
    void press(Qt::MouseButton button, QPoint at, QPoint to)
    {
        send(QEvent::MouseButtonPress, button, button, at);
        send(QEvent::MouseMove, Qt::NoButton, button, to);
    }
    bool save(const QString& path) { return widget()->grab().toImage().save(path); }

private:
    void send(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, QPoint at)
    {
        QMouseEvent event(type, QPointF(at), widget()->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
        QApplication::sendEvent(widget(), &event);
    }
    ComponentPtr m_object;
};

int16_t wave(double phase, double amplitude) { return int16_t(amplitude * std::sin(phase)); }

// A noisy spectrum line in display levels: peaks over a falling floor.
std::vector<int16_t> spectrum(int bins, std::mt19937& noise)
{
    std::normal_distribution<double> jitter(0, 900);
    std::vector<int16_t> line(bins);
    for (int k = 0; k < bins; ++k) {
        double level = -6000 - 9000.0 * k / bins + jitter(noise);
        for (int peak : {bins / 40, bins / 9, bins / 4})
            level += 22000 * std::exp(-std::pow((k - peak) / 3.0, 2));
        line[k] = int16_t(std::clamp(level, -32000.0, 32000.0));
    }
    return line;
}

// The analyser's spectrum view after three frames, then `gesture`.
void analyserSpectrum(const std::function<void(Chart&)>& gesture, const QString& path)
{
    Chart c(1024, 241);
    c.put(id::ScrollMode, Variant::fromBool(false));
    c.put(id::Ymin, int16_t(0), Variant(int32_t(-32768)));
    c.put(id::Ymax, int16_t(0), Variant(int32_t(32768)));
    c.key("X,2,22050,0,11,2048,-0,2000,4000,6000,8000,-10000,12000,14000,16000,18000,-20000");
    std::mt19937 noise(7);
    for (int frame = 0; frame < 3; ++frame) {
        std::vector<int16_t> line = spectrum(1024, noise);
        c.chartEx(line);
    }
    gesture(c);
    c.save(path);
}

const std::vector<std::pair<const char*, std::function<void(const QString&)>>> scenes{
    {"grid_and_ticks",
     [](const QString& path) {
         Chart c(500, 200);
         c.key("X,1,4000,0,21,1024,10,20,30,40,50,60,70,80,90,-100,200,300,400,500,600,700,800,900,-1000,2000,3000");
         c.put(id::ChartText, "Logarithmic axis");
         c.call(id::SetTextPos, {Variant(int16_t(8)), Variant(int16_t(6))});
         c.put(id::PText, int32_t(0x404040));
         c.call(id::AuxCrossHair, {Variant(int16_t(300)), Variant(int16_t(140))});
         c.save(path);
     }},
    {"scroll_trace",
     [](const QString& path) {
         Chart c(400, 150);
         c.put(id::Step, int16_t(2));
         for (int call = 0; call < 40; ++call) {
             std::vector<int16_t> values;
             for (int i = 0; i < 20; ++i) {
                 const double t = (call * 20 + i) * 0.05;
                 values.push_back(wave(t, 20000));
                 values.push_back(wave(t * 2.7, 9000));
             }
             c.channels(2, values);
         }
         c.save(path);
     }},
    {"scope_fading",
     [](const QString& path) {
         Chart c(400, 150);
         c.put(id::ScrollMode, Variant::fromBool(false));
         c.put(id::SumWaveforms, Variant::fromBool(true));
         c.put(id::Persist, int16_t(64));
         c.put(id::GridSpacingX, int16_t(-2500));
         for (int sweep = 0; sweep < 6; ++sweep) {
             std::vector<int16_t> values(400);
             for (int i = 0; i < 400; ++i)
                 values[i] = wave(i * 0.04 + sweep * 0.5, 25000);
             c.points(values);
         }
         c.put(id::SumWaveforms, Variant::fromBool(false));
         c.save(path);
     }},
    {"scope_erase_bar",
     [](const QString& path) {
         Chart c(400, 150);
         c.put(id::ScrollMode, Variant::fromBool(false));
         c.put(id::DoubleActiveTrace, Variant::fromBool(true));
         for (int call = 0; call < 30; ++call) {
             std::vector<int16_t> values;
             for (int i = 0; i < 20; ++i) {
                 const double t = (call * 20 + i) * 0.03;
                 for (int ch = 0; ch < 3; ++ch)
                     values.push_back(wave(t + ch, 8000 + 6000 * ch));
             }
             c.channels(3, values);
         }
         c.save(path);
     }},
    {"digital_lanes",
     [](const QString& path) {
         Chart c(400, 160);
         c.put(id::Channel, int16_t(0));
         c.put(id::DigitalMask, int16_t(0x15));
         c.put(id::MarkEvents, Variant::fromBool(true));
         std::vector<int16_t> values(300);
         for (int i = 0; i < 300; ++i)
             values[i] = int16_t(((i / 8) & 1) | (((i / 20) & 1) << 2) | (((i / 45) & 1) << 4));
         c.points(values);
         c.save(path);
     }},
    {"digital_scope_lane_with_marks",
     [](const QString& path) {
         Chart c(400, 120);
         c.put(id::ScrollMode, Variant::fromBool(false));
         c.put(id::Channel, int16_t(0));
         c.put(id::DigitalMask, int16_t(4));
         c.put(id::MarkEvents, Variant::fromBool(true));
         for (int call = 0; call < 25; ++call) {
             std::vector<int16_t> values(12);
             for (int i = 0; i < 12; ++i) {
                 const int n = call * 12 + i;
                 values[i] = int16_t((((n / 10) & 1) << 2) | (n % 37 == 0 ? 2 : 0) | (n % 74 == 0 ? 1 : 0));
             }
             c.points(values);
         }
         c.save(path);
     }},
    {"annotations_and_text",
     [](const QString& path) {
         Chart c(400, 200);
         c.put(id::SolidBaseLine, Variant::fromBool(false));
         c.put(id::GridSpacingY, int16_t(-1250));
         c.key("A,255,10,20000,390,20000,16711680,10,-20000,390,-20000,32768,0,-32768,399,32768");
         c.put(id::PText, int32_t(0x0000C0));
         c.put(id::ChartText, "Annotations and text");
         c.call(id::SetTextPos, {Variant(int16_t(130)), Variant(int16_t(20))});
         c.put(id::ShowLegend, Variant::fromBool(true));
         c.put(id::BaseLineLegend, Variant::fromBool(true));
         std::vector<int16_t> values(400);
         for (int i = 0; i < 400; ++i)
             values[i] = wave(i * 0.05, 12000);
         c.points(values);
         c.save(path);
     }},
    {"analyser_spectrum", [](const QString& path) { analyserSpectrum([](Chart&) {}, path); }},
    {"drag_marker",
     [](const QString& path) {
         analyserSpectrum([](Chart& c) { c.press(Qt::LeftButton, {300, 60}, {310, 150}); }, path);
     }},
    {"cross_hair",
     [](const QString& path) {
         analyserSpectrum(
             [](Chart& c) {
                 c.put(id::Lock, Variant::fromBool(true));
                 c.press(Qt::LeftButton, {200, 100}, {147, 100});
             },
             path);
     }},
    {"two_line_cross_hair",
     [](const QString& path) {
         analyserSpectrum(
             [](Chart& c) {
                 c.put(id::Lock, Variant::fromBool(true));
                 c.press(Qt::RightButton, {200, 100}, {147, 57});
             },
             path);
     }},
};

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath());
    int failures = 0;
    for (const auto& [name, render] : scenes) {
        const QString path = folder.filePath(QString::fromLatin1(name) + ".png");
        render(path);
        const bool written = QFileInfo::exists(path);
        std::printf("%s %s\n", written ? "wrote" : "FAILED", qPrintable(path));
        failures += !written;
    }
    return failures ? 1 : 0;
}
