// Saving, loading and resetting the chart's settings, in both of the forms a
// container may keep them.
#include "property_record.h"
#include "trazel_ctrl.h"

#include <cmath>
#include <utility>

using namespace automation;

namespace trazel {

namespace {

constexpr qsizetype headerBytes = 16;  // version, extent, stock flags
constexpr double hundredthsMmPerInch = 2540;
constexpr int largestExtentPixels = 16384;

int32_t toHundredthsMm(int pixels, int dpi) { return static_cast<int32_t>(std::lround(pixels * hundredthsMmPerInch / dpi)); }

// Nothing when the extent does not give a window size a screen could hold.
std::optional<int> toPixels(int32_t hundredthsMm, int dpi)
{
    const double pixels = std::round(static_cast<double>(hundredthsMm) * dpi / hundredthsMmPerInch);
    if (pixels < 1 || pixels > largestExtentPixels)
        return std::nullopt;
    return static_cast<int>(pixels);
}

}  // namespace

RecordHeader CTrazelCtrl::currentHeader() const
{
    const QSize size = windowSize();
    const QPoint dpi = windowDpi();
    RecordHeader header;
    header.extentX = toHundredthsMm(size.width(), dpi.x());
    header.extentY = toHundredthsMm(size.height(), dpi.y());
    return header;
}

CTrazelCtrl::Extent CTrazelCtrl::applyExtent(const RecordHeader& header)
{
    const QPoint dpi = windowDpi();
    const auto w = toPixels(header.extentX, dpi.x());
    const auto h = toPixels(header.extentY, dpi.y());
    if (!w || !h || QSize(*w, *h) == windowSize())
        return Extent::unchanged;
    return resizeWindow(*w, *h) ? Extent::resized : Extent::outOfMemory;
}

// Loads into a copy, so a record that is not this control's, or one whose
// size the memory cannot hold, changes nothing.
HResult CTrazelCtrl::loadRecord(PropertyExchange& exchange)
{
    RecordHeader header = currentHeader();
    TrazelState loaded = state;
    exchangeRecord(exchange, header, loaded);
    if (header.version != recordVersion)
        return hr::fail;
    afterLoad(loaded);
    TrazelState previous = std::exchange(state, std::move(loaded));
    rebuildDrawingTools(state);
    state.SweepX = 0;
    switch (applyExtent(header)) {
    case Extent::unchanged:
        fullRedraw();
        break;
    case Extent::resized:
        break;
    case Extent::outOfMemory:
        // The surfaces are as they were, drawn with the settings before the load.
        state = std::move(previous);
        return hr::outOfMemory;
    }
    m_modified = false;
    return hr::ok;
}

HResult CTrazelCtrl::initNew()
{
    DefaultsExchange defaults;
    return loadRecord(defaults);
}

// A record cut short loads what it holds, the rest takes its defaults, and
// the answer is falseResult. Bytes after the record are not ours and are
// left unread. Less than the header, or another version, is refused.
HResult CTrazelCtrl::load(QByteArrayView stream)
{
    if (stream.size() < headerBytes)
        return hr::fail;
    StreamLoadExchange exchange(stream);
    if (const HResult r = loadRecord(exchange); failed(r))
        return r;
    return exchange.ranShort() ? hr::falseResult : hr::ok;
}

HResult CTrazelCtrl::save(QByteArray& stream)
{
    stream.clear();
    RecordHeader header = currentHeader();
    StreamSaveExchange exchange(stream);
    exchangeRecord(exchange, header, state);
    m_modified = false;
    return hr::ok;
}

HResult CTrazelCtrl::isDirty() const { return m_modified ? hr::ok : hr::falseResult; }

// Missing or unreadable values take their defaults.
HResult CTrazelCtrl::load(const PropertyBag& bag)
{
    BagLoadExchange exchange(bag);
    return loadRecord(exchange);
}

HResult CTrazelCtrl::save(PropertyBag& bag)
{
    RecordHeader header = currentHeader();
    BagSaveExchange exchange(bag);
    exchangeRecord(exchange, header, state);
    m_modified = false;
    return hr::ok;
}

}  // namespace trazel
