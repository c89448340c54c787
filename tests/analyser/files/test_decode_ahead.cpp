// Decoding ahead on a thread of its own hands the reader every sample of the
// file once, in order, however the reads fall across the blocks; ends where
// the file ends; and stops without waiting for a reader that went away.
#include "decode_ahead.h"

#include <sound_fixtures.h>

#include <QTest>

using namespace vellarin;
using namespace test_support;

namespace {

// Each sample tells its place in the file.
int16_t marked(int64_t n)
{
    return int16_t((n * 7) % 30011 - 15005);
}

std::vector<int16_t> markedSamples(int count)
{
    std::vector<int16_t> samples(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        samples[size_t(i)] = marked(i);
    return samples;
}

}  // namespace

class TestDecodeAhead : public QObject {
    Q_OBJECT

    static std::unique_ptr<wavein::SoundFile> open(const QByteArray& bytes)
    {
        wavein::SoundFileError error;
        auto file = wavein::SoundFile::openMemory({reinterpret_cast<const uint8_t*>(bytes.data()), size_t(bytes.size())},
                                                  QStringLiteral("marked.wav"), {}, error);
        if (!file)
            qWarning() << error.message();
        return file;
    }

private slots:
    void everySampleOnceInOrder_data()
    {
        QTest::addColumn<int>("samples");     // in the file
        QTest::addColumn<int>("blockSamples");
        QTest::addColumn<int>("blocks");
        QTest::addColumn<int>("readSize");    // the reader asks for this many at a time
        QTest::newRow("reads smaller than a block") << 20000 << 1000 << 3 << 37;
        QTest::newRow("reads larger than the whole ring") << 20000 << 256 << 2 << 5000;
        QTest::newRow("reads as large as a block") << 8192 << 1024 << 4 << 1024;
        QTest::newRow("file of whole blocks") << 4096 << 1024 << 4 << 300;
        QTest::newRow("file shorter than a block") << 100 << 4096 << 4 << 64;
        QTest::newRow("ring of one sample") << 500 << 1 << 1 << 3;
        QTest::newRow("one read for all") << 30000 << 4096 << 2 << 40000;
    }
    void everySampleOnceInOrder()
    {
        QFETCH(int, samples);
        QFETCH(int, blockSamples);
        QFETCH(int, blocks);
        QFETCH(int, readSize);
        const QByteArray bytes = waveBytes(8000, 1, markedSamples(samples));
        const auto file = open(bytes);
        QVERIFY(file);
        DecodeAhead ahead(*file, size_t(blockSamples), size_t(blocks));
        std::vector<int16_t> got;
        std::vector<int16_t> chunk(static_cast<size_t>(readSize));
        for (;;) {
            const size_t n = ahead.read(chunk.data(), chunk.size());
            got.insert(got.end(), chunk.begin(), chunk.begin() + std::ptrdiff_t(n));
            if (n < chunk.size())
                break;  // short only at the end
            QVERIFY2(got.size() <= size_t(samples), "read past the end");
        }
        QCOMPARE(got.size(), size_t(samples));
        for (size_t i = 0; i < got.size(); ++i)
            QVERIFY2(got[i] == marked(int64_t(i)), qPrintable(QStringLiteral("sample %1").arg(i)));
        // Past the end, nothing more.
        QCOMPARE(ahead.read(chunk.data(), chunk.size()), size_t(0));
    }

    // A reader that stops early (a cancelled render) leaves the decoder
    // waiting for room in a full ring: letting go must not wait for it.
    void stopsWhenTheReaderGoesAway_data()
    {
        QTest::addColumn<int>("read");  // samples read before letting go
        QTest::newRow("nothing read") << 0;
        QTest::newRow("part of a block") << 100;
        QTest::newRow("some blocks") << 5000;
    }
    void stopsWhenTheReaderGoesAway()
    {
        QFETCH(int, read);
        const QByteArray bytes = waveBytes(8000, 1, markedSamples(200000));
        const auto file = open(bytes);
        QVERIFY(file);
        {
            DecodeAhead ahead(*file, 1024, 2);
            std::vector<int16_t> chunk(size_t(std::max(read, 1)));
            QCOMPARE(ahead.read(chunk.data(), size_t(read)), size_t(read));
            QTest::qWait(20);  // room for the decoder to fill the ring and wait
        }
        // The decoder went no further than the ring's room past the reader.
        QVERIFY2(file->position() <= read + 3 * 1024, qPrintable(QString::number(file->position())));
    }
};

QTEST_GUILESS_MAIN(TestDecodeAhead)
#include "test_decode_ahead.moc"
