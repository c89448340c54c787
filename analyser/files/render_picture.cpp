#include "render_picture.h"

#include "readouts.h"
#include "render_scales.h"

#include <interfaces/waterfall_colours.h>

#include <QPainter>

#include <cmath>

namespace vellarin {

namespace {

constexpr int leftMargin = 70;    // frequency labels
constexpr int bottomMargin = 34;  // time labels
constexpr int topMargin = 22;     // the file's name
constexpr int barGap = 14, barWidth = 16, barLabels = 56;

const QColor ground(0x20, 0x20, 0x24);
const QColor ink(0xdc, 0xdc, 0xdc);
const QColor tickInk(0x90, 0x90, 0x90);

}  // namespace

RenderLayout RenderLayout::of(QSize size)
{
    const int right = barGap + barWidth + barLabels;
    RenderLayout l;
    l.plot = QRect(leftMargin, topMargin, size.width() - leftMargin - right, size.height() - topMargin - bottomMargin);
    l.colourBar = QRect(l.plot.right() + 1 + barGap, l.plot.top(), barWidth, l.plot.height());
    return l;
}

void drawRenderFrame(RenderedFile& r, const RenderOptions& options, const QString& title)
{
    QImage& image = r.image;
    const QRect plot = r.layout.plot;
    const QRect bar = r.layout.colourBar;
    QPainter p(&image);
    // Around the plot only, whether the spectrogram is in it yet or not.
    p.setClipRegion(QRegion(image.rect()).subtracted(plot));
    p.fillRect(image.rect(), ground);

    QFont font = p.font();
    font.setPixelSize(11);
    p.setFont(font);
    const QFontMetrics metrics(font);
    auto label = [&](const QString& text, QPoint anchor, Qt::Alignment align) {
        QRect box = metrics.boundingRect(text);
        box.moveTo(0, 0);
        if (align & Qt::AlignRight)
            box.moveRight(anchor.x());
        else if (align & Qt::AlignHCenter)
            box.moveLeft(anchor.x() - box.width() / 2);
        else
            box.moveLeft(anchor.x());
        if (align & Qt::AlignVCenter)
            box.moveTop(anchor.y() - box.height() / 2);
        else
            box.moveTop(anchor.y());
        box = box.intersected(image.rect());
        p.setPen(ink);
        p.drawText(box, Qt::AlignCenter, text);
        r.labels.push_back({text, box});
    };

    // Frequency up the left side.
    const int mostFrequencies = std::max(2, plot.height() / 28);
    for (const ScaleTick& t : frequencyTicks(r.lowestHz, r.highestHz, options.logarithmic, mostFrequencies)) {
        const double fraction = fractionOf(t.value, r.lowestHz, r.highestHz, options.logarithmic);
        const int y = plot.bottom() - int(std::lround(fraction * (plot.height() - 1)));
        p.setPen(tickInk);
        p.drawLine(plot.left() - 5, y, plot.left() - 1, y);
        label(t.text, {plot.left() - 8, y}, Qt::AlignRight | Qt::AlignVCenter);
    }
    // Time across the foot.
    const int mostTimes = std::max(2, plot.width() / 90);
    for (const ScaleTick& t : timeTicks(r.seconds, mostTimes)) {
        const int x = plot.left() + int(std::lround(t.value / r.seconds * (plot.width() - 1)));
        p.setPen(tickInk);
        p.drawLine(x, plot.bottom() + 1, x, plot.bottom() + 5);
        label(t.text, {x, plot.bottom() + 8}, Qt::AlignHCenter | Qt::AlignTop);
    }
    // The colour bar: the waterfall's values 0..32767 bottom to top, which
    // are the levels of amplitude 1 to full scale.
    const auto& colours = cascadra::WaterfallColours::instance();
    for (int y = 0; y < bar.height(); ++y) {
        const double fraction = double(bar.height() - 1 - y) / std::max(bar.height() - 1, 1);
        const auto value = int16_t(std::lround(fraction * 32767));
        p.setPen(QColor::fromRgb(colours.colourOf(value)));
        p.drawLine(bar.left(), bar.top() + y, bar.right(), bar.top() + y);
    }
    const double topDb = levelDecibels(32767);
    for (const ScaleTick& t : decibelTicks(levelDecibels(0), topDb)) {
        const int y = bar.bottom() - int(std::lround(t.value / topDb * (bar.height() - 1)));
        p.setPen(tickInk);
        p.drawLine(bar.right() + 1, y, bar.right() + 4, y);
        label(t.text, {bar.right() + 7, y}, Qt::AlignLeft | Qt::AlignVCenter);
    }
    label(title, {plot.left(), 4}, Qt::AlignLeft | Qt::AlignTop);
}

}  // namespace vellarin
