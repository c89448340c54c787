#include "trazel_binding.h"

#include <interfaces/trazel.h>

namespace vellarin {

using namespace automation;
namespace id = trazel::dispid;

HResult TrazelBinding::createFromRecord(const QByteArray& record)
{
    if (HResult r = create(sdk::classes::trazelChart); failed(r))
        return r;
    PersistStreamInit* stream = component()->persistStream();
    return stream ? stream->load(record) : hr::noInterface;
}

int32_t TrazelBinding::xmax() { return toLong(get(id::Xmax)); }
void TrazelBinding::setXmax(int32_t columns) { put(id::Xmax, Variant(columns)); }
int32_t TrazelBinding::ymin(int16_t channel) { return toLong(getIndexed(id::Ymin, Variant(channel))); }
void TrazelBinding::setYmin(int16_t channel, int32_t value) { putIndexed(id::Ymin, Variant(channel), Variant(value)); }
int32_t TrazelBinding::ymax(int16_t channel) { return toLong(getIndexed(id::Ymax, Variant(channel))); }
void TrazelBinding::setYmax(int16_t channel, int32_t value) { putIndexed(id::Ymax, Variant(channel), Variant(value)); }
void TrazelBinding::setKey(const QString& command) { put(id::Key, Variant(command)); }
void TrazelBinding::setScrollMode(bool on) { put(id::ScrollMode, Variant::fromBool(on)); }
void TrazelBinding::setSumWaveforms(int16_t value) { put(id::SumWaveforms, Variant(value)); }
void TrazelBinding::setDoubleActiveTrace(bool on) { put(id::DoubleActiveTrace, Variant::fromBool(on)); }
void TrazelBinding::setPersist(int16_t opacity) { put(id::Persist, Variant(opacity)); }
bool TrazelBinding::lock() { return toShort(get(id::Lock)) != 0; }
void TrazelBinding::setLock(bool on) { put(id::Lock, Variant::fromBool(on)); }

void TrazelBinding::setChannel(int16_t channel) { put(id::Channel, Variant(channel)); }
int32_t TrazelBinding::lineColour(int16_t channel) { return toLong(getIndexed(id::PLine, Variant(channel))); }
void TrazelBinding::setLineColour(int16_t channel, int32_t colour)
{
    putIndexed(id::PLine, Variant(channel), Variant(colour));
}

void TrazelBinding::chartEx(int16_t* buffer, int16_t channels, int16_t total)
{
    Variant args[] = {Variant::refShorts(buffer), Variant(channels), Variant(total)};
    call(id::ChartEx, args);
}

void TrazelBinding::copyToClipboard() { call(id::CopyToClipboard, {}); }

void TrazelBinding::onEvents(std::function<void(int32_t, int32_t)> chartChanged,
                             std::function<void(int32_t)> crossHair)
{
    setEventHandler([chartChanged = std::move(chartChanged), crossHair = std::move(crossHair)](
                        DispId event, std::span<const Variant> args) {
        if (event == trazel::eventid::ChartChanged && args.size() == 2 && chartChanged)
            chartChanged(toLong(args[0]), toLong(args[1]));
        else if (event == trazel::eventid::CrossHair && args.size() == 1 && crossHair)
            crossHair(toLong(args[0]));
    });
}

}  // namespace vellarin
