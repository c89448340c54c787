// The wave input against a PulseAudio server of the test's own: a tone
// played into a null sink is recorded from the sink's monitor, straight from
// the server (built with WAVEIN_BACKEND_SERVER) or over PortAudio through the
// ALSA "pulse" (or "default") device.
#include "private_sound_server.h"

#include <wavein/wavein.h>

#include <QTest>

#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <numbers>
#include <thread>
#include <vector>

using namespace wavein;
using namespace std::chrono_literals;

namespace {

constexpr uint32_t rate = 44100;
constexpr double toneHz = 1000;
constexpr double toneAmplitude = 0.5;  // of full scale

WaveFormat mono16(uint32_t samplesPerSec)
{
    WaveFormat f;
    f.samplesPerSec = samplesPerSec;
    f.avgBytesPerSec = samplesPerSec * 2;
    return f;
}

#ifdef WAVEIN_BACKEND_SERVER
constexpr Backend backend = Backend::server;
#else
constexpr Backend backend = Backend::alsa;
#endif

std::unique_ptr<WaveInApi> createDevice()
{
    return createSystemWaveIn(backend);
}

// The private server's sink monitor: by its server name from the server,
// through the ALSA plugin's device otherwise.
int serverDevice(WaveInApi& dev)
{
    int fallback = -1;
    for (uint32_t d = 0, n = dev.getNumDevs(); d < n; ++d) {
        WaveInCaps caps;
        if (dev.getDevCaps(d, caps) != result::ok)
            continue;
        if (caps.productName == "pulse" || caps.serverName == "t.monitor")
            return int(d);
        if (caps.productName == "default")
            fallback = int(d);
    }
    return fallback;
}

// Amplitude of the component at hertz, over a whole number of its periods.
double amplitudeAt(const std::vector<int16_t>& samples, double hertz)
{
    const size_t n = size_t(std::floor(std::min<double>(samples.size(), 8 * 4410) * hertz / rate) * rate / hertz);
    const auto first = samples.end() - ptrdiff_t(n);
    double re = 0, im = 0;
    for (size_t i = 0; i < n; ++i) {
        const double phase = 2 * std::numbers::pi * hertz * double(i) / rate;
        re += first[ptrdiff_t(i)] * std::cos(phase);
        im += first[ptrdiff_t(i)] * std::sin(phase);
    }
    return 2 * std::hypot(re, im) / double(n);
}

// First and last sample from `from` on that is clearly not silence, and the
// longest run of silence between them; {-1, -1, 0} when there is none.
struct Loud {
    ptrdiff_t first = -1, last = -1, longestQuiet = 0;
};
Loud loudPart(const std::vector<int16_t>& samples, size_t from)
{
    constexpr int quiet = 1000;  // a 1 kHz tone at half scale is below it for at most one sample per crossing
    Loud loud;
    ptrdiff_t run = 0;
    for (size_t i = from; i < samples.size(); ++i) {
        if (std::abs(samples[i]) <= quiet) {
            ++run;
            continue;
        }
        if (loud.first < 0)
            loud.first = ptrdiff_t(i);
        else
            loud.longestQuiet = std::max(loud.longestQuiet, run);
        loud.last = ptrdiff_t(i);
        run = 0;
    }
    return loud;
}

// The analyser's buffer ring in small: buffers queued in ring order, polled
// for the done flag, their samples taken and the buffers queued again.
struct Ring {
    static constexpr int count = 64;
    std::vector<std::array<char, 1024>> memory = std::vector<std::array<char, 1024>>(count);
    std::array<WaveHeader, count> headers;
    int next = 0;
    std::vector<int16_t> samples;
    bool outOfOrder = false;

    MmResult queue(WaveInApi& dev, Handle h, int i)
    {
        headers[i].data = memory[i].data();
        headers[i].bufferLength = 1024;
        headers[i].flags.store(0, std::memory_order_relaxed);
        if (MmResult r = dev.prepareHeader(h, headers[i]); r != result::ok)
            return r;
        return dev.addBuffer(h, headers[i]);
    }
    MmResult queueAll(WaveInApi& dev, Handle h)
    {
        for (int i = 0; i < count; ++i)
            if (MmResult r = queue(dev, h, i); r != result::ok)
                return r;
        return result::ok;
    }
    bool done(int i) const { return headers[i].flags.load(std::memory_order_acquire) & headerDone; }

