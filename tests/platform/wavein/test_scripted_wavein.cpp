#include <scripted_wavein.h>

#include <QTest>

#include <array>
#include <cstring>

using namespace wavein;
using Op = ScriptedWaveIn::Op;

Q_DECLARE_METATYPE(wavein::ScriptedWaveIn::Op)
Q_DECLARE_METATYPE(wavein::WaveFormat)

namespace {

WaveFormat mono16(uint32_t rate)
{
    WaveFormat f;
    f.samplesPerSec = rate;
    f.avgBytesPerSec = rate * 2;
    return f;
}

// A few capture buffers of 512 samples, as the analyser queues them.
struct Buffers {
    static constexpr int count = 4;
    std::array<std::array<char, 1024>, count> memory{};
    std::array<WaveHeader, count> headers;

    Buffers()
    {
        for (int i = 0; i < count; ++i) {
            headers[i].data = memory[i].data();
            headers[i].bufferLength = 1024;
        }
    }
    int16_t sample(int buffer, int index) const
    {
        int16_t v;
        std::memcpy(&v, memory[buffer].data() + 2 * index, 2);
        return v;
    }
    bool done(int buffer) const { return headers[buffer].flags.load(std::memory_order_acquire) & headerDone; }
};

// Brings header 0 into one of the states a header passes through.
enum class HeaderState { fresh, prepared, queued, done };

void bringTo(ScriptedWaveIn& dev, Handle h, WaveHeader& header, HeaderState state)
{
    if (state == HeaderState::fresh)
        return;
    QCOMPARE(dev.prepareHeader(h, header), result::ok);
    if (state == HeaderState::prepared)
        return;
    QCOMPARE(dev.addBuffer(h, header), result::ok);
    if (state == HeaderState::done)
        QCOMPARE(dev.completeBuffers(1), 1);
}

MmResult callOp(ScriptedWaveIn& dev, Op op, Handle h, WaveHeader& header)
{
    Handle opened = 0;
    WaveInCaps caps;
    switch (op) {
    case Op::getNumDevs: return dev.getNumDevs() ? result::ok : result::error;
    case Op::getDevCaps: return dev.getDevCaps(0, caps);
    case Op::open: return dev.open(opened, 0, mono16(44100));
    case Op::prepare: return dev.prepareHeader(h, header);
    case Op::unprepare: return dev.unprepareHeader(h, header);
    case Op::add: return dev.addBuffer(h, header);
    case Op::start: return dev.start(h);
    case Op::stop: return dev.stop(h);
    case Op::reset: return dev.reset(h);
    case Op::close: return dev.close(h);
    }
    return result::error;
}

}  // namespace

Q_DECLARE_METATYPE(HeaderState)

class TestScriptedWaveIn : public QObject {
    Q_OBJECT
private slots:
    void openChecks_data();
    void openChecks();
    void headerRules_data();
    void headerRules();
    void staleAndNullHandles_data();
    void staleAndNullHandles();
    void completesInQueueOrder();
    void resetReturnsEveryQueuedBuffer();
    void injectedFailure_data();
    void injectedFailure();
    void deadStreamStillCloses();
};

void TestScriptedWaveIn::openChecks_data()
{
    QTest::addColumn<uint32_t>("device");
    QTest::addColumn<WaveFormat>("format");
    QTest::addColumn<MmResult>("expected");

    WaveFormat stereo = mono16(44100);
    stereo.channels = 2;
    WaveFormat eightBit = mono16(8000);
    eightBit.bitsPerSample = 8;
    WaveFormat wrongAverage = mono16(22050);
    wrongAverage.avgBytesPerSec = 22050;
    WaveFormat wrongTag = mono16(8000);
    wrongTag.formatTag = 3;

    QTest::newRow("44100 on device 1") << 1u << mono16(44100) << result::ok;
    QTest::newRow("8000") << 0u << mono16(8000) << result::ok;
    QTest::newRow("rate 0") << 0u << mono16(0) << result::badFormat;
    QTest::newRow("stereo") << 0u << stereo << result::badFormat;
    QTest::newRow("8 bit") << 0u << eightBit << result::badFormat;
    QTest::newRow("average disagrees with rate") << 0u << wrongAverage << result::badFormat;
    QTest::newRow("not PCM") << 0u << wrongTag << result::badFormat;
    QTest::newRow("index past the list") << 2u << mono16(44100) << result::badDeviceId;
}

void TestScriptedWaveIn::openChecks()
{
    QFETCH(uint32_t, device);
    QFETCH(WaveFormat, format);
    QFETCH(MmResult, expected);

    ScriptedWaveIn dev({"mic", "line"});
    Handle h = 0;
    QCOMPARE(dev.open(h, device, format), expected);
    QCOMPARE(dev.lastFormat().samplesPerSec, format.samplesPerSec);
    QCOMPARE(dev.lastFormat().channels, format.channels);
    QCOMPARE(h != 0, expected == result::ok);
    QCOMPARE(dev.streamState(h), expected == result::ok ? StreamState::stopped : StreamState::closed);
    if (expected == result::ok) {
        Handle second = 0;
        QCOMPARE(dev.open(second, device, format), result::allocated);  // the device is busy
        QCOMPARE(second, Handle(0));
    }
}

