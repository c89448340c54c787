// The floor of the analyser's job on this stack, for the steady-capture
// script to set the program against: the least a window must do to show a
// live spectrum and waterfall, written straight on the libraries.
//
// Sound comes from the sound server's own client library on its own threaded
// main loop: a 16-bit mono record stream of the default source, 20 ms
// fragments with latency adjustment, copied into a ring. A Qt window of the
// given size holds a chart area and a waterfall area where the program has
// them (the script reads them from analyser_host). Every 20 ms, when new
// samples came, one N-point FFT of the newest samples, the spectrum's line
// drawn into the chart's image over the pixels of the last one, a new line of
// colours on top of the waterfall's image (a ring of lines, so nothing is
// moved in memory), and a repaint of the rows the two chart lines cover; the
// window's picture of the waterfall is scrolled one line and only the new
// line painted. Nothing else: no thread of its own, no allocation a tick.
//
//   floor_skeleton --rate 44100 --fft 1024 --size 1600x1000
//                  --chart X,Y,W,H --waterfall X,Y,W,H [--seconds 40] [--frames]
// Prints "capturing" once the stream records and, with --frames, the frames
// drawn so far each second.
#include <QApplication>
#include <QCommandLineParser>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <fftw3.h>
#include <pulse/pulseaudio.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr size_t ringSamples = 1 << 17;

struct Ring {
    std::vector<int16_t> samples = std::vector<int16_t>(ringSamples);
    std::atomic<uint64_t> written{0};
};

void samplesArrived(pa_stream* stream, size_t, void* user)
{
    auto* ring = static_cast<Ring*>(user);
    const void* data = nullptr;
    size_t bytes = 0;
    while (pa_stream_peek(stream, &data, &bytes) == 0 && bytes > 0) {
        const size_t count = bytes / 2;
        uint64_t at = ring->written.load(std::memory_order_relaxed);
        for (size_t i = 0; i < count; ++i)
            ring->samples[(at + i) % ringSamples] = data ? static_cast<const int16_t*>(data)[i] : 0;
        ring->written.store(at + count, std::memory_order_release);
        pa_stream_drop(stream);
    }
}

void wake(pa_context*, void* loop) { pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0); }
void wakeStream(pa_stream*, void* loop) { pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0); }

QRect rectOf(const QString& text)
{
    const QStringList v = text.split(',');
    return v.size() == 4 ? QRect(v[0].toInt(), v[1].toInt(), v[2].toInt(), v[3].toInt()) : QRect();
}

class Skeleton final : public QWidget {
public:
    Skeleton(Ring& ring, int n, QRect chart, QRect waterfall)
        : m_ring(ring), m_n(n), m_chartRect(chart), m_waterfallRect(waterfall),
          m_chart(chart.size(), QImage::Format_RGB32), m_waterfall(waterfall.size(), QImage::Format_RGB32),
          m_in(fftw_alloc_real(size_t(n))), m_out(fftw_alloc_complex(size_t(n) / 2 + 1)),
          m_plan(fftw_plan_dft_r2c_1d(n, m_in, m_out, FFTW_MEASURE)), m_line(size_t(n) / 2 + 1),
          m_ink(size_t(std::min(chart.width(), n / 2 + 1)))
    {
        m_chart.fill(background);
        m_waterfall.fill(Qt::gray);
        for (int i = 0; i < 256; ++i)
            m_palette[size_t(i)] = qRgb(i, (i * 3) % 256, 255 - i);
        setAttribute(Qt::WA_OpaquePaintEvent);
        connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
        m_timer.start(20);
    }
    ~Skeleton() override
    {
        fftw_destroy_plan(m_plan);
        fftw_free(m_in);
        fftw_free(m_out);
    }

    uint64_t frames = 0;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter p(this);
        // Each rectangle through its own rectangular clip is a plain copy;
        // through the whole region's clip Qt would blend span by span, on
        // its pool of threads once the spans are many.
        for (const QRect& r : event->region()) {
            if (const QRect c = r & m_chartRect; !c.isEmpty()) {
                p.setClipRect(c);
                p.drawImage(c.topLeft(), m_chart, c.translated(-m_chartRect.topLeft()));
            }
            if (const QRect w = r & m_waterfallRect; !w.isEmpty()) {
                p.setClipRect(w);
                paintWaterfall(p, w);
            }
        }
    }