    // One timer tick: takes the done buffers from next on. A done buffer
    // behind one still queued means the device broke queue order.
    int tick(WaveInApi& dev, Handle h)
    {
        int ready = 0;
        while (ready < count && done((next + ready) % count))
            ++ready;
        for (int k = ready; k < count; ++k)
            outOfOrder = outOfOrder || done((next + k) % count);
        for (int k = 0; k < ready; ++k) {
            const int b = (next + k) % count;
            const size_t at = samples.size();
            samples.resize(at + 512);
            std::memcpy(samples.data() + at, memory[b].data(), 1024);
            if (queue(dev, h, b) != result::ok)
                return -1;
        }
        next = (next + ready) % count;
        return ready;
    }

    // Ticks every 20 ms, as the analyser's timer does, until done() holds;
    // the limit is only a ceiling for a device that stopped delivering.
    template <class Done>
    void collectUntil(WaveInApi& dev, Handle h, Done done, std::chrono::milliseconds limit)
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!done() && std::chrono::steady_clock::now() < deadline) {
            if (tick(dev, h) < 0)
                return;
            std::this_thread::sleep_for(20ms);
        }
    }
    void collect(WaveInApi& dev, Handle h, size_t want, std::chrono::milliseconds limit)
    {
        const size_t target = samples.size() + want;
        collectUntil(dev, h, [&] { return samples.size() >= target; }, limit);
    }

    MmResult unprepareAll(WaveInApi& dev, Handle h)
    {
        MmResult worst = result::ok;
        for (auto& header : headers)
            if (MmResult r = dev.unprepareHeader(h, header); r != result::ok)
                worst = r;
        return worst;
    }
};

}  // namespace

Q_DECLARE_METATYPE(wavein::WaveFormat)
Q_DECLARE_METATYPE(std::function<void(PrivateSoundServer&)>)

class TestSystemWaveIn : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void listsTheSoundServer();
    void listsSourcesByWholeDescription();
    void refusedOpen_data();
    void refusedOpen();
    void recordsToneInQueueOrder();
    void opensRightAfterAnotherObjectLetGo();
    void survivesServerLoss_data();
    void survivesServerLoss();
    void namesArePrintable();
    void namedSourceThatGoesAway();
    void defaultFollowsTheServer();

private:
    void openAndStart(WaveInApi& dev, Handle& h, Ring& ring);
    void openAndStart(WaveInApi& dev, uint32_t device, Handle& h, Ring& ring);
    void checkTone(const std::vector<int16_t>& samples);

    PrivateSoundServer m_server;
    QString m_noServer;
};

void TestSystemWaveIn::initTestCase()
{
    if (!m_server.start(&m_noServer))
        return;
    QVERIFY(m_server.playTone(toneHz, toneAmplitude));
}

void TestSystemWaveIn::init()
{
    if (!m_noServer.isEmpty())
        QSKIP(qPrintable("no private PulseAudio server can run here: " + m_noServer));
}

void TestSystemWaveIn::listsTheSoundServer()
{
    auto dev = createDevice();
    const uint32_t count = dev->getNumDevs();
    QVERIFY(count > 0);
    QVERIFY2(serverDevice(*dev) >= 0, "neither a \"pulse\" nor a \"default\" input device is listed");
    WaveInCaps caps;
    QCOMPARE(dev->getDevCaps(count, caps), result::badDeviceId);
    QCOMPARE(dev->getDevCaps(0, caps), result::ok);
    QVERIFY(!caps.productName.isEmpty());
    QVERIFY(caps.channels >= 1);
}

// The server's sources, read afresh on every listing: an output added while
// the program runs shows its monitor, under a description that is not cut.
void TestSystemWaveIn::listsSourcesByWholeDescription()
{
    if (backend != Backend::server)
        QSKIP("device names are the ALSA plugins' over PortAudio");
    const QString longName = QStringLiteral("Very Long Output Name Of A Desk That Goes On, Second");
    auto dev = createDevice();
    const auto listing = [&] {
        QStringList entries;
        for (uint32_t d = 0, n = dev->getNumDevs(); d < n; ++d) {
            WaveInCaps caps;
            dev->getDevCaps(d, caps);
            entries << caps.productName + " | " + caps.serverName;
        }
        return entries;
    };
    const QStringList before = listing();
    QVERIFY(before.size() >= 2);
    QCOMPARE(before.first(), QStringLiteral("Default | "));
    QVERIFY(before.contains(QStringLiteral("Monitor of Null Output | t.monitor")));
    QVERIFY(m_server.addSink("u", longName));
    const QStringList after = listing();
    QVERIFY2(after.contains("Monitor of " + longName + " | u.monitor"), qPrintable(after.join('\n')));
    QCOMPARE(after.size(), before.size() + 1);
}