void TestScriptedWaveIn::headerRules_data()
{
    QTest::addColumn<HeaderState>("state");
    QTest::addColumn<Op>("op");
    QTest::addColumn<MmResult>("expected");
    QTest::addColumn<uint32_t>("flagsAfter");

    QTest::newRow("add unprepared") << HeaderState::fresh << Op::add << result::unprepared << 0u;
    QTest::newRow("prepare fresh") << HeaderState::fresh << Op::prepare << result::ok << headerPrepared;
    QTest::newRow("prepare twice") << HeaderState::prepared << Op::prepare << result::ok << headerPrepared;
    QTest::newRow("unprepare fresh") << HeaderState::fresh << Op::unprepare << result::ok << 0u;
    QTest::newRow("add prepared") << HeaderState::prepared << Op::add << result::ok << (headerPrepared | headerInQueue);
    QTest::newRow("add twice") << HeaderState::queued << Op::add << result::stillPlaying << (headerPrepared | headerInQueue);
    QTest::newRow("prepare queued") << HeaderState::queued << Op::prepare << result::stillPlaying
                                    << (headerPrepared | headerInQueue);
    QTest::newRow("unprepare queued") << HeaderState::queued << Op::unprepare << result::stillPlaying
                                      << (headerPrepared | headerInQueue);
    QTest::newRow("unprepare done") << HeaderState::done << Op::unprepare << result::ok << headerDone;
    QTest::newRow("requeue done") << HeaderState::done << Op::add << result::ok << (headerPrepared | headerInQueue);
}

void TestScriptedWaveIn::headerRules()
{
    QFETCH(HeaderState, state);
    QFETCH(Op, op);
    QFETCH(MmResult, expected);
    QFETCH(uint32_t, flagsAfter);

    ScriptedWaveIn dev;
    Handle h = 0;
    QCOMPARE(dev.open(h, 0, mono16(44100)), result::ok);
    QCOMPARE(dev.start(h), result::ok);
    Buffers b;
    bringTo(dev, h, b.headers[0], state);
    QCOMPARE(callOp(dev, op, h, b.headers[0]), expected);
    QCOMPARE(b.headers[0].flags.load(), flagsAfter);
}

void TestScriptedWaveIn::staleAndNullHandles_data()
{
    QTest::addColumn<Op>("op");
    for (Op op : {Op::prepare, Op::unprepare, Op::add, Op::start, Op::stop, Op::reset, Op::close})
        QTest::newRow(ScriptedWaveIn::opName(op)) << op;
}

void TestScriptedWaveIn::staleAndNullHandles()
{
    QFETCH(Op, op);
    ScriptedWaveIn dev;
    Buffers b;
    Handle stale = 0;
    QCOMPARE(dev.open(stale, 0, mono16(44100)), result::ok);
    QCOMPARE(dev.close(stale), result::ok);
    Handle current = 0;
    QCOMPARE(dev.open(current, 0, mono16(44100)), result::ok);
    QVERIFY(current != stale);

    for (Handle bad : {Handle(0), stale, Handle(current + 1)}) {
        QCOMPARE(callOp(dev, op, bad, b.headers[0]), result::invalidHandle);
        QCOMPARE(b.headers[0].flags.load(), 0u);
    }
    QCOMPARE(dev.streamState(current), StreamState::stopped);  // the open stream is untouched
}

void TestScriptedWaveIn::completesInQueueOrder()
{
    ScriptedWaveIn dev;
    Handle h = 0;
    Buffers b;
    QCOMPARE(dev.open(h, 0, mono16(44100)), result::ok);
    // Queued out of index order: the device follows the queue, not the index.
    for (int i : {2, 0, 3}) {
        QCOMPARE(dev.prepareHeader(h, b.headers[i]), result::ok);
        QCOMPARE(dev.addBuffer(h, b.headers[i]), result::ok);
    }
    const auto ramp = [](uint64_t n) { return int16_t(n); };
    QCOMPARE(dev.completeBuffers(2, ramp), 0);  // not started: nothing is recorded
    QCOMPARE(dev.start(h), result::ok);
    QCOMPARE(dev.streamState(h), StreamState::running);

    QCOMPARE(dev.completeBuffers(2, ramp), 2);
    QVERIFY(b.done(2) && b.done(0) && !b.done(3));
    QCOMPARE(b.sample(2, 0), int16_t(0));
    QCOMPARE(b.sample(2, 511), int16_t(511));
    QCOMPARE(b.sample(0, 0), int16_t(512));  // the samples run on across buffers
    QCOMPARE(b.headers[0].bytesRecorded, 1024u);
    QCOMPARE(b.headers[2].flags.load(), headerPrepared | headerDone);

    QCOMPARE(dev.completeBuffers(5, ramp), 1);  // only one left in the queue
    QCOMPARE(b.sample(3, 0), int16_t(1024));
    QCOMPARE(dev.samplesRecorded(), uint64_t(1536));
    QVERIFY(dev.queue().empty());
}

