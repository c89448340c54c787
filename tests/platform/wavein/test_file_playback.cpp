// A sound file heard through the sound server's default output: the output
// plays the file's samples in order, none lost or repeated, across a pause,
// a seek and a loop; the picture gets the very samples heard, and a seek
// cuts both at the same place.
#include "private_sound_server.h"

#include <wavein/file_wavein.h>
#include <wavein/server_playback.h>

#include <sound_fixtures.h>

#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <deque>

using namespace wavein;
using namespace test_support;

namespace {

constexpr int rate = 44100;          // the private sink's: nothing is resampled on the way
constexpr qint64 length = 65534;    // every sample tells its place in the file, and none is silent
constexpr int64_t inStep = rate / 20;  // 50 ms

int16_t placed(int64_t i)
{
    const int k = int(i % length) + 1;
    return int16_t(k < 32768 ? k - 32768 : k - 32767);
}
int64_t placeOf(int16_t v) { return v < 0 ? v + 32768 - 1 : v + 32767 - 1; }

// Unbroken stretches of the file, in the order they came; silence left out.
struct Run {
    int64_t from = 0;
    int64_t count = 0;
};
std::vector<Run> runsOf(const std::vector<int16_t>& samples)
{
    std::vector<Run> runs;
    for (int16_t v : samples) {
        if (v == 0)
            continue;
        const int64_t at = placeOf(v);
        if (!runs.empty() && at == (runs.back().from + runs.back().count) % length)
            ++runs.back().count;
        else
            runs.push_back({at, 1});
    }
    return runs;
}
// How much of the file was heard before the first silence of at least `gap`
// samples once the sound had begun.
int64_t heardBeforeSilence(const std::vector<int16_t>& samples, int64_t gap)
{
    int64_t heard = 0;
    int64_t silent = 0;
    for (int16_t v : samples) {
        if (v != 0) {
            ++heard;
            silent = 0;
        }
        else if (heard > 0 && ++silent >= gap)
            break;
    }
    return heard;
}

QString described(const std::vector<Run>& runs)
{
    QStringList parts;
    for (const Run& r : runs)
        parts << QStringLiteral("%1+%2").arg(r.from).arg(r.count);
    return parts.join(u' ');
}

struct Buffer {
    std::vector<char> memory = std::vector<char>(8192);
    WaveHeader header;
    Buffer()
    {
        header.data = memory.data();
        header.bufferLength = uint32_t(memory.size());
    }
};

}  // namespace

class TestFilePlayback : public QObject {
    Q_OBJECT

    PrivateSoundServer m_server;
    QString m_noServer;
    QTemporaryDir m_dir;
    QString m_file;

private slots:
    void initTestCase()
    {
        std::vector<int16_t> samples(static_cast<size_t>(length));
        for (int64_t i = 0; i < length; ++i)
            samples[size_t(i)] = placed(i);
        m_file = m_dir.filePath("placed.wav");
        QVERIFY(writeBytes(m_file, waveBytes(rate, 1, samples)));
        if (!m_server.start(&m_noServer))
            return;
        // The null sink "t" renders ahead and rewinds to play a new sound at
        // once; its monitor then misses what was rewound. A sink that never
        // rewinds hands its monitor all it plays, as a speaker would.
        QVERIFY(m_server.addSink("heard", "Speaker", {"rate=44100", "norewinds=1"}));
        QVERIFY(m_server.setDefaultSink("heard"));
    }
    void init()
    {
        if (!m_noServer.isEmpty())
            QSKIP(qPrintable("no private PulseAudio server can run here: " + m_noServer));
    }

    void noServerNoOutput()
    {
        const QByteArray was = qgetenv("PULSE_SERVER");
        qputenv("PULSE_SERVER", QByteArray("unix:") + QFile::encodeName(m_dir.filePath("no-server")));
        QString why;
        QVERIFY(!ServerPlayback::serverAnswers(std::chrono::milliseconds(2000)));
        QVERIFY(!ServerPlayback::open(rate, std::chrono::milliseconds(2000), why));
        QVERIFY(!why.isEmpty());
        qputenv("PULSE_SERVER", was);
        QVERIFY(ServerPlayback::serverAnswers(std::chrono::milliseconds(2000)));
    }

