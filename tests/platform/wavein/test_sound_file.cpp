// A sound file opened as the analyser records: the formats it decodes, the
// channels mixed or chosen, seeking, and every kind of bad file refused with
// its name and the reason.
#include <wavein/sound_file.h>

#include <sound_fixtures.h>

#include <QTemporaryDir>
#include <QTest>

#include <sndfile.h>

#include <cmath>
#include <fcntl.h>
#include <unistd.h>

using namespace wavein;
using namespace test_support;

Q_DECLARE_METATYPE(std::vector<int16_t>)

class TestSoundFile : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

    static std::vector<int16_t> readAll(SoundFile& file)
    {
        std::vector<int16_t> out(size_t(file.info().frames) + 100);
        out.resize(file.read(out.data(), out.size()));
        return out;
    }

    static double rms(const std::vector<int16_t>& s, size_t from, size_t to)
    {
        double sum = 0;
        for (size_t i = from; i < to; ++i)
            sum += double(s[i]) * s[i];
        return std::sqrt(sum / double(to - from));
    }

private slots:
    // Lossless formats give back the very samples written.
    void losslessFormatsReadExactly_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("rate");
        QTest::newRow("WAV 16-bit") << "a.wav" << (SF_FORMAT_WAV | SF_FORMAT_PCM_16) << 44100;
        QTest::newRow("AIFF 16-bit") << "a.aiff" << (SF_FORMAT_AIFF | SF_FORMAT_PCM_16) << 22050;
        QTest::newRow("FLAC 16-bit") << "a.flac" << (SF_FORMAT_FLAC | SF_FORMAT_PCM_16) << 48000;
        QTest::newRow("lowest rate") << "low.wav" << (SF_FORMAT_WAV | SF_FORMAT_PCM_16) << 1000;
        QTest::newRow("highest rate") << "high.wav" << (SF_FORMAT_WAV | SF_FORMAT_PCM_16) << 768000;
    }
    void losslessFormatsReadExactly()
    {
        QFETCH(QString, name);
        QFETCH(int, format);
        QFETCH(int, rate);
        const auto written = sine(441, rate, 10000, 12000);
        if (!writeSoundFile(path(name), format, rate, 1, written))
            QSKIP("libsndfile cannot write this format here");
        SoundFileError error;
        auto file = SoundFile::open(path(name), {}, error);
        QVERIFY2(file, qPrintable(error.message()));
        QCOMPARE(file->info().rate, uint32_t(rate));
        QCOMPARE(file->info().frames, int64_t(written.size()));
        QCOMPARE(readAll(*file), written);
    }

    // Lossy formats: the tone comes back at its level, within a decibel.
    void lossyFormatsKeepTheTone_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("format");
        QTest::newRow("Ogg Vorbis") << "a.ogg" << (SF_FORMAT_OGG | SF_FORMAT_VORBIS);
        QTest::newRow("Opus") << "a.opus" << (SF_FORMAT_OGG | SF_FORMAT_OPUS);
        QTest::newRow("MP3") << "a.mp3" << (SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III);
    }
    void lossyFormatsKeepTheTone()
    {
        QFETCH(QString, name);
        QFETCH(int, format);
        const int rate = 48000;
        const auto written = sine(1000, rate, rate, 10000);
        if (!writeSoundFile(path(name), format, rate, 1, written))
            QSKIP("libsndfile cannot write this format here");
        SoundFileError error;
        auto file = SoundFile::open(path(name), {}, error);
        QVERIFY2(file, qPrintable(error.message()));
        const auto read = readAll(*file);
        QVERIFY(read.size() > size_t(rate) / 2);
        const double expected = 10000 / std::sqrt(2.0);
        const double level = 20 * std::log10(rms(read, read.size() / 4, read.size() * 3 / 4) / expected);
        QVERIFY2(std::fabs(level) < 1.0, qPrintable(QString::number(level)));
    }

    // Two channels mixed: their mean, ties to even; or one of them alone.
    void channelsMixedOrChosen_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<std::vector<int16_t>>("expected");
        // Frames (L, R): (3, 4) (5, 6) (-3, -4) (-5, -6) (32767, 32767) (-32768, -32767) (1, -2)
        QTest::newRow("mixed") << ChannelChoice::mixed << std::vector<int16_t>{4, 6, -4, -6, 32767, -32768, 0};
        QTest::newRow("left") << 0 << std::vector<int16_t>{3, 5, -3, -5, 32767, -32768, 1};
        QTest::newRow("right") << 1 << std::vector<int16_t>{4, 6, -4, -6, 32767, -32767, -2};
    }
    void channelsMixedOrChosen()
    {
        QFETCH(int, channel);
        QFETCH(std::vector<int16_t>, expected);
        const std::vector<int16_t> frames{3, 4, 5, 6, -3, -4, -5, -6, 32767, 32767, -32768, -32767, 1, -2};
        QVERIFY(writeBytes(path("stereo.wav"), waveBytes(8000, 2, frames)));
        SoundFileError error;
        auto file = SoundFile::open(path("stereo.wav"), {channel}, error);
        QVERIFY2(file, qPrintable(error.message()));
        QCOMPARE(file->info().channels, 2);
        QCOMPARE(readAll(*file), expected);
    }

    void mixOfManyChannels()
    {
        const int16_t frame[6] = {100, 200, 300, 400, 500, 601};  // 2101 / 6 = 350.17
        QCOMPARE(mixFrame(frame, 6), int16_t(350));
        const int16_t tie[4] = {1, 2, 2, 2};  // 7 / 4 = 1.75
        QCOMPARE(mixFrame(tie, 4), int16_t(2));
    }

    // A seek lands on the very sample asked for, both ways.
    void seekLandsOnTheSample_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("format");
        QTest::newRow("WAV") << "s.wav" << (SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        QTest::newRow("FLAC") << "s.flac" << (SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    }
    void seekLandsOnTheSample()
    {
        QFETCH(QString, name);
        QFETCH(int, format);
        std::vector<int16_t> numbered(50000);
        for (size_t i = 0; i < numbered.size(); ++i)
            numbered[i] = int16_t(int(i % 30011) - 15000);
        QVERIFY(writeSoundFile(path(name), format, 44100, 1, numbered));
        SoundFileError error;
        auto file = SoundFile::open(path(name), {}, error);
        QVERIFY2(file, qPrintable(error.message()));
        for (int64_t to : {int64_t(31234), int64_t(7), int64_t(49999), int64_t(0)}) {
            QVERIFY(file->seek(to));
            QCOMPARE(file->position(), to);
            int16_t sample = 0;
            QCOMPARE(file->read(&sample, 1), size_t(1));
            QCOMPARE(sample, numbered[size_t(to)]);
        }
        QVERIFY(file->seek(1 << 30));  // past the end: at the end
        int16_t sample = 0;
        QCOMPARE(file->read(&sample, 1), size_t(0));
    }

    // Every bad file is refused with its name and why; nothing is left open.
    void badFilesAreRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");  // empty: do not write (see below)
        QTest::addColumn<int>("channel");
        QTest::addColumn<QString>("reason");
        const auto tone = sine(100, 8000, 800, 1000);
        QTest::newRow("missing") << "missing.wav" << QByteArray() << -1 << "no such file";
        QTest::newRow("folder") << "folder.wav" << QByteArray() << -1 << "is a folder";
        QTest::newRow("empty") << "empty.wav" << QByteArray() << -1 << "is empty";
        QTest::newRow("text") << "notes.wav" << QByteArray("These are not sounds.\n") << -1 << "not a sound file";
        QByteArray broken = waveBytes(8000, 1, tone);
        broken[20] = 0x55;  // format tag 0x0055 in a fmt chunk built for PCM
        broken[34] = 3;  // 3 bits per sample
        QTest::newRow("corrupt fmt") << "corrupt.wav" << broken << -1 << "";
        QTest::newRow("truncated") << "cut.wav" << waveBytes(8000, 1, tone, 1600 * 4) << -1 << "is truncated";
        QTest::newRow("10 GB claimed") << "huge.wav" << rf64Bytes(44100, 10'000'000'000ULL, 4096) << -1
                                       << "is truncated";
        QTest::newRow("10 GB of nothing") << "sparse.wav" << QByteArray() << -1 << "not a sound file";
        QTest::newRow("no channels") << "mute.wav" << waveBytes(8000, 0, tone) << -1 << "channel";
        QTest::newRow("rate too low") << "low.wav" << waveBytes(999, 1, tone) << -1 << "999 Hz lies outside";
        QTest::newRow("rate too high") << "high.wav" << waveBytes(768001, 1, tone) << -1 << "768001 Hz lies outside";
        QTest::newRow("no such channel") << "stereo.wav" << waveBytes(8000, 2, tone) << 2
                                         << "has 2 channels, so it has no channel 3";
        QTest::newRow("no sound") << "nothing.wav" << waveBytes(8000, 1, {}) << -1 << "holds no sound";
        QTest::newRow("unreadable") << "secret.wav" << waveBytes(8000, 1, tone) << -1 << "cannot be read";
    }
    void badFilesAreRefused()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(int, channel);
        QFETCH(QString, reason);
        const QString file = path(name);
        if (name == "folder.wav")
            QVERIFY(QDir().mkpath(file));
        else if (name == "empty.wav")
            QVERIFY(writeBytes(file, {}));
        else if (name == "sparse.wav") {
            // 10 GB that take no room: a hole, as a disk image or a broken copy leaves.
            const int fd = ::open(QFile::encodeName(file).constData(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
            QVERIFY(fd >= 0);
            const bool sized = ::ftruncate(fd, 10'000'000'000LL) == 0;
            ::close(fd);
            if (!sized)
                QSKIP("this file system holds no 10 GB sparse file");
        } else if (!bytes.isEmpty())
            QVERIFY(writeBytes(file, bytes));
        if (name == "secret.wav") {
            if (::geteuid() == 0)
                QSKIP("root reads every file");
            QVERIFY(QFile::setPermissions(file, {}));
        }

        SoundFileError error;
        const auto opened = SoundFile::open(file, {channel}, error);
        QVERIFY2(!opened, qPrintable(name));
        QCOMPARE(error.file, file);
        QVERIFY2(error.message().startsWith(file + ": "), qPrintable(error.message()));
        QVERIFY2(error.reason.contains(reason), qPrintable(error.message()));
        QVERIFY(!error.reason.isEmpty());
    }

    // Files in memory open as files on disk do, through the same checks.
    void memoryFilesOpenAsFilesDo()
    {
        const auto tone = sine(100, 8000, 800, 1000);
        const QByteArray good = waveBytes(8000, 1, tone);
        SoundFileError error;
        auto file = SoundFile::openMemory({reinterpret_cast<const uint8_t*>(good.data()), size_t(good.size())},
                                          "memory.wav", {}, error);
        QVERIFY2(file, qPrintable(error.message()));
        QCOMPARE(readAll(*file), tone);
        const QByteArray cut = waveBytes(8000, 1, tone, 6400);
        QVERIFY(!SoundFile::openMemory({reinterpret_cast<const uint8_t*>(cut.data()), size_t(cut.size())}, "cut.wav",
                                       {}, error));
        QCOMPARE(error.message().left(9), QStringLiteral("cut.wav: "));
    }
};

QTEST_GUILESS_MAIN(TestSoundFile)
#include "test_sound_file.moc"
