// The chart's saved record in its name-keyed form: a store of values under the
// record's keys, each value of any automation type. What the chart takes must
// survive a save and reload unchanged, in this form and in the byte-stream
// form alike; a store it refuses must leave the chart as it was.
#include "fuzz_host.h"

#include <cstring>

using namespace automation;

namespace {

// The keys the record uses, the repeated names with their use count.
QStringList recordKeys()
{
    QStringList keys{"_Version", "_ExtentX", "_ExtentY", "_StockProps", "GroupAction"};
    for (int ch = 1; ch <= 16; ++ch) {
        const QString suffix = ch == 1 ? QString() : u'#' + QString::number(ch);
        keys << "Ymin" + suffix << "Ymax" + suffix;
    }
    keys << "PGRIDCOLOR" << "ERASECOLOR" << "PANNOTATION";
    for (int ch = 1; ch <= 16; ++ch)
        keys << QString::asprintf("PLINE%02d", ch);
    keys << "Channel" << "CaptionX" << "CaptionY" << "Step" << "Step#2" << "GridSpacingX" << "GridSpacingY"
         << "PenSize" << "Lock" << "ShowEraseBar" << "SolidBaseLine" << "ScrollMode" << "MarkEvents"
         << "DigitalMask" << "ShowLegend" << "BaseLineLegend";
    return keys;
}

Variant valueFrom(fuzzhost::Bytes& in)
{
    switch (in.byte() % 12) {
    case 0: return Variant(int16_t(in.u16()));
    case 1: return Variant(int32_t(in.u32()));
    case 2: {
        const uint32_t bits = in.u32();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return Variant(f);
    }
    case 3: {
        const uint64_t bits = uint64_t(in.u32()) | uint64_t(in.u32()) << 32;
        double v;
        std::memcpy(&v, &bits, sizeof v);
        return Variant(v);
    }
    case 4: return Variant(uint8_t(in.byte()));
    case 5: {
        const size_t n = std::min<size_t>(in.byte() % 24, in.left());
        const QString text = QString::fromLatin1(reinterpret_cast<const char*>(in.here()), qsizetype(n));
        in.skip(n);
        return Variant(text);
    }
    case 6: return Variant(BoolValue{int16_t(in.u16())});
    case 7: return Variant(NullValue{});
    case 8: return Variant(ErrorValue{int32_t(in.u32())});
    case 9: return Variant(SafeArray::shorts1D({int16_t(in.u16())}));
    case 10: return Variant();
    default: return Variant(int32_t(int8_t(in.byte())));  // small numbers, where the limits are
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzhost::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QStringList keys = recordKeys();
    fuzzhost::Bytes in(data, size);
    MemoryPropertyBag bag;
    while (in.left() > 0) {
        const uint8_t pick = in.byte();
        // Now and then a key of the input's own, to meet names the record does not use.
        QString key = keys[pick % keys.size()];
        if (pick >= 250) {
            const size_t n = std::min<size_t>(in.byte() % 16, in.left());
            key = QString::fromLatin1(reinterpret_cast<const char*>(in.here()), qsizetype(n));
            in.skip(n);
        }
        bag.write(key, valueFrom(in));
    }

    for (const char* extent : {"_ExtentX", "_ExtentY"}) {
        Variant pixels;
        if (const auto v = bag.read(QString::fromLatin1(extent));
            v && succeeded(changeType(*v, vtI4, pixels)) && fuzzhost::hugeWindow(asLong(pixels)))
            return 0;
    }

    const ComponentPtr chart = fuzzhost::createChart();
    Dispatch& d = *chart->dispatch();
    PersistPropertyBag& persist = *chart->persistPropertyBag();
    const QStringList before = fuzzhost::snapshot(d);
    const HResult loaded = persist.load(bag);
    FUZZ_CHECK(loaded == hr::ok || loaded == hr::fail);
    if (failed(loaded)) {
        FUZZ_CHECK(fuzzhost::snapshot(d) == before);
        return 0;
    }
    const QStringList first = fuzzhost::snapshot(d);

    // Saved by name and loaded into a new chart.
    MemoryPropertyBag saved;
    FUZZ_CHECK(persist.save(saved) == hr::ok);
    const ComponentPtr byName = fuzzhost::createChart();
    FUZZ_CHECK(byName->persistPropertyBag()->load(saved) == hr::ok);
    FUZZ_CHECK(fuzzhost::snapshot(*byName->dispatch()) == first);
    MemoryPropertyBag again;
    FUZZ_CHECK(byName->persistPropertyBag()->save(again) == hr::ok);
    FUZZ_CHECK(again.values().keys().size() == saved.values().keys().size());
    for (auto it = saved.values().cbegin(); it != saved.values().cend(); ++it) {
        const std::optional<Variant> other = again.read(it.key());
        FUZZ_CHECK(other && other->vt() == it.value().vt() && asString(*other) == asString(it.value()));
    }

    // The same settings through the byte-stream form.
    QByteArray stream;
    FUZZ_CHECK(chart->persistStream()->save(stream) == hr::ok);
    const ComponentPtr byStream = fuzzhost::createChart();
    FUZZ_CHECK(byStream->persistStream()->load(stream) == hr::ok);
    FUZZ_CHECK(fuzzhost::snapshot(*byStream->dispatch()) == first);
    return 0;
}
