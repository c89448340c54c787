// A sound file as the window's input: the rate drop-down shows the file's
// rate and is held, the devices stay listed, the transport strip stands
// under the chart; pause holds the picture, a seek lands on its sample, loop
// goes round, the end stops as Stop does; a file that cannot be played
// leaves the window as it was; a device chosen goes back to live sound.
// Recording writes exactly the captured samples, and the window renders.
#include "capture_recording.h"
#include "file_input.h"
#include "transport_strip.h"
#include "window_render.h"
#include "form1.h"

#include <recorded_messages.h>
#include <scripted_wavein.h>
#include <sound_fixtures.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QImageReader>
#include <QMenu>
#include <QMimeData>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include <cmath>

using namespace vellarin;
using namespace test_support;

namespace {

// A sample of the file tells where it came from: 7 x its number, wrapped.
int16_t marked(int64_t n)
{
    return int16_t((n * 7) % 30011 - 15005);
}

struct Window {
    wavein::ScriptedWaveIn live{{"Desk microphone", "Line in"}};
    SwitchingWaveIn input{live};
    RecordedMessages messages;
    int64_t now = 0;
    Form1 form{{input, messages, allocateZeroed, [this] { return now; }}};
    QMenu menu;
    FileInput files;

    explicit Window(FileInput::OpenQuestion ask = {}) : files(form, input, messages, menu, std::move(ask), wavein::FilePace::manual) {}

    // Hands the file on by `samples` and lets the window tick, the clock `ms` on.
    size_t play(size_t samples, int64_t ms = 0)
    {
        const size_t went = input.file() ? input.file()->pump(samples) : 0;
        now += ms;
        form.timerTick();
        return went;
    }
    const wavein::FilePlayer& transport() { return input.file()->transport(); }
};

}  // namespace

class TestFileInput : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString markedFile(int rate, int64_t count)
    {
        std::vector<int16_t> s(static_cast<size_t>(count));
        for (int64_t i = 0; i < count; ++i)
            s[size_t(i)] = marked(i);
        const QString path = m_dir.filePath(QStringLiteral("marked-%1-%2.wav").arg(rate).arg(count));
        writeBytes(path, waveBytes(rate, 1, s));
        return path;
    }

