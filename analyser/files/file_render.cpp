#include "file_render.h"

#include "components/fourel_binding.h"
#include "analyser_state.h"
#include "decode_ahead.h"
#include "levels.h"
#include "render_picture.h"
#include "render_scales.h"

#include <interfaces/waterfall_colours.h>

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vellarin {

namespace {

// The bins that fall on each pixel row, top row first: the bins whose
// frequency lies within the row's band, or the one nearest its middle where
// the band is narrower than a bin.
struct RowBins {
    int32_t first;
    int32_t last;
};

std::vector<RowBins> rowBins(int rows, double binHz, int32_t half, double lowest, double highest, bool logarithmic)
{
    std::vector<RowBins> map(static_cast<size_t>(rows));
    for (int r = 0; r < rows; ++r) {
        const double below = double(rows - 1 - r) / rows;
        const double above = double(rows - r) / rows;
        const double lo = frequencyAt(below, lowest, highest, logarithmic) / binHz;
        const double hi = frequencyAt(above, lowest, highest, logarithmic) / binHz;
        auto first = int32_t(std::ceil(lo));
        auto last = int32_t(std::ceil(hi)) - 1;
        if (first > last)
            first = last = int32_t(std::lround((lo + hi) / 2));
        map[size_t(r)] = {std::clamp(first, 0, half), std::clamp(last, 0, half)};
    }
    return map;
}

// The file's samples in order, a frame at a time, from frame starts that
// never go back: what a frame needs is kept, what lies before it let go.
class FrameReader {
public:
    FrameReader(DecodeAhead& source, int32_t n) : m_source(source), m_n(size_t(n)), m_buffer(4 * size_t(n) + 65536) {}

    // The n samples from `start` on (silence past the end).
    const int16_t* frameAt(int64_t start)
    {
        if (start >= m_base + int64_t(m_held)) {
            // Nothing held is wanted: skip ahead by reading through, as the
            // file may not seek cheaply.
            m_base += int64_t(m_held);
            m_held = 0;
            while (m_base < start) {
                const auto skip = size_t(std::min<int64_t>(start - m_base, int64_t(m_buffer.size())));
                const size_t got = m_source.read(m_buffer.data(), skip);
                m_base += int64_t(got);
                if (got < skip) {
                    m_base = start;
                    break;
                }
            }
            m_begin = 0;
        } else {
            m_begin = size_t(std::max<int64_t>(start - m_base, 0));
        }
        if (m_held - m_begin < m_n) {
            // Keep the frame's part that is held, at the front, and fill up
            // behind it: a frame start moves the rest only once per refill.
            std::memmove(m_buffer.data(), m_buffer.data() + m_begin, (m_held - m_begin) * sizeof(int16_t));
            m_held -= m_begin;
            m_base += int64_t(m_begin);
            m_begin = 0;
            m_held += m_source.read(m_buffer.data() + m_held, m_buffer.size() - m_held);
            if (m_held < m_n)
                std::fill(m_buffer.begin() + std::ptrdiff_t(m_held), m_buffer.begin() + std::ptrdiff_t(m_n), int16_t(0));
        }
        return m_buffer.data() + m_begin;
    }

private:
    DecodeAhead& m_source;
    size_t m_n;
    std::vector<int16_t> m_buffer;
    int64_t m_base = 0;   // the file frame of m_buffer[0]
    size_t m_begin = 0;   // where the last frame asked for starts in m_buffer
    size_t m_held = 0;    // samples in m_buffer
};

}  // namespace

RenderedFile renderFile(const QString& path, const RenderOptions& options, const RenderProgress& progress,
                        const std::atomic<bool>* cancel)
{
    RenderedFile out;
    const int32_t n = options.fftSize;
    if (n < 16 || n > MaxFFTSize || (n & (n - 1)) != 0) {
        out.error = QStringLiteral("%1: the FFT size %2 is not a power of two from 16 to %3").arg(path).arg(n).arg(MaxFFTSize);
        return out;
    }
    if (options.size.width() < smallestRender.width() || options.size.height() < smallestRender.height()) {
        out.error = QStringLiteral("%1: a picture of %2 x %3 has no room for its scales; it needs at least %4 x %5")
                        .arg(path)
                        .arg(options.size.width())
                        .arg(options.size.height())
                        .arg(smallestRender.width())
                        .arg(smallestRender.height());
        return out;
    }
    wavein::SoundFileError openError;
    const auto file = wavein::SoundFile::open(path, options.channel, openError);
    if (!file) {
        out.error = openError.message();
        return out;
    }
    // Decoding starts at once; loading the FFT component, laying out the
    // picture and drawing its scales take place meanwhile.
    DecodeAhead samples(*file);
    FourelBinding fft;
    if (fft.create() != automation::hr::ok) {
        out.error = QStringLiteral("%1: the FFT component could not be created").arg(path);
        return out;
    }

    const auto& info = file->info();
    const int32_t half = n / 2;
    const double binHz = double(info.rate) / n;
    out.layout = RenderLayout::of(options.size);
    out.lowestHz = options.logarithmic ? binHz : 0.0;
    out.highestHz = info.rate / 2.0;
    out.seconds = double(info.frames) / info.rate;
    const QRect plot = out.layout.plot;
    const int columns = plot.width();
    const std::vector<RowBins> rows = rowBins(plot.height(), binHz, half, out.lowestHz, out.highestHz, options.logarithmic);

    out.image = QImage(options.size, QImage::Format_RGB32);
    if (out.image.isNull()) {
        out.error = QStringLiteral("%1: no memory for a picture of %2 x %3")
                        .arg(path)
                        .arg(options.size.width())
                        .arg(options.size.height());
        return out;
    }
    // The frame leaves the plot alone, so it can go first.
    drawRenderFrame(out, options, QFileInfo(path).fileName());
    auto* const plotOrigin = reinterpret_cast<QRgb*>(out.image.scanLine(plot.top())) + plot.left();
    const auto pixelsPerLine = size_t(out.image.bytesPerLine()) / sizeof(QRgb);

    FrameReader reader(samples, n);
    WindowWeights window;
    window.choose(options.window);
    std::vector<double> fftData(2 * size_t(n) + 2);
    std::vector<int16_t> frameLevels(size_t(half) + 1);
    std::vector<int16_t> columnLevels(size_t(half) + 1);
    const auto& colours = cascadra::WaterfallColours::instance();
    const LevelWindow levelWindow;  // the waterfall's, undisturbed: amplitude 1 to full scale
    const int64_t frames = info.frames;
    int reported = -1;

    for (int c = 0; c < columns; ++c) {
        if (cancel && cancel->load(std::memory_order_relaxed)) {
            out.image = {};
            out.labels.clear();
            out.error = QStringLiteral("cancelled");
            return out;
        }
        // The column's stretch of the file, covered by back-to-back frames;
        // a stretch shorter than a frame gets the one frame centred on it.
        const int64_t from = frames * c / columns;
        const int64_t to = frames * (c + 1) / columns;
        int64_t start = to - from >= n ? from : std::clamp<int64_t>((from + to) / 2 - n / 2, 0, std::max<int64_t>(frames - n, 0));
        std::fill(columnLevels.begin(), columnLevels.end(), NoData);
        do {
            window.weigh(std::span(reader.frameAt(start), size_t(n)), fftData);
            int32_t length = n;
            fft.setTransformFlag(true);
            fft.fft(fftData.data(), length);
            computeBinLevels(fftData, n, frameLevels);
            for (size_t k = 0; k <= size_t(half); ++k)
                columnLevels[k] = std::max(columnLevels[k], frameLevels[k]);
            start += n;
        } while (start + n <= to);

        QRgb* pixel = plotOrigin + c;
        for (int r = 0; r < plot.height(); ++r, pixel += pixelsPerLine) {
            const RowBins& bins = rows[size_t(r)];
            int16_t level = NoData;
            for (int32_t k = bins.first; k <= bins.last; ++k)
                level = std::max(level, columnLevels[size_t(k)]);
            *pixel = colours.colourOf(waterfallValue(level, levelWindow));
        }
        if (progress && c * 100 / columns != reported) {
            reported = c * 100 / columns;
            progress(double(c) / columns);
        }
    }
    if (progress)
        progress(1.0);
    return out;
}

}  // namespace vellarin