void TestScriptedWaveIn::resetReturnsEveryQueuedBuffer()
{
    ScriptedWaveIn dev;
    Handle h = 0;
    Buffers b;
    QCOMPARE(dev.open(h, 0, mono16(8000)), result::ok);
    QCOMPARE(dev.start(h), result::ok);
    for (auto& header : b.headers) {
        QCOMPARE(dev.prepareHeader(h, header), result::ok);
        QCOMPARE(dev.addBuffer(h, header), result::ok);
    }
    QCOMPARE(dev.completeBuffers(1, [](uint64_t) { return int16_t(7); }), 1);
    QCOMPARE(dev.close(h), result::stillPlaying);  // buffers still belong to the device
    QCOMPARE(dev.stop(h), result::ok);
    QCOMPARE(dev.queue().size(), size_t(3));  // stop keeps the queue
    QCOMPARE(dev.reset(h), result::ok);
    QVERIFY(dev.queue().empty());
    for (int i = 0; i < Buffers::count; ++i) {
        QCOMPARE(b.headers[i].flags.load(), headerPrepared | headerDone);
        QCOMPARE(b.headers[i].bytesRecorded, i == 0 ? 1024u : 0u);
        QCOMPARE(dev.unprepareHeader(h, b.headers[i]), result::ok);
    }
    QCOMPARE(dev.close(h), result::ok);
    QCOMPARE(dev.streamState(h), StreamState::closed);
}

void TestScriptedWaveIn::injectedFailure_data()
{
    QTest::addColumn<Op>("op");
    QTest::addColumn<int>("nth");
    QTest::addColumn<MmResult>("failure");

    QTest::newRow("next open") << Op::open << 1 << result::allocated;
    QTest::newRow("next start") << Op::start << 1 << result::error;
    QTest::newRow("third prepare") << Op::prepare << 3 << result::noMemory;
    QTest::newRow("second add") << Op::add << 2 << result::invalidParameter;
    QTest::newRow("next stop") << Op::stop << 1 << result::error;
    QTest::newRow("next reset") << Op::reset << 1 << result::noDriver;
    QTest::newRow("next close") << Op::close << 1 << result::error;
}

void TestScriptedWaveIn::injectedFailure()
{
    QFETCH(Op, op);
    QFETCH(int, nth);
    QFETCH(MmResult, failure);

    // The analyser's whole cycle: open, start, queue, stop, reset, unprepare,
    // close. The injected call fails and the cycle goes on around it.
    ScriptedWaveIn dev;
    dev.failCall(op, failure, nth);
    Buffers b;
    Handle h = 0;
    MmResult opened = dev.open(h, 0, mono16(44100));
    if (opened != result::ok)
        QCOMPARE(dev.open(h, 0, mono16(44100)), result::ok);
    dev.start(h);
    for (auto& header : b.headers) {
        if (dev.prepareHeader(h, header) == result::ok)
            dev.addBuffer(h, header);
    }
    dev.stop(h);
    dev.reset(h);
    for (auto& header : b.headers)
        dev.unprepareHeader(h, header);
    if (dev.close(h) != result::ok) {
        dev.reset(h);  // a failed reset leaves the buffers with the device
        QCOMPARE(dev.close(h), result::ok);
    }

    int seen = 0;
    for (const auto& call : dev.calls()) {
        if (call.op != op)
            continue;
        ++seen;
        QCOMPARE(call.result, seen == nth ? failure : result::ok);
    }
    QVERIFY(seen >= nth);
    QCOMPARE(dev.streamState(h), StreamState::closed);
}

void TestScriptedWaveIn::deadStreamStillCloses()
{
    ScriptedWaveIn dev;
    Handle h = 0;
    Buffers b;
    QCOMPARE(dev.open(h, 0, mono16(44100)), result::ok);
    QCOMPARE(dev.start(h), result::ok);
    QCOMPARE(dev.prepareHeader(h, b.headers[0]), result::ok);
    QCOMPARE(dev.addBuffer(h, b.headers[0]), result::ok);
    dev.failStream();
    QCOMPARE(dev.streamState(h), StreamState::failed);
    QCOMPARE(dev.completeBuffers(1), 0);
    QCOMPARE(dev.stop(h), result::ok);
    QCOMPARE(dev.reset(h), result::ok);
    QVERIFY(b.done(0));
    QCOMPARE(dev.unprepareHeader(h, b.headers[0]), result::ok);
    QCOMPARE(dev.close(h), result::ok);
    Handle again = 0;
    QCOMPARE(dev.open(again, 0, mono16(44100)), result::ok);  // a new stream records again
    QCOMPARE(dev.streamState(again), StreamState::stopped);
}

QTEST_GUILESS_MAIN(TestScriptedWaveIn)
#include "test_scripted_wavein.moc"