private slots:
    void fileBecomesTheInput_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<bool>("capturingBefore");
        QTest::newRow("32 kHz, stopped") << 32000 << false;
        QTest::newRow("8 kHz, live capture running") << 8000 << true;
        QTest::newRow("96 kHz") << 96000 << false;
    }
    void fileBecomesTheInput()
    {
        QFETCH(int, rate);
        QFETCH(bool, capturingBefore);
        Window w;
        if (capturingBefore)
            w.form.Command1->click();
        const int devices = w.form.List1->count();
        const QString rateBefore = w.form.settings().value().rateText;
        const int heightBefore = w.form.height();
        QVERIFY(w.files.open(markedFile(rate, rate * 2)));
        QVERIFY2(w.messages.shown.isEmpty(), qPrintable(w.messages.reasons.join(u';')));
        QVERIFY(w.input.file());
        QVERIFY(w.form.state().Capturing == True);
        QCOMPARE(w.form.Combo1->currentText().trimmed(), QString::number(rate));
        QVERIFY(!w.form.Combo1->isEnabled());
        QCOMPARE(w.form.List1->count(), devices);
        QVERIFY(!w.files.strip()->isHidden());
        QVERIFY(w.form.strips().underChart > 0);
        QVERIFY(w.form.height() > heightBefore);
        QCOMPARE(w.files.strip()->name()->text(), QStringLiteral("marked-%1-%2.wav").arg(rate).arg(rate * 2));
        // Stopped, the drop-down is still the file's.
        w.form.Command2->click();
        QVERIFY(!w.form.Combo1->isEnabled());

        // A device chosen: live sound again, at the rate the window had.
        emit w.form.List1->activated(1);
        QVERIFY(!w.input.file());
        QVERIFY(w.files.strip()->isHidden());
        QCOMPARE(w.form.strips().underChart, 0.0);
        QVERIFY(w.form.Combo1->isEnabled());
        QCOMPARE(w.form.settings().value().rateText, rateBefore);
        w.live.clearCalls();
        w.form.Command1->click();
        QVERIFY(w.form.state().Capturing == True);
        QCOMPARE(w.live.callCount(wavein::ScriptedWaveIn::Op::open), 1);
    }

    void badFileLeavesTheWindowAsItWas_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");  // written unless the name is a folder
        QTest::newRow("missing") << "missing.wav" << QByteArray();
        QTest::newRow("empty") << "empty.wav" << QByteArray("");
        QTest::newRow("not sound") << "notes.wav" << QByteArray("these are not sound, only words about it\n");
        QTest::newRow("rate too low") << "slow.wav" << waveBytes(500, 1, std::vector<int16_t>(1000, 3));
        QTest::newRow("folder") << "folder" << QByteArray();
    }
    void badFileLeavesTheWindowAsItWas()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        const QString path = m_dir.filePath(name);
        if (name == QLatin1String("folder"))
            QDir(m_dir.path()).mkpath(name);
        else if (name != QLatin1String("missing.wav"))
            QVERIFY(writeBytes(path, bytes));
        Window w;
        w.form.Command1->click();
        const QSize size = w.form.size();
        QVERIFY(!w.files.open(path));
        QCOMPARE(w.messages.shown.size(), 1);
        QVERIFY2(w.messages.reasons.first().startsWith(path + u':'), qPrintable(w.messages.reasons.first()));
        QVERIFY(w.form.state().Capturing == True);
        QVERIFY(!w.input.file());
        QVERIFY(w.files.strip()->isHidden());
        QCOMPARE(w.form.size(), size);
        QVERIFY(!w.form.Combo1->isEnabled());  // as capturing has it
    }

    // The end of the file ends the capture as Stop does, without a word; a
    // looping file never ends; Start again plays it from the top.
    void endStopsLikeStop()
    {
        Window w;
        QVERIFY(w.files.open(markedFile(8000, 8000)));
        while (w.play(4096, 50) > 0) {
        }
        for (int i = 0; i < 5 && w.form.state().Capturing == True; ++i)
            w.play(0, 200);
        QVERIFY(w.form.state().Capturing == False);
        QVERIFY(w.form.Command1->isEnabled());
        QVERIFY2(w.messages.shown.isEmpty(), qPrintable(w.messages.shown.join(u';')));
        w.form.Command1->click();
        QVERIFY(w.form.state().Capturing == True);
        QCOMPARE(w.play(4096, 50), size_t(4096));
    }

    void loopGoesRound()
    {
        Window w;
        QVERIFY(w.files.open(markedFile(8000, 8000)));
        w.files.strip()->loop()->click();
        QVERIFY(w.transport().looping());
        for (int i = 0; i < 10; ++i)
            QCOMPARE(w.play(4096, 500), size_t(4096));
        QVERIFY(w.form.state().Capturing == True);
        // 40960 samples of an 8000-sample file: the newest is sample 40959 % 8000.
        int16_t newest = 0;
        w.form.sampleHistory().latest({&newest, 1});
        QCOMPARE(newest, marked(40959 % 8000));
    }

    // Paused, no sound comes and the picture holds, however long.
    void pauseHoldsThePicture()
    {
        Window w;
        QVERIFY(w.files.open(markedFile(8000, 80000)));
        for (int i = 0; i < 4; ++i)
            w.play(2048, 100);
        const uint64_t drawn = w.form.framesDrawn();
        QVERIFY(drawn > 0);
        w.files.strip()->playPause()->click();
        QVERIFY(w.transport().paused());
        for (int i = 0; i < 20; ++i)
            QCOMPARE(w.play(2048, 1000), size_t(0));
        QCOMPARE(w.form.framesDrawn(), drawn);
        QVERIFY(w.form.state().Capturing == True);
        w.files.strip()->playPause()->click();
        QCOMPARE(w.play(2048, 100), size_t(2048));
    }

    // A seek lands on its sample: the next frame is the file's from there.
    void seekLandsOnItsSample_data()
    {
        QTest::addColumn<int>("tenths");  // where the slider is let go
        QTest::newRow("start") << 0;
        QTest::newRow("middle") << 53;
        QTest::newRow("near the end") << 98;
    }
    void seekLandsOnItsSample()
    {
        QFETCH(int, tenths);
        Window w;
        QVERIFY(w.files.open(markedFile(8000, 80000)));
        w.play(4096, 50);
        QSlider* slider = w.files.strip()->position();
        slider->setSliderDown(true);
        slider->setValue(tenths);
        slider->setSliderDown(false);  // released: the sound moves there
        const int64_t to = int64_t(tenths) * 800;
        QCOMPARE(w.play(1024, 50), size_t(1024));
        int16_t newest = 0;
        w.form.sampleHistory().latest({&newest, 1});
        QCOMPARE(newest, marked(to + 1023));
        w.files.refresh();
        QCOMPARE(slider->value(), int(std::lround((to + 1024) / 800.0)));
        QVERIFY(w.files.strip()->time()->text().endsWith(QStringLiteral(" / 0:10.0")));
    }

    // Dropped on the window, or chosen from Ctrl+O's question, a file opens.
    void dropOrAskOpens()
    {
        Window w([this](const QString&, const QString&, const QString&) { return markedFile(22050, 22050); });
        const QString path = markedFile(16000, 16000);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w.form, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w.form, &drop);
        QTRY_VERIFY(w.input.file());
        QCOMPARE(w.input.file()->info().name, path);

        w.files.askAndOpen();
        QCOMPARE(w.input.file()->info().rate, 22050u);
    }

    // What is captured is what is recorded, sample for sample, across a
    // Stop and Start at the same rate.
    void recordingHoldsTheCapturedSamples()
    {
        wavein::ScriptedWaveIn live;
        RecordedMessages messages;
        Form1 form({live, messages, allocateZeroed, [] { return int64_t(0); }});
        QMenu menu;
        CaptureRecording recording(form, messages, menu);
        const QString path = m_dir.filePath(QStringLiteral("recorded.wav"));
        recording.recordTo(path);
        form.settings().edit([](AnalysisSettings& s) { s.rateText = QStringLiteral("11025"); });
        std::vector<int16_t> captured;
        const auto sound = [&captured](uint64_t n) {
            const int16_t v = int16_t(int64_t(n * 2654435761u % 65536) - 32768);
            captured.push_back(v);
            return v;
        };
        for (int run = 0; run < 2; ++run) {
            form.Command1->click();
            QVERIFY(form.state().Capturing == True);
            for (int t = 0; t < 40; ++t) {
                live.completeBuffers(3, sound);
                form.timerTick();
                recording.collect();
            }
            form.Command2->click();
            recording.collect();
        }
        recording.stop();
        QVERIFY(!captured.empty());
        int rate = 0, channels = 0;
        const std::vector<int16_t> kept = readAllSamples(path, &rate, &channels);
        QCOMPARE(rate, 11025);
        QCOMPARE(channels, 1);
        QCOMPARE(kept.size(), captured.size());
        QVERIFY(kept == captured);
        QVERIFY(messages.shown.isEmpty());
    }

    // A disk that is full ends the recording with a message, not the capture.
    void fullDiskStopsOnlyTheRecording()
    {
        if (!QFileInfo::exists(QStringLiteral("/dev/full")))
            QSKIP("no /dev/full here");
        wavein::ScriptedWaveIn live;
        RecordedMessages messages;
        Form1 form({live, messages, allocateZeroed, [] { return int64_t(0); }});
        QMenu menu;
        CaptureRecording recording(form, messages, menu);
        recording.recordTo(QStringLiteral("/dev/full"));
        form.Command1->click();
        for (int t = 0; t < 80 && recording.recording(); ++t) {
            live.completeBuffers(4, [](uint64_t n) { return int16_t(n); });
            form.timerTick();
            recording.collect();
        }
        QVERIFY(!recording.recording());
        QCOMPARE(messages.shown, QStringList{QStringLiteral("Recording stopped!")});
        QVERIFY(messages.reasons.first().contains(QStringLiteral("/dev/full")));
        QVERIFY(form.state().Capturing == True);
    }

    // The window's render writes the picture; a cancelled one writes nothing.
    void renderFromTheWindow_data()
    {
        QTest::addColumn<bool>("cancelled");
        QTest::newRow("rendered") << false;
        QTest::newRow("cancelled") << true;
    }
    void renderFromTheWindow()
    {
        QFETCH(bool, cancelled);
        wavein::ScriptedWaveIn live;
        RecordedMessages messages;
        Form1 form({live, messages});
        QMenu menu;
        const QString picture = m_dir.filePath(QStringLiteral("render-%1.png").arg(cancelled));
        const QString sound = m_dir.filePath(QStringLiteral("long.wav"));
        writeBytes(sound, waveBytes(44100, 1, sine(1000, 44100, 44100 * 20, 8000)));
        WindowRender render(form, messages, menu,
                            [&](bool open, const QString&, const QString&, const QString&) { return open ? sound : picture; },
                            false);
        render.askAndRender();
        QVERIFY(render.busy());
        if (cancelled)
            render.cancel();
        render.finish();
        QVERIFY(!render.busy());
        QVERIFY2(messages.shown.isEmpty(), qPrintable(messages.reasons.join(u';')));
        QCOMPARE(QFileInfo::exists(picture), !cancelled);
        if (!cancelled)
            QCOMPARE(QImageReader(picture).size(), QSize(1600, 800));
    }
};

QTEST_MAIN(TestFileInput)
#include "test_file_input.moc"
