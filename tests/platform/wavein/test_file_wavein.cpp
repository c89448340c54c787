// A sound file as the recording device: the file's samples arrive in the
// queued buffers in order at its own rate, and the transport pauses, seeks,
// loops and ends as a player's does.
#include <wavein/file_wavein.h>

#include <sound_fixtures.h>

#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <deque>

using namespace wavein;
using namespace test_support;

namespace {

struct Buffer {
    std::vector<char> memory = std::vector<char>(1024);
    WaveHeader header;
    Buffer()
    {
        header.data = memory.data();
        header.bufferLength = uint32_t(memory.size());
    }
    bool done() const { return header.flags.load(std::memory_order_acquire) & headerDone; }
    std::vector<int16_t> samples() const
    {
        std::vector<int16_t> s(memory.size() / 2);
        std::memcpy(s.data(), memory.data(), memory.size());
        return s;
    }
};

// Every sample tells its place in the file.
int16_t numbered(size_t i) { return int16_t(int(i % 30011) - 15000); }

}  // namespace

class TestFileWaveIn : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::vector<int16_t> m_samples;

    std::unique_ptr<FileWaveIn> device(FilePace pace, size_t length = 10240, int rate = 8000)
    {
        m_samples.resize(length);
        for (size_t i = 0; i < length; ++i)
            m_samples[i] = numbered(i);
        const QString file = m_dir.filePath("numbered.wav");
        if (!writeBytes(file, waveBytes(rate, 1, m_samples)))
            return nullptr;
        SoundFileError error;
        auto sound = SoundFile::open(file, {}, error);
        return sound ? std::make_unique<FileWaveIn>(std::move(sound), pace) : nullptr;
    }

    static WaveFormat format(uint32_t rate)
    {
        WaveFormat f;
        f.samplesPerSec = rate;
        f.avgBytesPerSec = 2 * rate;
        return f;
    }

    // Opens, queues `buffers` buffers and starts.
    static Handle startWith(FileWaveIn& in, std::deque<Buffer>& buffers, int count)
    {
        Handle h = 0;
        if (in.open(h, 0, format(in.info().rate)) != result::ok)
            return 0;
        for (int i = 0; i < count; ++i) {
            Buffer& b = buffers.emplace_back();
            if (in.prepareHeader(h, b.header) != result::ok || in.addBuffer(h, b.header) != result::ok)
                return 0;
        }
        return in.start(h) == result::ok ? h : 0;
    }

    std::vector<int16_t> expected(size_t from, size_t count) const
    {
        std::vector<int16_t> e(count);
        for (size_t i = 0; i < count; ++i)
            e[i] = m_samples[(from + i) % m_samples.size()];
        return e;
    }

