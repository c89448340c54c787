// AddLine as a host calls it, with whatever array it passes, on a waterfall of
// any scroll direction, view and size. A line that is no line is refused
// with the picture left as it was; every other line is taken.
#include "fuzz_host.h"

#include <interfaces/cascadra.h>

#include <QImage>

using namespace automation;
namespace dispid = cascadra::dispid;

namespace {

// The array and whether it is a line: 16-bit elements, one dimension from
// index 0, as many elements as it declares.
std::pair<SafeArray, bool> lineFrom(fuzzhost::Bytes& in)
{
    const uint8_t shape = in.byte();
    SafeArray a;
    a.shorts.resize(std::min<size_t>(in.u16() % 2048, in.left() / 2));
    for (int16_t& level : a.shorts)
        level = int16_t(in.u16());
    a.shorts.shrink_to_fit();
    const int32_t count = int32_t(a.shorts.size());
    switch (shape % 8) {
    case 0: a.bounds = {{count + int32_t(int8_t(in.byte())), 0}}; break;  // a count that may not match
    case 1: a.bounds = {{count, 1}}; break;
    case 2: a.bounds = {{count, 0}, {1, 0}}; break;
    case 3:
        a.elementType = vtR8;
        a.numbers.assign(a.shorts.begin(), a.shorts.end());
        a.shorts.clear();
        a.bounds = {{count, 0}};
        break;
    default: a.bounds = {{count, 0}}; break;
    }
    const bool isLine = a.elementType == vtI2 && a.dimensions() == 1 && a.bounds[0].lowerBound == 0
        && a.bounds[0].count == int32_t(a.shorts.size());
    return {std::move(a), isLine};
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzhost::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzhost::Bytes in(data, size);
    const ComponentPtr waterfall = fuzzhost::create(sdk::classes::cascadra);
    Dispatch& d = *waterfall->dispatch();
    QWidget& view = *waterfall->control()->widget();

    const int32_t direction = int32_t(in.byte() % 8) - 1;  // -1 and 6 are no direction
    FUZZ_CHECK(d.put(dispid::ScrollDirection, Variant(direction)) == hr::ok);
    FUZZ_CHECK(d.put(dispid::View3D, Variant(int32_t(in.byte() % 3))) == hr::ok);
    // Hidden: the picture follows the view's size all the same, at a fraction of the cost.
    view.resize(in.byte() % 160, in.byte() % 120);

    for (int call = 0; call < 6 && in.left() > 0; ++call) {
        auto [line, isLine] = lineFrom(in);
        const QImage before = isLine ? QImage() : view.grab().toImage();
        Variant args[] = {Variant(std::move(line))};
        const HResult r = d.call(dispid::AddLine, args);
        if (isLine) {
            FUZZ_CHECK(r == hr::ok);
        } else {
            FUZZ_CHECK(r == hr::typeMismatch || r == hr::invalidArg);
            FUZZ_CHECK(view.grab().toImage() == before);
        }
        // A host may change the view, or its size, between lines.
        switch (in.byte() % 8) {
        case 0: FUZZ_CHECK(d.put(dispid::View3D, Variant(int32_t(in.byte() % 2))) == hr::ok); break;
        case 1: view.resize(in.byte() % 160, in.byte() % 120); break;
        default: break;
        }
    }
    return 0;
}
