// The recorder: what is captured lands in a WAV file sample for sample, a
// killed program leaves a file that plays to its last flush, and a write
// that fails stops the recording, not the program.
#include "wave_recorder.h"

#include <sound_fixtures.h>

#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vellarin;
using test_support::readAllSamples;

namespace {

int16_t numbered(size_t i) { return int16_t(int(i % 30011) - 15000); }

std::vector<int16_t> numberedSamples(size_t count)
{
    std::vector<int16_t> s(count);
    for (size_t i = 0; i < count; ++i)
        s[i] = numbered(i);
    return s;
}

// Hands `samples` to the recorder in pieces of `piece`, as ticks would.
bool appendInPieces(WaveRecorder& recorder, const std::vector<int16_t>& samples, size_t piece)
{
    bool ok = true;
    for (size_t at = 0; at < samples.size(); at += piece)
        ok = recorder.append(std::span(samples).subspan(at, std::min(piece, samples.size() - at))) && ok;
    return ok;
}

}  // namespace

class TestWaveRecorder : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void recordedSamplesEqualTheCaptured_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("piece");
        QTest::newRow("one buffer") << 44100 << 512 << 512;
        QTest::newRow("seconds in buffers") << 44100 << 3 * 44100 << 512;
        QTest::newRow("odd pieces, low rate") << 1000 << 2777 << 333;
        QTest::newRow("highest rate") << 768000 << 768000 << 4096;
        QTest::newRow("nothing") << 8000 << 0 << 512;
    }
    void recordedSamplesEqualTheCaptured()
    {
        QFETCH(int, rate);
        QFETCH(int, count);
        QFETCH(int, piece);
        const QString path = m_dir.filePath("take.wav");
        const auto samples = numberedSamples(size_t(count));
        {
            QString error;
            auto recorder = WaveRecorder::create(path, uint32_t(rate), error);
            QVERIFY2(recorder, qPrintable(error));
            QVERIFY(appendInPieces(*recorder, samples, size_t(piece)));
        }
        int readRate = 0, channels = 0;
        QCOMPARE(readAllSamples(path, &readRate, &channels), samples);
        if (count > 0) {
            QCOMPARE(readRate, rate);
            QCOMPARE(channels, 1);
        }
        QCOMPARE(QFileInfo(path).size(), qint64(44 + 2 * count));
    }

    // A recorder killed outright leaves every sample up to its last flush,
    // in a file any reader takes as it stands.
    void killedRecorderLeavesAReadableFile_data()
    {
        QTest::addColumn<int>("seconds10");     // tenths of a second of sound before the kill
        QTest::addColumn<bool>("explicitFlush");
        QTest::newRow("flushed by time") << 13 << false;
        QTest::newRow("flushed by hand") << 7 << true;
        QTest::newRow("before the first flush") << 1 << false;
    }
    void killedRecorderLeavesAReadableFile()
    {
        QFETCH(int, seconds10);
        QFETCH(bool, explicitFlush);
        const QString path = m_dir.filePath("killed.wav");
        const int rate = 8000;
        const auto samples = numberedSamples(size_t(rate * seconds10 / 10));
        int pipeFds[2];
        QCOMPARE(::pipe(pipeFds), 0);
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            ::close(pipeFds[0]);
            QString error;
            auto recorder = WaveRecorder::create(path, rate, error);
            if (!recorder)
                ::_exit(3);
            appendInPieces(*recorder, samples, 512);
            if (explicitFlush)
                recorder->flush();
            const uint64_t kept = recorder->samplesKept();
            recorder->append(std::span(samples).first(100));  // gathered, never flushed
            if (::write(pipeFds[1], &kept, sizeof kept) != sizeof kept)
                ::_exit(4);
            for (;;)
                ::pause();
        }
        ::close(pipeFds[1]);
        uint64_t kept = 0;
        const bool told = ::read(pipeFds[0], &kept, sizeof kept) == sizeof kept;
        ::close(pipeFds[0]);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        QVERIFY(told);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

        const size_t quarter = rate / 4;
        QVERIFY(kept >= (explicitFlush ? samples.size() : samples.size() / quarter * quarter));
        int channels = 0;
        const auto read = readAllSamples(path, nullptr, &channels);
        QCOMPARE(read.size(), size_t(kept));
        QCOMPARE(read, std::vector<int16_t>(samples.begin(), samples.begin() + std::ptrdiff_t(kept)));
        QCOMPARE(QFileInfo(path).size(), qint64(44 + 2 * kept));
    }

    // No room: the recording stops with the reason, the file keeps what was
    // written, and later samples are turned away without harm.
    void aFailedWriteStopsTheRecording()
    {
        const QString path = m_dir.filePath("limited.wav");
        const int rate = 8000;
        const auto samples = numberedSamples(size_t(rate) * 3);
        const rlim_t limit = 44 + 2 * 10000;
        int pipeFds[2];
        QCOMPARE(::pipe(pipeFds), 0);
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            // A file size limit stands for a full disk: the write fails part way.
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit r{limit, limit};
            ::setrlimit(RLIMIT_FSIZE, &r);
            QString error;
            auto recorder = WaveRecorder::create(path, rate, error);
            if (!recorder)
                ::_exit(3);
            const bool allTaken = appendInPieces(*recorder, samples, 512);
            const bool laterRefused = !recorder->append(std::span(samples).first(10)) && !recorder->flush();
            const QByteArray message = recorder->error().toUtf8();
            const uint64_t kept = recorder->samplesKept();
            if (::write(pipeFds[1], &kept, sizeof kept) != sizeof kept
                || ::write(pipeFds[1], message.data(), size_t(message.size())) != message.size())
                ::_exit(4);
            ::_exit(!allTaken && laterRefused ? 0 : 5);
        }
        ::close(pipeFds[1]);
        uint64_t kept = 0;
        char text[512] = {};
        const bool told = ::read(pipeFds[0], &kept, sizeof kept) == sizeof kept;
        const ssize_t textLength = ::read(pipeFds[0], text, sizeof text - 1);
        ::close(pipeFds[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        QVERIFY(told);
        QCOMPARE(WEXITSTATUS(status), 0);
        const QString message = QString::fromUtf8(text, int(std::max<ssize_t>(textLength, 0)));
        QVERIFY2(message.contains(path) && message.contains("stopped"), qPrintable(message));
        QVERIFY(kept > 0 && kept <= 10000);
        QCOMPARE(readAllSamples(path), std::vector<int16_t>(samples.begin(), samples.begin() + std::ptrdiff_t(kept)));
    }

    void aFileThatCannotBeMadeIsRefused_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason");
        QTest::newRow("full device") << "/dev/full" << "the disk is full";
        QTest::newRow("no such folder") << "/nonexistent-folder/take.wav" << "No such file";
    }
    void aFileThatCannotBeMadeIsRefused()
    {
        QFETCH(QString, path);
        QFETCH(QString, reason);
        QString error;
        QVERIFY(!WaveRecorder::create(path, 44100, error));
        QVERIFY2(error.contains(path) && error.contains(reason), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(TestWaveRecorder)
#include "test_wave_recorder.moc"