private slots:
    void listsTheFileAndOpensAtItsRateOnly()
    {
        auto in = device(FilePace::manual);
        QVERIFY(in);
        QCOMPARE(in->getNumDevs(), 1u);
        WaveInCaps caps;
        QCOMPARE(in->getDevCaps(0, caps), result::ok);
        QCOMPARE(caps.productName, QStringLiteral("numbered.wav"));
        QCOMPARE(in->getDevCaps(1, caps), result::badDeviceId);
        Handle h = 0;
        QCOMPARE(in->open(h, 0, format(44100)), result::badFormat);
        QCOMPARE(in->open(h, 1, format(8000)), result::badDeviceId);
        QCOMPARE(in->open(h, 0, format(8000)), result::ok);
        QCOMPARE(in->streamState(h), StreamState::stopped);
        QCOMPARE(in->close(h), result::ok);
    }

    // The buffers hold the file in order, whatever the steps.
    void buffersHoldTheFileInOrder_data()
    {
        QTest::addColumn<int>("stepSamples");
        QTest::newRow("one buffer") << 512;
        QTest::newRow("odd steps") << 333;
        QTest::newRow("large steps") << 5000;
    }
    void buffersHoldTheFileInOrder()
    {
        QFETCH(int, stepSamples);
        auto in = device(FilePace::manual);
        std::deque<Buffer> buffers;
        const Handle h = startWith(*in, buffers, 16);
        QVERIFY(h);
        QCOMPARE(in->streamState(h), StreamState::running);
        size_t pumped = 0;
        while (pumped < 16 * 512)
            pumped += in->pump(size_t(stepSamples));
        for (size_t b = 0; b < 16; ++b) {
            QVERIFY(buffers[b].done());
            QCOMPARE(buffers[b].samples(), expected(b * 512, 512));
        }
        QCOMPARE(in->transport().position(), int64_t(pumped));
        QCOMPARE(in->reset(h), result::ok);
        QCOMPARE(in->close(h), result::ok);
    }

    void pauseHolds()
    {
        auto in = device(FilePace::manual);
        std::deque<Buffer> buffers;
        const Handle h = startWith(*in, buffers, 4);
        QVERIFY(h);
        in->pump(512);
        in->transport().setPaused(true);
        QCOMPARE(in->pump(2048), size_t(0));
        QVERIFY(!buffers[1].done());
        QCOMPARE(in->transport().position(), int64_t(512));
        QCOMPARE(in->streamState(h), StreamState::running);  // quiet, not gone
        in->transport().setPaused(false);
        QCOMPARE(in->pump(512), size_t(512));
        QCOMPARE(buffers[1].samples(), expected(512, 512));
    }

    // After a seek the next sample delivered is the one sought.
    void seekLandsOnTheSample_data()
    {
        QTest::addColumn<qint64>("target");
        QTest::newRow("forward") << qint64(7777);
        QTest::newRow("back to the start") << qint64(0);
        QTest::newRow("odd place") << qint64(1);
    }
    void seekLandsOnTheSample()
    {
        QFETCH(qint64, target);
        auto in = device(FilePace::manual);
        std::deque<Buffer> buffers;
        QVERIFY(startWith(*in, buffers, 4));
        in->pump(1000);
        in->transport().seek(target);
        in->pump(24);  // completes the buffer begun before the seek
        QCOMPARE(in->transport().position(), target + 24);
        in->pump(512);
        const auto second = buffers[1].samples();
        QCOMPARE(std::vector<int16_t>(second.end() - 24, second.end()), expected(size_t(target), 24));
        QCOMPARE(buffers[2].samples(), expected(size_t(target) + 24, 512));
    }

    void loopRestartsAtTheStart()
    {
        auto in = device(FilePace::manual, 700);
        std::deque<Buffer> buffers;
        QVERIFY(startWith(*in, buffers, 4));
        in->transport().setLooping(true);
        QCOMPARE(in->pump(2048), size_t(2048));
        for (size_t b = 0; b < 4; ++b)
            QCOMPARE(buffers[b].samples(), expected(b * 512, 512));
        QVERIFY(!in->transport().ended());
        QCOMPARE(in->transport().position(), int64_t(2048 % 700));
    }

    // The end stops the stream as Stop would: nothing more, and it says so.
    void endStopsTheStream()
    {
        auto in = device(FilePace::manual, 1100);
        std::deque<Buffer> buffers;
        const Handle h = startWith(*in, buffers, 4);
        QVERIFY(h);
        QCOMPARE(in->pump(5000), size_t(1100));
        QVERIFY(in->transport().ended());
        QCOMPARE(in->streamState(h), StreamState::stopped);
        QVERIFY(buffers[1].done());
        QVERIFY(!buffers[2].done());  // the last part buffer waits, as a stopped device's does
        QCOMPARE(in->pump(512), size_t(0));
        QCOMPARE(in->reset(h), result::ok);
        QVERIFY(buffers[2].done());
        QCOMPARE(buffers[2].header.bytesRecorded, uint32_t(2 * (1100 - 1024)));
        QCOMPARE(in->close(h), result::ok);
        // A seek after the end plays on from there.
        in->transport().seek(0);
        QVERIFY(in->transport().ended());  // taken up only by the next step
    }

    // At its own pace on the player's thread: the buffers fill with the
    // file in order, and Stop takes them back.
    void realTimePaceFillsTheBuffers()
    {
        auto in = device(FilePace::realTime, 8000 * 2, 8000);
        std::deque<Buffer> buffers;
        const Handle h = startWith(*in, buffers, 8);
        QVERIFY(h);
        QCOMPARE(in->pump(512), size_t(0));  // the clock keeps time, not the caller
        QTRY_VERIFY_WITH_TIMEOUT(buffers[3].done(), 10000);
        QCOMPARE(in->stop(h), result::ok);
        QCOMPARE(in->reset(h), result::ok);
        for (size_t b = 0; b < 4; ++b)
            QCOMPARE(buffers[b].samples(), expected(b * 512, 512));
        QCOMPARE(in->close(h), result::ok);
    }
};

QTEST_GUILESS_MAIN(TestFileWaveIn)
#include "test_file_wavein.moc"
