// The Chart method's data argument, whatever a host puts in it, on a chart
// whose plotting settings come from the input too. Contents the chart does not
// take must leave its picture as it was; those it takes must never be read
// past their end (the elements are held in storage of exactly their size).
#include "fuzz_host.h"

#include <interfaces/trazel.h>

#include <QImage>

#include <cstring>

using namespace automation;
namespace id = trazel::dispid;

namespace {

constexpr size_t mostElements = 4096;

std::vector<int16_t> elements(fuzzhost::Bytes& in, size_t wanted)
{
    std::vector<int16_t> v(std::min({wanted, in.left() / 2, mostElements}));
    for (int16_t& e : v)
        e = int16_t(in.u16());
    return v;
}

int32_t declared(fuzzhost::Bytes& in, int32_t actual)
{
    // Mostly the true count; now and then a count that does not match.
    const uint8_t how = in.byte();
    return how < 200 ? actual : int32_t(in.u32());
}

// The value and whether the chart is to take it.
std::pair<Variant, bool> argument(fuzzhost::Bytes& in)
{
    switch (in.byte() % 13) {
    case 0: return {Variant(int16_t(in.u16())), true};
    case 1: return {Variant(int32_t(in.u32())), true};
    case 2: {
        const uint32_t bits = in.u32();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return {Variant(f), true};
    }
    case 3: {
        const uint64_t bits = uint64_t(in.u32()) | uint64_t(in.u32()) << 32;
        double v;
        std::memcpy(&v, &bits, sizeof v);
        return {Variant(v), true};
    }
    case 4: {
        SafeArray a;
        a.shorts = elements(in, in.u16());
        a.bounds = {{declared(in, int32_t(a.shorts.size())), int32_t(int8_t(in.byte()))}};
        return {Variant(std::move(a)), false};
    }
    case 5: {
        const int32_t channels = 1 + in.byte() % 20;
        SafeArray a;
        a.shorts = elements(in, size_t(channels) * in.u16());
        a.bounds = {{declared(in, channels), 0}, {declared(in, int32_t(a.shorts.size()) / channels), 0}};
        return {Variant(std::move(a)), false};
    }
    case 6: {
        SafeArray a;
        a.shorts = elements(in, 8);
        a.bounds = {{2, 0}, {2, 0}, {2, 0}};
        return {Variant(std::move(a)), false};  // three dimensions
    }
    case 7: {
        SafeArray a;
        a.elementType = vtR8;
        a.numbers = {1.0, 2.0, 3.0};
        a.bounds = {{3, 0}};
        return {Variant(std::move(a)), false};
    }
    case 8: {
        static int16_t held[4] = {100, 200, 300, 400};
        return {Variant::refShorts(held), false};
    }
    case 9: return {Variant(QString::number(int16_t(in.u16()))), false};
    case 10: return {Variant(), false};
    case 11: return {Variant(NullValue{}), false};
    default: return {Variant(BoolValue{variantTrue}), false};
    }
}

// An array is taken when it carries 16-bit elements and covers at least one point.
bool taken(const Variant& v, bool scalar)
{
    if (scalar)
        return true;
    const SafeArray* a = v.array();
    if (!a || a->elementType != vtI2 || a->shorts.empty())
        return false;
    if (a->dimensions() == 1)
        return a->bounds[0].count > 0;
    if (a->dimensions() == 2)
        return a->bounds[0].count > 0 && a->bounds[1].count > 0
            && int64_t(a->shorts.size()) / a->bounds[0].count > 0;
    return false;
}

QImage shown(QWidget& w) { return w.grab().toImage(); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzhost::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzhost::Bytes in(data, size);
    const ComponentPtr chart = fuzzhost::createChart();
    Dispatch& d = *chart->dispatch();
    QWidget& window = *chart->control()->widget();

    // The plotting settings; every put of a setting a host may make succeeds.
    const uint8_t flags = in.byte();
    const DispId switches[] = {id::ScrollMode, id::SumWaveforms, id::MarkEvents, id::ShowLegend,
                               id::BaseLineLegend, id::DoubleActiveTrace, id::ShowEraseBar, id::SolidBaseLine};
    for (int bit = 0; bit < 8; ++bit)
        FUZZ_CHECK(d.put(switches[bit], Variant::fromBool(flags >> bit & 1)) == hr::ok);
    FUZZ_CHECK(d.put(id::Step, Variant(int16_t(int8_t(in.byte()) % 24))) == hr::ok);
    FUZZ_CHECK(d.put(id::Channel, Variant(int16_t(int8_t(in.byte())))) == hr::ok);
    FUZZ_CHECK(d.put(id::ChannelMask, Variant(int32_t(in.u16()))) == hr::ok);
    FUZZ_CHECK(d.put(id::ActiveChannel, Variant(int16_t(in.byte() % 16))) == hr::ok);
    const uint8_t digital = in.byte();
    FUZZ_CHECK(d.put(id::DigitalMask, Variant(int16_t(digital & 1 ? in.u16() : 0))) == hr::ok);
    FUZZ_CHECK(d.put(id::Persist, Variant(int16_t(in.byte()))) == hr::ok);
    const int16_t scaled = int16_t(in.byte() % 16);
    d.putIndexed(id::Ymin, Variant(scaled), Variant(int32_t(in.u32())));
    d.putIndexed(id::Ymax, Variant(scaled), Variant(int32_t(in.u32())));
    d.putIndexed(id::BaseLine, Variant(scaled), Variant(int32_t(in.u32())));

    for (int call = 0; call < 8 && in.left() > 0; ++call) {
        auto [value, scalar] = argument(in);
        const bool takes = taken(value, scalar);
        const QImage before = takes ? QImage() : shown(window);
        Variant args[] = {std::move(value)};
        FUZZ_CHECK(d.call(id::Chart, args) == hr::ok);
        if (!takes)
            FUZZ_CHECK(shown(window) == before);
    }
    return 0;
}