void TestSystemWaveIn::refusedOpen_data()
{
    QTest::addColumn<int>("deviceOffset");  // from the server's device; past the list when large
    QTest::addColumn<WaveFormat>("format");
    QTest::addColumn<MmResult>("expected");

    WaveFormat stereo = mono16(rate);
    stereo.channels = 2;
    stereo.blockAlign = 4;
    stereo.avgBytesPerSec = rate * 4;

    QTest::newRow("rate of 1 Hz") << 0 << mono16(1) << result::badFormat;
    QTest::newRow("rate of 10 MHz") << 0 << mono16(10'000'000) << result::badFormat;
    QTest::newRow("rate 0") << 0 << mono16(0) << result::badFormat;
    QTest::newRow("stereo") << 0 << stereo << result::badFormat;
    QTest::newRow("index past the list") << 1000 << mono16(rate) << result::badDeviceId;
}

void TestSystemWaveIn::refusedOpen()
{
    QFETCH(int, deviceOffset);
    QFETCH(WaveFormat, format);
    QFETCH(MmResult, expected);

    auto dev = createDevice();
    const int device = serverDevice(*dev);
    QVERIFY(device >= 0);
    Handle h = 0;
    QCOMPARE(dev->open(h, uint32_t(device + deviceOffset), format), expected);
    QCOMPARE(h, Handle(0));
    // The refusal leaves nothing behind: the device opens as it should next.
    QCOMPARE(dev->open(h, uint32_t(device), mono16(rate)), result::ok);
    QCOMPARE(dev->close(h), result::ok);
}

void TestSystemWaveIn::openAndStart(WaveInApi& dev, Handle& h, Ring& ring)
{
    const int device = serverDevice(dev);
    QVERIFY(device >= 0);
    openAndStart(dev, uint32_t(device), h, ring);
}

void TestSystemWaveIn::openAndStart(WaveInApi& dev, uint32_t device, Handle& h, Ring& ring)
{
    QCOMPARE(dev.open(h, device, mono16(rate)), result::ok);
    QVERIFY(h != 0);
    QCOMPARE(dev.streamState(h), StreamState::stopped);
    // Started before the buffers are queued, as the analyser does.
    QCOMPARE(dev.start(h), result::ok);
    QCOMPARE(ring.queueAll(dev, h), result::ok);
    QCOMPARE(dev.streamState(h), StreamState::running);
    // The server takes a second or two before the first samples arrive.
    ring.collect(dev, h, 1, 60s);
    QVERIFY2(!ring.samples.empty(), "no buffer completed within 60 s");
}

void TestSystemWaveIn::checkTone(const std::vector<int16_t>& samples)
{
    QVERIFY(samples.size() >= 8 * 4410);
    const std::vector<int16_t> recent(samples.end() - 8 * 4410, samples.end());
    const double tone = amplitudeAt(recent, toneHz);
    const double expected = toneAmplitude * 32767;
    QVERIFY2(std::abs(tone - expected) < 0.05 * expected, qPrintable(QString("tone amplitude %1").arg(tone)));
    QVERIFY2(amplitudeAt(recent, 2.5 * toneHz) < 0.01 * expected, "energy away from the tone");
}

