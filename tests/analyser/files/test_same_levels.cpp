// A file of known tones played through the file input gives exactly the
// levels the same samples give through a live input at the same hop: the
// window cannot tell a file from a microphone. This runs the whole capture
// path (ring, frame, transform, levels) with no sound server at all.
#include "form1.h"

#include <recorded_messages.h>
#include <scripted_wavein.h>
#include <sound_fixtures.h>

#include <wavein/file_wavein.h>

#include <QComboBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <cmath>
#include <numbers>

using namespace vellarin;
using test_support::RecordedMessages;

namespace {

struct Window {
    RecordedMessages messages;
    std::unique_ptr<Form1> form;

    explicit Window(wavein::WaveInApi& device)
        : form(std::make_unique<Form1>(Form1Services{device, messages, allocateZeroed, [] { return int64_t(0); }}))
    {
    }
    void start(int rate, int fft)
    {
        form->Combo1->setEditText(QString::number(rate));
        form->Combo2->setEditText(QString::number(fft));
        form->List1->setEditText(QStringLiteral("0 (default)"));
        form->Command1->click();
    }
    const AnalyserState& state() const { return form->state(); }
};

// Three tones on bins and off them, and a little of everything between.
std::vector<int16_t> knownTones(int rate, size_t count)
{
    std::vector<int16_t> s(count);
    for (size_t i = 0; i < count; ++i) {
        const double t = double(i) / rate;
        const double v = 9000 * std::sin(2 * std::numbers::pi * 440 * t) + 5000 * std::sin(2 * std::numbers::pi * 1234.5 * t)
                         + 2000 * std::sin(2 * std::numbers::pi * rate / 5.0 * t) + double(int(i * 7919 % 201) - 100);
        s[i] = int16_t(std::lround(v));
    }
    return s;
}

}  // namespace

class TestSameLevels : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void fileAndLiveInputGiveTheSameLevels_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("fft");
        QTest::addColumn<int>("hop");       // buffers of 512 samples per tick
        QTest::addColumn<int>("channels");  // in the file; the live input gets their mix
        QTest::newRow("44100 Hz, N 1024, one buffer a tick") << 44100 << 1024 << 1 << 1;
        QTest::newRow("8000 Hz, N 4096, three buffers a tick") << 8000 << 4096 << 3 << 1;
        QTest::newRow("48000 Hz, N 16384, seven buffers a tick") << 48000 << 16384 << 7 << 1;
        QTest::newRow("stereo mixed, 22050 Hz, N 2048") << 22050 << 2048 << 2 << 2;
        QTest::newRow("replacing the frame, N 1024, five buffers") << 11025 << 1024 << 5 << 1;
    }
    void fileAndLiveInputGiveTheSameLevels()
    {
        QFETCH(int, rate);
        QFETCH(int, fft);
        QFETCH(int, hop);
        QFETCH(int, channels);
        constexpr int ticks = 60;
        const size_t samples = size_t(ticks * hop * 512 + fft);
        std::vector<int16_t> mono = knownTones(rate, samples);
        std::vector<int16_t> written = mono;
        if (channels == 2) {
            // Left and right differ; their mean, ties to even, is what the live input hears.
            written.assign(2 * samples, 0);
            for (size_t i = 0; i < samples; ++i) {
                written[2 * i] = mono[i];
                written[2 * i + 1] = int16_t(mono[i] / 2 + int(i % 3));
                const int sum = written[2 * i] + written[2 * i + 1];
                mono[i] = int16_t(sum % 2 == 0 ? sum / 2 : (sum / 2) % 2 == 0 ? sum / 2 : sum / 2 + (sum > 0 ? 1 : -1));
            }
        }
        const QString path = m_dir.filePath("tones.wav");
        QVERIFY(test_support::writeBytes(path, test_support::waveBytes(rate, channels, written)));

        wavein::SoundFileError error;
        auto sound = wavein::SoundFile::open(path, {}, error);
        QVERIFY2(sound, qPrintable(error.message()));
        wavein::FileWaveIn fileInput(std::move(sound), wavein::FilePace::manual);
        wavein::ScriptedWaveIn liveInput;

        Window fromFile(fileInput);
        Window live(liveInput);
        fromFile.start(rate, fft);
        live.start(rate, fft);
        QVERIFY2(fromFile.state().Capturing == True, qPrintable(fromFile.messages.shown.join(u';')));
        QVERIFY(live.state().Capturing == True);

        const auto fromTheFile = [&](uint64_t n) { return mono[size_t(n)]; };
        const int half = fft / 2;
        int drawn = 0;
        for (int t = 0; t < ticks; ++t) {
            QCOMPARE(fileInput.pump(size_t(hop) * 512), size_t(hop) * 512);
            QCOMPARE(liveInput.completeBuffers(hop, fromTheFile), hop);
            const auto before = drawn;
            const int16_t unwritten = 12345;
            const_cast<AnalyserState&>(fromFile.state()).BinLevel[0] = unwritten;
            const_cast<AnalyserState&>(live.state()).BinLevel[0] = unwritten;
            fromFile.form->timerTick();
            live.form->timerTick();
            const bool fileDrew = fromFile.state().BinLevel[0] != unwritten;
            QCOMPARE(fileDrew, live.state().BinLevel[0] != unwritten);
            drawn += fileDrew;
            if (drawn == before)
                continue;
            QCOMPARE(fromFile.state().FrameSamples, live.state().FrameSamples);
            for (int k = 0; k <= half; ++k)
                QCOMPARE(fromFile.state().BinLevel[size_t(k)], live.state().BinLevel[size_t(k)]);
        }
        QVERIFY(drawn >= ticks / 2);
        // The tones stand far above the rest: the frames were not silent.
        const double bin440 = 440.0 * fft / rate;
        QVERIFY(fromFile.state().BinLevel[size_t(std::lround(bin440))] > 20000);
        QVERIFY(fromFile.messages.shown.isEmpty());
    }
};

QTEST_MAIN(TestSameLevels)
#include "test_same_levels.moc"