private:
    static constexpr QRgb background = 0xFF000000, trace = 0xFF00FF00;

    // Rows top..bottom of one column of the chart, inclusive.
    struct Span {
        int top = 0, bottom = -1;
    };

    // The waterfall's image is a ring of lines: row m_top holds the newest,
    // shown at the area's top, so no line is ever moved in memory.
    void paintWaterfall(QPainter& p, const QRect& part)
    {
        const int h = m_waterfall.height();
        int y = part.top() - m_waterfallRect.top();
        const int end = part.bottom() - m_waterfallRect.top() + 1;
        while (y < end) {
            const int stored = (m_top + y) % h;
            const int rows = std::min(end - y, h - stored);
            p.drawImage(QPoint(part.left(), m_waterfallRect.top() + y), m_waterfall,
                        QRect(part.left() - m_waterfallRect.left(), stored, part.width(), rows));
            y += rows;
        }
    }

    void paintColumn(int x, Span span, QRgb colour)
    {
        const qsizetype stride = m_chart.bytesPerLine() / 4;
        auto* pixel = reinterpret_cast<QRgb*>(m_chart.bits()) + span.top * stride + x;
        for (int y = span.top; y <= span.bottom; ++y, pixel += stride)
            *pixel = colour;
    }

    // The spectrum as a line through one point a column, one bin a column
    // as standard scaling shows it: each column joins its point to the one
    // before. Only the last line's pixels are cleared, and only the rows
    // either line covers are repainted.
    void drawChartLine()
    {
        const int h = m_chart.height();
        const auto rowOf = [this, h](int x) {
            return h - 1 - int(int64_t(std::max(0, m_line[size_t(x)])) * (h - 1) / 32767);
        };
        int top = h, bottom = -1;
        int previous = rowOf(0);
        for (int x = 0; x < int(m_ink.size()); ++x) {
            paintColumn(x, m_ink[size_t(x)], background);
            const int row = rowOf(x);
            const Span span{std::min(previous, row), std::max(previous, row)};
            paintColumn(x, span, trace);
            top = std::min({top, span.top, m_ink[size_t(x)].top});
            bottom = std::max({bottom, span.bottom, m_ink[size_t(x)].bottom});
            m_ink[size_t(x)] = span;
            previous = row;
        }
        if (bottom >= top)
            update(QRect(m_chartRect.left(), m_chartRect.top() + top, int(m_ink.size()), bottom - top + 1));
    }

    void tick()
    {
        const uint64_t written = m_ring.written.load(std::memory_order_acquire);
        if (written == m_seen || written < uint64_t(m_n))
            return;
        m_seen = written;
        for (int i = 0; i < m_n; ++i)
            m_in[i] = m_ring.samples[(written - uint64_t(m_n) + uint64_t(i)) % ringSamples];
        fftw_execute(m_plan);
        const double scale = 32767 / std::log(32767.0);
        for (int k = 0; k <= m_n / 2; ++k) {
            const double m = std::clamp(2 * std::hypot(m_out[k][0], m_out[k][1]) / m_n, 5e-5, 32767.0);
            m_line[size_t(k)] = std::lround(std::log(m) * scale);
        }
        drawChartLine();

        // The waterfall: a new line on top of the ring.
        const int ww = m_waterfall.width();
        m_top = (m_top + m_waterfall.height() - 1) % m_waterfall.height();
        auto* top = reinterpret_cast<QRgb*>(m_waterfall.scanLine(m_top));
        for (int x = 0; x < ww; ++x) {
            const int bin = x * (m_n / 2) / ww;
            top[x] = m_palette[size_t(std::clamp(m_line[size_t(bin)] / 128, 0, 255))];
        }
        ++frames;
        // The window's own picture of the waterfall moves too; only the new line is painted.
        scroll(0, 1, m_waterfallRect);
        update(QRect(m_waterfallRect.topLeft(), QSize(ww, 1)));
    }

    Ring& m_ring;
    const int m_n;
    const QRect m_chartRect, m_waterfallRect;
    QImage m_chart, m_waterfall;
    double* m_in;
    fftw_complex* m_out;
    fftw_plan m_plan;
    std::vector<int> m_line;
    std::vector<Span> m_ink;  // where the last line was drawn, column by column
    std::array<QRgb, 256> m_palette{};
    uint64_t m_seen = 0;
    int m_top = 0;
    QTimer m_timer;
};

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCommandLineParser options;
    options.addOptions({{"rate", "sample rate", "hz", "44100"},
                        {"fft", "FFT size", "n", "1024"},
                        {"size", "window size", "WxH", "1600x1000"},
                        {"chart", "chart area", "x,y,w,h"},
                        {"waterfall", "waterfall area", "x,y,w,h"},
                        {"seconds", "run time", "s", "40"},
                        {"frames", "print the frames drawn so far each second"}});
    options.process(app);
    const QRect chart = rectOf(options.value("chart")), waterfall = rectOf(options.value("waterfall"));
    if (chart.isEmpty() || waterfall.isEmpty()) {
        std::fprintf(stderr, "--chart and --waterfall are needed\n");
        return 2;
    }

    Ring ring;
    pa_threaded_mainloop* loop = pa_threaded_mainloop_new();
    pa_threaded_mainloop_start(loop);
    pa_threaded_mainloop_lock(loop);
    pa_context* context = pa_context_new(pa_threaded_mainloop_get_api(loop), "floor skeleton");
    pa_context_set_state_callback(context, &wake, loop);
    pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr);
    while (PA_CONTEXT_IS_GOOD(pa_context_get_state(context)) && pa_context_get_state(context) != PA_CONTEXT_READY)
        pa_threaded_mainloop_wait(loop);
    if (pa_context_get_state(context) != PA_CONTEXT_READY) {
        std::fprintf(stderr, "no sound server\n");
        return 1;
    }
    const pa_sample_spec spec{PA_SAMPLE_S16LE, options.value("rate").toUInt(), 1};
    pa_stream* stream = pa_stream_new(context, "floor", &spec, nullptr);
    pa_stream_set_state_callback(stream, &wakeStream, loop);
    pa_stream_set_read_callback(stream, &samplesArrived, &ring);
    pa_buffer_attr attributes{};
    attributes.maxlength = uint32_t(-1);
    attributes.fragsize = uint32_t(pa_usec_to_bytes(20000, &spec));
    pa_stream_connect_record(stream, nullptr, &attributes, PA_STREAM_ADJUST_LATENCY);
    while (pa_stream_get_state(stream) == PA_STREAM_CREATING)
        pa_threaded_mainloop_wait(loop);
    const bool recording = pa_stream_get_state(stream) == PA_STREAM_READY;
    pa_threaded_mainloop_unlock(loop);
    if (!recording) {
        std::fprintf(stderr, "the record stream did not open\n");
        return 1;
    }

    Skeleton window(ring, options.value("fft").toInt(), chart, waterfall);
    const QStringList size = options.value("size").split('x');
    window.resize(size.value(0).toInt(), size.value(1).toInt());
    window.show();
    std::printf("capturing\n");
    std::fflush(stdout);

    QTimer frameCounter;
    if (options.isSet("frames")) {
        QObject::connect(&frameCounter, &QTimer::timeout, [&window] {
            std::printf("frames %llu\n", static_cast<unsigned long long>(window.frames));
            std::fflush(stdout);
        });
        frameCounter.start(1000);
    }
    QTimer::singleShot(options.value("seconds").toInt() * 1000, &app, &QApplication::quit);
    const int status = app.exec();

    pa_threaded_mainloop_lock(loop);
    pa_stream_disconnect(stream);
    pa_stream_unref(stream);
    pa_context_disconnect(context);
    pa_context_unref(context);
    pa_threaded_mainloop_unlock(loop);
    pa_threaded_mainloop_stop(loop);
    pa_threaded_mainloop_free(loop);
    return status;
}