    // What is heard and what the picture gets: the file from the start,
    // then (after a seek) from where it was sought to the end.
    void heardAsPlayed_data()
    {
        QTest::addColumn<int>("pauseAt");   // ms of sound heard; -1: no pause
        QTest::addColumn<int>("seekAt");    // ms of sound heard; -1: no seek
        QTest::addColumn<bool>("loopOnce");
        QTest::addColumn<QList<qint64>>("starts");  // where each stretch heard begins
        QTest::addColumn<qint64>("total");          // samples heard, when nothing is cut
        QTest::newRow("straight through") << -1 << -1 << false << QList<qint64>{0} << length;
        QTest::newRow("paused and resumed") << 400 << -1 << false << QList<qint64>{0} << length;
        QTest::newRow("seek") << -1 << 400 << false << QList<qint64>{0, 50000} << qint64(-1);
        QTest::newRow("seek while paused") << 400 << 400 << false << QList<qint64>{0, 50000} << qint64(-1);
        QTest::newRow("round the loop once") << -1 << -1 << true << QList<qint64>{0} << 2 * length;
    }
    void heardAsPlayed()
    {
        QFETCH(int, pauseAt);
        QFETCH(int, seekAt);
        QFETCH(bool, loopOnce);
        QFETCH(QList<qint64>, starts);
        QFETCH(qint64, total);

        // The output outlives the player that plays into it.
        QString why;
        auto output = ServerPlayback::open(rate, std::chrono::milliseconds(5000), why);
        QVERIFY2(output, qPrintable(why));
        SoundFileError error;
        auto sound = SoundFile::open(m_file, {}, error);
        QVERIFY2(sound, qPrintable(error.message()));
        FileWaveIn in(std::move(sound));
        FilePlayer& player = in.transport();
        player.listenThrough(output.get());
        player.setLooping(loopOnce);

        WaveFormat format;
        format.samplesPerSec = rate;
        format.avgBytesPerSec = 2 * rate;
        Handle h = 0;
        QCOMPARE(in.open(h, 0, format), result::ok);
        std::deque<Buffer> buffers(80);
        for (Buffer& b : buffers) {
            QCOMPARE(in.prepareHeader(h, b.header), result::ok);
            QCOMPARE(in.addBuffer(h, b.header), result::ok);
        }
        QVERIFY(m_server.startRecording("heard"));
        QTest::qWait(200);  // the recorder is listening before anything plays
        QCOMPARE(in.start(h), result::ok);

        const auto heardFor = [&](int ms) { return player.position() >= int64_t(ms) * rate / 1000; };
        int64_t pausedAt = -1;
        int64_t soughtAt = -1;
        if (pauseAt >= 0) {
            QTRY_VERIFY_WITH_TIMEOUT(heardFor(pauseAt), 5000);
            player.setPaused(true);
            pausedAt = player.position();
            QTest::qWait(300);
        }
        if (seekAt >= 0) {
            QTRY_VERIFY_WITH_TIMEOUT(heardFor(seekAt), 5000);
            soughtAt = player.position();
            player.seek(50000);
        }
        if (pauseAt >= 0)
            player.setPaused(false);
        if (loopOnce) {
            QTRY_VERIFY_WITH_TIMEOUT(player.position() > length / 2, 5000);
            QTRY_VERIFY_WITH_TIMEOUT(player.position() < length / 2, 5000);  // round once
            player.setLooping(false);
        }
        QTRY_VERIFY_WITH_TIMEOUT(player.ended(), 10000);
        QTest::qWait(300);  // the recorder hears the last of it
        const std::vector<int16_t> recording = m_server.stopRecording();
        const std::vector<Run> heard = runsOf(recording);
        QCOMPARE(in.reset(h), result::ok);
        std::vector<int16_t> shown;
        for (const Buffer& b : buffers) {
            const auto* s = reinterpret_cast<const int16_t*>(b.memory.data());
            shown.insert(shown.end(), s, s + b.header.bytesRecorded / 2);
        }
        QCOMPARE(in.close(h), result::ok);
        const std::vector<Run> pictured = runsOf(shown);

        for (const auto& [what, runs] : {std::pair{"heard", heard}, std::pair{"pictured", pictured}}) {
            QVERIFY2(runs.size() == size_t(starts.size()), qPrintable(QStringLiteral("%1: %2").arg(what, described(runs))));
            for (qsizetype i = 0; i < starts.size(); ++i)
                QVERIFY2(runs[size_t(i)].from == starts[i], qPrintable(QStringLiteral("%1: %2").arg(what, described(runs))));
            if (total >= 0)
                QVERIFY2(runs.front().count == total, qPrintable(QStringLiteral("%1: %2").arg(what, described(runs))));
            else
                QVERIFY2(runs.back().count == length - starts.back(), qPrintable(QStringLiteral("%1: %2").arg(what, described(runs))));
        }
        // The picture stops where the sound stopped: it showed what was heard.
        QVERIFY2(std::abs(heard.front().count - pictured.front().count) <= inStep,
                 qPrintable(QStringLiteral("heard %1, pictured %2").arg(described(heard), described(pictured))));
        // A pause is silent at once, and a seek heard at once: what the
        // output held from before is not played.
        if (pausedAt >= 0) {
            const int64_t beforePause = heardBeforeSilence(recording, rate / 5);
            QVERIFY2(std::abs(beforePause - pausedAt) <= inStep,
                     qPrintable(QStringLiteral("paused at %1, heard up to %2").arg(pausedAt).arg(beforePause)));
        }
        if (soughtAt >= 0)
            QVERIFY2(std::abs(heard.front().count - soughtAt) <= inStep,
                     qPrintable(QStringLiteral("sought at %1, heard %2").arg(soughtAt).arg(described(heard))));
    }

