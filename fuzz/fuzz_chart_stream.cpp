// The chart's saved record in its byte-stream form, as a container hands it
// back: a record the chart takes must come out of a save unchanged by a second
// round, and a record it refuses must leave the chart as it was.
#include "fuzz_host.h"

#include <algorithm>

using namespace automation;

namespace {

constexpr qsizetype recordBytes = 246;
// Where the fields a load puts right lie in the record.
constexpr int extentAt = 4, groupAt = 16, plotStepAt = 227, stepSettingAt = 229, gridXAt = 231, gridYAt = 233,
              penSizeAt = 235, firstFlagAt = 237, showLegendAt = 244, baseLineLegendAt = 245;

int16_t shortAt(const QByteArray& r, int at) { return int16_t(uint8_t(r[at]) | uint8_t(r[at + 1]) << 8); }
void setShort(QByteArray& r, int at, int16_t v)
{
    r[at] = char(v & 0xFF);
    r[at + 1] = char(uint16_t(v) >> 8);
}

// A whole record saves as it was loaded, but for the base control's part (the
// window's own extent, in whole pixels, and no stock properties), flags (saved as 0 or 1) and the settings
// no property put would have let in, which take their nearest allowed value.
QByteArray expectedSave(QByteArray r, const QByteArray& saved)
{
    r.truncate(recordBytes);
    for (int at = extentAt; at < groupAt; ++at)
        r[at] = saved[at];
    for (int at : {groupAt, firstFlagAt, firstFlagAt + 1, firstFlagAt + 2, firstFlagAt + 3, firstFlagAt + 4,
                   showLegendAt, baseLineLegendAt})
        r[at] = char(r[at] != 0);
    const int16_t plotStep = std::max<int16_t>(shortAt(r, plotStepAt), 1);
    int16_t stepSetting = std::max<int16_t>(shortAt(r, stepSettingAt), -20);
    if (stepSetting == 0)
        stepSetting = plotStep;
    setShort(r, plotStepAt, plotStep);
    setShort(r, stepSettingAt, stepSetting);
    for (int at : {gridXAt, gridYAt})
        if (shortAt(r, at) == 0)
            setShort(r, at, 20);
    if (const int16_t pen = shortAt(r, penSizeAt); pen < 1 || pen > 15)
        setShort(r, penSizeAt, 1);
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzhost::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzhost::Bytes header(data, size);
    header.skip(extentAt);
    if (fuzzhost::hugeWindow(int32_t(header.u32())) || fuzzhost::hugeWindow(int32_t(header.u32())))
        return 0;

    const ComponentPtr chart = fuzzhost::createChart();
    Dispatch& d = *chart->dispatch();
    PersistStreamInit& stream = *chart->persistStream();

    const QStringList before = fuzzhost::snapshot(d);
    const HResult loaded = stream.load(QByteArrayView(data, qsizetype(size)));
    FUZZ_CHECK(loaded == hr::ok || loaded == hr::falseResult || loaded == hr::fail);
    if (failed(loaded)) {
        FUZZ_CHECK(fuzzhost::snapshot(d) == before);
        return 0;
    }
    // A short record answers falseResult; a whole one, ok.
    FUZZ_CHECK((loaded == hr::ok) == (size >= size_t(recordBytes)));
    FUZZ_CHECK(stream.isDirty() == hr::falseResult);

    const QStringList first = fuzzhost::snapshot(d);
    QByteArray saved;
    FUZZ_CHECK(stream.save(saved) == hr::ok);
    FUZZ_CHECK(saved.size() == recordBytes);
    if (loaded == hr::ok)
        FUZZ_CHECK(saved == expectedSave(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), saved));

    // Into a new chart, as a form reopened.
    const ComponentPtr reopened = fuzzhost::createChart();
    FUZZ_CHECK(reopened->persistStream()->load(saved) == hr::ok);
    FUZZ_CHECK(fuzzhost::snapshot(*reopened->dispatch()) == first);
    QByteArray again;
    FUZZ_CHECK(reopened->persistStream()->save(again) == hr::ok);
    FUZZ_CHECK(again == saved);
    return 0;
}
