// Key command strings as a host puts them, one command per line of the input,
// all on one chart, then a data call so the annotations and tick lines also
// meet a plot.
#include "fuzz_host.h"

#include <interfaces/trazel.h>

using namespace automation;
namespace id = trazel::dispid;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzhost::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const ComponentPtr chart = fuzzhost::createChart();
    Dispatch& d = *chart->dispatch();
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));

    for (const QByteArray& line : input.split('\n')) {
        const QString command = QString::fromUtf8(line);
        FUZZ_CHECK(d.put(id::Key, command) == hr::ok);
        // 'A', 'a', 'D' and 's' do only their own work; every other command
        // ends with the chart text cleared.
        const char first = line.isEmpty() ? '\0' : line.front();
        Variant text;
        FUZZ_CHECK(d.get(id::ChartText, text) == hr::ok);
        if (first == 's') {
            bool isNumber = false;
            asString(text).toInt(&isNumber);
            FUZZ_CHECK(isNumber);
        } else if (!QByteArrayView("AaD").contains(first)) {
            FUZZ_CHECK(asString(text).isEmpty());
        }
    }

    Variant ignored;
    FUZZ_CHECK(d.get(id::Key, ignored) != hr::ok);  // write-only
    Variant ramp[] = {Variant(SafeArray::shorts1D({-30000, -1000, 0, 1000, 30000, 3, 2, 1}))};
    FUZZ_CHECK(d.call(id::Chart, ramp) == hr::ok);
    return 0;
}