    // The server dies mid-file: the output is lost, and the file plays on to
    // the picture by the clock, none of it lost or repeated.
    void outputGoesAway()
    {
        QString why;
        auto output = ServerPlayback::open(rate, std::chrono::milliseconds(5000), why);
        QVERIFY2(output, qPrintable(why));
        SoundFileError error;
        FileWaveIn in(SoundFile::open(m_file, {}, error));
        in.transport().listenThrough(output.get());
        WaveFormat format;
        format.samplesPerSec = rate;
        format.avgBytesPerSec = 2 * rate;
        Handle h = 0;
        QCOMPARE(in.open(h, 0, format), result::ok);
        std::deque<Buffer> buffers(40);
        for (Buffer& b : buffers) {
            QCOMPARE(in.prepareHeader(h, b.header), result::ok);
            QCOMPARE(in.addBuffer(h, b.header), result::ok);
        }
        QCOMPARE(in.start(h), result::ok);
        QTRY_VERIFY_WITH_TIMEOUT(in.transport().position() > rate / 2, 5000);
        m_server.kill();
        QTRY_VERIFY_WITH_TIMEOUT(output->lost(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(in.transport().ended(), 10000);
        QCOMPARE(in.reset(h), result::ok);
        std::vector<int16_t> shown;
        for (const Buffer& b : buffers) {
            const auto* s = reinterpret_cast<const int16_t*>(b.memory.data());
            shown.insert(shown.end(), s, s + b.header.bytesRecorded / 2);
        }
        QCOMPARE(in.close(h), result::ok);
        const std::vector<Run> pictured = runsOf(shown);
        QVERIFY2(pictured.size() == 1 && pictured.front().from == 0 && pictured.front().count == length,
                 qPrintable(described(pictured)));
    }
};

QTEST_GUILESS_MAIN(TestFilePlayback)
#include "test_file_playback.moc"