void TestSystemWaveIn::recordsToneInQueueOrder()
{
    auto dev = createDevice();
    Handle h = 0;
    Ring ring;
    openAndStart(*dev, h, ring);

    ring.collect(*dev, h, 3 * rate, 60s);
    QVERIFY(!ring.outOfOrder);
    checkTone(ring.samples);

    // Pace, on the server's clock: one second of tone played into the sink
    // comes back as a second of samples with no silence let in; a source that
    // is not clocked would race ahead. The server may cut a few milliseconds
    // at either end of a stream.
    m_server.stopPlaying();
    const auto silent = [&] {
        return ring.samples.size() > rate && loudPart(ring.samples, ring.samples.size() - rate / 10).first < 0;
    };
    ring.collectUntil(*dev, h, silent, 60s);
    QVERIFY2(silent(), "the sink did not fall silent");
    const size_t quietFrom = ring.samples.size();
    QVERIFY(m_server.playTone(toneHz, toneAmplitude, 1));
    const auto played = [&] {
        const Loud loud = loudPart(ring.samples, quietFrom);
        return loud.first >= 0 && ptrdiff_t(ring.samples.size()) - loud.last > ptrdiff_t(rate / 10);
    };
    ring.collectUntil(*dev, h, played, 60s);
    const Loud tone = loudPart(ring.samples, quietFrom);
    QVERIFY2(played(), "the second of tone did not come back");
    QVERIFY2(qAbs(tone.last - tone.first + 1 - ptrdiff_t(rate)) <= ptrdiff_t(rate / 20),
             qPrintable(QString("%1 samples of a second's tone").arg(tone.last - tone.first + 1)));
    QVERIFY2(tone.longestQuiet <= 1, qPrintable(QString("%1 quiet samples in the tone").arg(tone.longestQuiet)));
    QVERIFY(!ring.outOfOrder);
    QVERIFY(m_server.playTone(toneHz, toneAmplitude));

    QCOMPARE(dev->stop(h), result::ok);
    QCOMPARE(dev->streamState(h), StreamState::stopped);
    QCOMPARE(dev->close(h), result::stillPlaying);  // the buffers are still queued
    WaveHeader& newest = ring.headers[(ring.next + Ring::count - 1) % Ring::count];
    QVERIFY(newest.flags.load() & headerInQueue);
    QCOMPARE(dev->unprepareHeader(h, newest), result::stillPlaying);
    QCOMPARE(dev->reset(h), result::ok);
    for (int i = 0; i < Ring::count; ++i)
        QVERIFY(ring.done(i));
    QCOMPARE(ring.unprepareAll(*dev, h), result::ok);
    QCOMPARE(dev->close(h), result::ok);
    QCOMPARE(dev->streamState(h), StreamState::closed);
    QCOMPARE(dev->start(h), result::invalidHandle);
}

// A device object dropped while recording lets its stream go in the
// background; the next object's open waits for that instead of failing.
void TestSystemWaveIn::opensRightAfterAnotherObjectLetGo()
{
    Ring ring;
    {
        auto first = createDevice();
        Handle h = 0;
        QCOMPARE(first->open(h, uint32_t(serverDevice(*first)), mono16(rate)), result::ok);
        QCOMPARE(first->start(h), result::ok);
        QCOMPARE(ring.queueAll(*first, h), result::ok);
    }
    auto second = createDevice();
    Handle h = 0;
    QCOMPARE(second->open(h, uint32_t(serverDevice(*second)), mono16(rate)), result::ok);
    QCOMPARE(second->close(h), result::ok);
}

void TestSystemWaveIn::survivesServerLoss_data()
{
    QTest::addColumn<std::function<void(PrivateSoundServer&)>>("loseServer");
    QTest::addColumn<bool>("reportedDead");  // whether PortAudio itself notices
    // The device object is given up while the library hangs, and a new one lists the devices at once.
    QTest::addColumn<bool>("newDevice");

    const std::function<void(PrivateSoundServer&)> kill = &PrivateSoundServer::kill, freeze = &PrivateSoundServer::freeze;
    QTest::newRow("server killed") << kill << true << false;
    QTest::newRow("server frozen") << freeze << false << false;
    QTest::newRow("server frozen, a new device object") << freeze << false << true;
}

void TestSystemWaveIn::survivesServerLoss()
{
    QFETCH(std::function<void(PrivateSoundServer&)>, loseServer);
    QFETCH(bool, reportedDead);
    QFETCH(bool, newDevice);

    auto dev = createDevice();
    Handle h = 0;
    Ring ring;
    openAndStart(*dev, h, ring);

    loseServer(m_server);
    if (reportedDead)
        QTRY_COMPARE_WITH_TIMEOUT(dev->streamState(h), StreamState::failed, 60000);

    // The analyser's Stop: each step must come back although the server is gone.
    dev->stop(h);
    QCOMPARE(dev->reset(h), result::ok);
    for (int i = 0; i < Ring::count; ++i)
        QVERIFY(ring.done(i));
    QCOMPARE(ring.unprepareAll(*dev, h), result::ok);
    dev->close(h);
    QCOMPARE(dev->streamState(h), StreamState::closed);
    if (newDevice) {
        dev.reset();
        dev = createDevice();
        // The lost device's stop still hangs inside the sound library, which
        // two threads must not enter at once: the new device lists nothing yet.
        QCOMPARE(dev->getNumDevs(), 0u);
    }

    // The server comes back: the same device object records again.
    QString why;
    QVERIFY2(m_server.start(&why), qPrintable(why));
    QVERIFY(m_server.playTone(toneHz, toneAmplitude));
    Handle again = 0;
    const int device = serverDevice(*dev);
    QVERIFY(device >= 0);
    // A frozen server's last stop may still be on its way out for a moment.
    MmResult opened = result::error;
    QVERIFY2(QTest::qWaitFor([&] { return (opened = dev->open(again, uint32_t(device), mono16(rate))) != result::allocated; },
                             60000),
             "the earlier stream was never let go");
    QCOMPARE(opened, result::ok);
    Ring fresh;
    QCOMPARE(dev->start(again), result::ok);
    QCOMPARE(fresh.queueAll(*dev, again), result::ok);
    fresh.collect(*dev, again, 2 * rate, 60s);
    checkTone(fresh.samples);
    QVERIFY(!fresh.outOfOrder);
    QCOMPARE(dev->reset(again), result::ok);
    QCOMPARE(dev->close(again), result::ok);
}

namespace {

// The listed device of that server name; -1 when none is.
int deviceNamed(WaveInApi& dev, const QString& serverName)
{
    for (uint32_t d = 0, n = dev.getNumDevs(); d < n; ++d) {
        WaveInCaps caps;
        if (dev.getDevCaps(d, caps) == result::ok && caps.serverName == serverName)
            return int(d);
    }
    return -1;
}

}  // namespace

// Any client may name a source: what would drive a terminal never reaches the program.
void TestSystemWaveIn::namesArePrintable()
{
    if (backend != Backend::server)
        QSKIP("device names are the ALSA plugins' over PortAudio");
    QVERIFY(m_server.addSink("esc", QString("Desk\x1b[2J\x1b]0;owned\x07") + QChar(0x202E) + "Speakers"));
    auto dev = createDevice();
    const int device = deviceNamed(*dev, "esc.monitor");
    QVERIFY(device >= 0);
    WaveInCaps caps;
    QCOMPARE(dev->getDevCaps(uint32_t(device), caps), result::ok);
    QCOMPARE(caps.productName, QStringLiteral("Monitor of Desk [2J ]0;owned  Speakers"));
    QVERIFY(m_server.removeSink("esc"));
}

// A stream on a source chosen by name is not moved elsewhere when the source
// goes: it ends, and says so.
void TestSystemWaveIn::namedSourceThatGoesAway()
{
    if (backend != Backend::server)
        QSKIP("over PortAudio the ALSA plugin hides which source it records from");
    QVERIFY(m_server.addSink("desk", "Desk"));
    auto dev = createDevice();
    const int device = deviceNamed(*dev, "desk.monitor");
    QVERIFY(device > 0);
    Handle h = 0;
    Ring ring;
    openAndStart(*dev, uint32_t(device), h, ring);

    QVERIFY(m_server.removeSink("desk"));
    QTRY_COMPARE_WITH_TIMEOUT(dev->streamState(h), StreamState::gone, 60000);
    QCOMPARE(dev->streamMoves(h), 0u);
    QCOMPARE(dev->reset(h), result::ok);
    QCOMPARE(ring.unprepareAll(*dev, h), result::ok);
    QCOMPARE(dev->close(h), result::ok);
}

// The default source's stream follows the server's default, and tells where it went.
void TestSystemWaveIn::defaultFollowsTheServer()
{
    if (backend != Backend::server)
        QSKIP("over PortAudio the ALSA plugin hides which source it records from");
    QVERIFY(m_server.addSink("desk", "Desk"));
    QVERIFY(m_server.setDefaultSource("desk.monitor"));
    auto dev = createDevice();
    Handle h = 0;
    Ring ring;
    openAndStart(*dev, 0, h, ring);
    WaveInCaps now;
    QCOMPARE(dev->streamSource(h, now), result::ok);
    QCOMPARE(now.serverName, QStringLiteral("desk.monitor"));
    QCOMPARE(dev->streamMoves(h), 0u);

    // Unplugged: the server falls back to the one source left.
    QVERIFY(m_server.removeSink("desk"));
    QTRY_VERIFY_WITH_TIMEOUT(dev->streamMoves(h) > 0, 60000);
    QVERIFY(m_server.setDefaultSource("t.monitor"));
    QCOMPARE(dev->streamSource(h, now), result::ok);
    QCOMPARE(now.serverName, QStringLiteral("t.monitor"));
    QCOMPARE(now.productName, QStringLiteral("Monitor of Null Output"));
    QCOMPARE(dev->streamState(h), StreamState::running);
    // Recording goes on from the source it follows: the tone played into t.
    ring.collect(*dev, h, 3 * rate, 60s);
    checkTone(ring.samples);
    QCOMPARE(dev->reset(h), result::ok);
    QCOMPARE(ring.unprepareAll(*dev, h), result::ok);
    QCOMPARE(dev->close(h), result::ok);
}

QTEST_GUILESS_MAIN(TestSystemWaveIn)
#include "test_system_wavein.moc"
