// Start, Stop and the capture ring, driven tick by tick over a scripted
// device: what Start asks of the device and what each failure leaves behind,
// when the first frame is drawn, which samples make the frame, how buffers go
// back to the device, and the watchdog that gives up a silent device.
#include "test_capture_fixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

using namespace vellarin;
using capture_test::LiveWindow;
using Op = wavein::ScriptedWaveIn::Op;

Q_DECLARE_METATYPE(Op)
Q_DECLARE_METATYPE(wavein::Backend)

namespace {

const QString openFailed = "Failed to open sound input device!";
const QString badFftSize = "The FFT size must be 1024, 2048, 4096, 8192 or 16384!";
const QString captureLost = "The sound input device stopped delivering sound!";
const QString sourceGone = "The sound input device went away!";

QList<Op> opsOf(const wavein::ScriptedWaveIn& device)
{
    QList<Op> ops;
    for (const auto& call : device.calls())
        ops << call.op;
    return ops;
}

// Stopped means: device closed, timer off, the Start button back, the chart locked.
void verifyStopped(LiveWindow& w)
{
    QVERIFY(!w.capturing());
    QCOMPARE(w.device.openHandle(), wavein::Handle(0));
    QVERIFY(!w.window->Timer1->isActive());
    QVERIFY(w.window->Command1->isEnabled());
    QVERIFY(!w.window->Command2->isEnabled());
    QVERIFY(w.window->Combo2->isEnabled());
    QVERIFY(!w.window->StandardX->isEnabled());
    QVERIFY(w.window->chart().lock());
}

void verifyCapturing(LiveWindow& w)
{
    QVERIFY(w.capturing());
    QVERIFY(w.device.openHandle() != 0);
    QVERIFY(w.device.isStarted());
    QCOMPARE(int(w.device.queue().size()), 256);
    QVERIFY(w.window->Timer1->isActive());
    QVERIFY(!w.window->Command1->isEnabled());
    QVERIFY(w.window->Command2->isEnabled());
    QVERIFY(!w.window->Combo1->isEnabled());
    QVERIFY(w.window->LogX->isEnabled());
    QVERIFY(!w.window->chart().lock());
    QCOMPARE(w.state().NextBuffer, int16_t(0));
}

}  // namespace

class CaptureTest : public QObject {
    Q_OBJECT
private slots:
    void start_data()
    {
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("fftSize");
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("failingOp");  // -1: none
        QTest::addColumn<int>("failingCall");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("opens");
        QTest::addColumn<uint>("samplesPerSec");
        QTest::addColumn<QString>("label4");
        QTest::addColumn<int>("fftAfter");

        const QString dflt = "0 (default)";
        const QStringList none;
        QTest::newRow("22050") << "22050" << "1024" << dflt << -1 << 0 << none << 1 << 22050u << "11025 Hz" << 1024;
        QTest::newRow("rate tie to even") << "12345.5" << "1024" << dflt << -1 << 0 << none << 1 << 12346u
                                          << "6173 Hz" << 1024;
        QTest::newRow("rate without a number") << "fast" << "1024" << dflt << -1 << 0 << QStringList{openFailed} << 0
                                               << 0u << "0 Hz" << 1024;
        QTest::newRow("rate beyond 32 bits") << "99999999999" << "1024" << dflt << -1 << 0 << QStringList{openFailed}
                                             << 0 << 0u << "0 Hz" << 1024;
        QTest::newRow("negative rate") << "-8000" << "1024" << dflt << -1 << 0 << QStringList{openFailed} << 0 << 0u
                                       << "0 Hz" << 1024;
        QTest::newRow("device index beyond 32 bits") << "8000" << "1024" << "4294967296 (x)" << -1 << 0
                                                     << QStringList{openFailed} << 0 << 0u << "4000 Hz" << 1024;
        QTest::newRow("no such device") << "8000" << "4096" << "3 Ghost" << -1 << 0 << QStringList{openFailed} << 1
                                        << 8000u << "4000 Hz" << 4096;
        QTest::newRow("FFT size between the sizes") << "8000" << "3000" << dflt << -1 << 0 << QStringList{badFftSize}
                                                    << 0 << 0u << "11025 Hz" << 1024;
        QTest::newRow("FFT size beyond the arrays") << "8000" << "32768" << dflt << -1 << 0
                                                    << QStringList{badFftSize} << 0 << 0u << "11025 Hz" << 1024;
        QTest::newRow("start fails") << "22050" << "1024" << dflt << int(Op::start) << 1
                                     << QStringList{"Failed to start!"} << 1 << 22050u << "11025 Hz" << 1024;
        QTest::newRow("preparing buffer 100 fails") << "22050" << "1024" << dflt << int(Op::prepare) << 100
                                                    << QStringList{"Failed to prepare buffer!"} << 1 << 22050u
                                                    << "11025 Hz" << 1024;
        QTest::newRow("adding the last buffer fails") << "22050" << "1024" << dflt << int(Op::add) << 256
                                                      << QStringList{"Failed to add buffer!"} << 1 << 22050u
                                                      << "11025 Hz" << 1024;
    }

    void start()
    {
        QFETCH(QString, rate);
        QFETCH(QString, fftSize);
        QFETCH(QString, source);
        QFETCH(int, failingOp);
        QFETCH(int, failingCall);
        QFETCH(QStringList, messages);
        QFETCH(int, opens);
        QFETCH(uint, samplesPerSec);
        QFETCH(QString, label4);
        QFETCH(int, fftAfter);

        LiveWindow w;
        if (failingOp >= 0)
            w.device.failCall(Op(failingOp), wavein::result::error, failingCall);
        w.start(rate, fftSize, source);

        QCOMPARE(w.messages.shown, messages);
        QCOMPARE(w.device.callCount(Op::open), opens);
        QCOMPARE(w.state().FFTSize, fftAfter);
        // A capture that starts relabels the frequency view afterwards.
        if (!messages.isEmpty())
            QCOMPARE(w.window->Label4->text(), label4);
        if (opens > 0) {
            const wavein::WaveFormat& f = w.device.lastFormat();
            QCOMPARE(f.samplesPerSec, samplesPerSec);
            QCOMPARE(f.avgBytesPerSec, samplesPerSec * 2);
            QCOMPARE(f.blockAlign, uint16_t(2));
            QCOMPARE(f.bitsPerSample, uint16_t(16));
            QCOMPARE(f.channels, uint16_t(1));
        }
        if (messages.isEmpty()) {
            verifyCapturing(w);
        } else {
            verifyStopped(w);
            // A device that was opened is given back whole.
            QCOMPARE(w.device.callCount(Op::close), failingOp >= 0 ? 1 : 0);
        }
    }

    void openFailureReason_data()
    {
        QTest::addColumn<QString>("rate");
        QTest::addColumn<uint>("failure");  // of the open call; 0: it is not called
        QTest::addColumn<QString>("reason");
        QTest::newRow("rate below the range") << "500" << 0u << "The sample rate must be from 1000 to 768000 Hz; 500 is not.";
        QTest::newRow("rate the device refuses") << "96000" << uint(wavein::result::badFormat)
                                                 << "The device does not record at 96000 Hz.";
        QTest::newRow("the wave input's own reason") << "8000" << uint(wavein::result::badDeviceId)
                                                     << "The input device is no longer there.";
        QTest::newRow("no reason known") << "8000" << uint(wavein::result::invalidParameter) << "";
    }

    void openFailureReason()
    {
        QFETCH(QString, rate);
        QFETCH(uint, failure);
        LiveWindow w;
        if (failure != 0)
            w.device.failCall(Op::open, failure);
        w.start(rate, "1024");
        QCOMPARE(w.device.callCount(Op::open), failure != 0 ? 1 : 0);
        QCOMPARE(w.messages.shown, QStringList{openFailed});
        QTEST(w.messages.reasons.value(0), "reason");
    }

    // The highest rate is the backend's own: the sound server records at no
    // more than 384000 Hz, over ALSA a driver may take 768000.
    void rateWithinTheBackendsLimit_data()
    {
        QTest::addColumn<wavein::Backend>("backend");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("refusal");  // empty: the device is asked
        const QString server = "The sample rate must be from 1000 to 384000 Hz (the sound server's limit); %1 is not.";
        QTest::newRow("server, at its limit") << wavein::Backend::server << "384000" << "";
        QTest::newRow("server, past its limit") << wavein::Backend::server << "384001" << server.arg(384001);
        QTest::newRow("server, 768000") << wavein::Backend::server << "768000" << server.arg(768000);
        QTest::newRow("server, below the range") << wavein::Backend::server << "999" << server.arg(999);
        QTest::newRow("ALSA, 768000") << wavein::Backend::alsa << "768000" << "";
        QTest::newRow("ALSA, past it") << wavein::Backend::alsa << "768001"
                                       << "The sample rate must be from 1000 to 768000 Hz; 768001 is not.";
    }

    void rateWithinTheBackendsLimit()
    {
        QFETCH(wavein::Backend, backend);
        QFETCH(QString, rate);
        QFETCH(QString, refusal);
        LiveWindow w;
        w.device.setBackend(backend);
        w.start(rate, "1024");
        QCOMPARE(w.device.callCount(Op::open), refusal.isEmpty() ? 1 : 0);
        QCOMPARE(w.messages.shown, refusal.isEmpty() ? QStringList{} : QStringList{openFailed});
        QCOMPARE(w.messages.reasons.value(0), refusal);
    }

    // Recording from a source chosen by name, the window never goes on from
    // another input under that name: when the source goes, capture stops and
    // says which. The default source is followed, and the list names it.
    void sourceThatGoesAway_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<bool>("moved");  // the server moves the stream; else it ends it
        QTest::addColumn<QString>("reason");  // empty: capture goes on
        QTest::addColumn<QString>("listText");

        const QString usbGone = "\"USB Mic\" is no longer there: it was unplugged or taken off the sound server. "
                                "Recording stopped rather than go on from another input.";
        QTest::newRow("named source ends") << "1 USB Mic" << false << usbGone << "1 USB Mic";
        QTest::newRow("named source moved anyway") << "1 USB Mic" << true << usbGone << "1 USB Mic";
        QTest::newRow("default follows") << "0 Default" << true << "" << "0 Default (Desk Mic)";
        QTest::newRow("default's source ends") << "0 Default" << false
                                               << "\"Default\" is no longer there: it was unplugged or taken off "
                                                  "the sound server. Recording stopped rather than go on from another input."
                                               << "0 Default";
    }

    void sourceThatGoesAway()
    {
        QFETCH(QString, chosen);
        QFETCH(bool, moved);
        QFETCH(QString, reason);
        QFETCH(QString, listText);

        LiveWindow w;
        w.device.setDevices({"Default|", "USB Mic|alsa_input.usb", "Desk Mic|alsa_input.desk"});
        w.window->listDevices(false);
        w.start("44100", "1024", chosen);
        verifyCapturing(w);
        w.tick(2);
        if (moved)
            w.device.moveStream("Desk Mic|alsa_input.desk");
        else
            w.device.loseSource();
        for (int quiet = 0; quiet < 200; quiet += 20)
            w.tick(moved ? 1 : 0);

        QCOMPARE(w.window->List1->currentText(), listText);
        if (reason.isEmpty()) {
            QCOMPARE(w.messages.shown, QStringList{});
            QVERIFY(w.capturing());
            QVERIFY(w.tickDraws(1));
            // Stopped and started again, the default is what is recorded from.
            w.window->Command2->click();
            w.window->Command1->click();
            QCOMPARE(w.device.openDevice(), 0u);
            return;
        }
        QCOMPARE(w.messages.shown, QStringList{sourceGone});
        QCOMPARE(w.messages.reasons, QStringList{reason});
        verifyStopped(w);
    }

    void stop_data()
    {
        QTest::addColumn<bool>("byClosingTheWindow");
        QTest::addColumn<int>("stopFailure");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("Stop button") << false << 0 << QStringList{};
        QTest::newRow("closing the window") << true << 0 << QStringList{};
        QTest::newRow("stopping fails") << false << 5 << QStringList{"Error stopping wav input device 5"};
    }

    void stop()
    {
        QFETCH(bool, byClosingTheWindow);
        QFETCH(int, stopFailure);
        QFETCH(QStringList, messages);

        LiveWindow w;
        w.start();
        w.device.clearCalls();
        if (stopFailure)
            w.device.failCall(Op::stop, wavein::MmResult(stopFailure));
        if (byClosingTheWindow)
            w.window->close();
        else
            w.window->Command2->click();

        QList<Op> expected{Op::stop, Op::reset};
        for (int i = 0; i < 256; ++i)
            expected << Op::unprepare;
        expected << Op::close;
        QCOMPARE(opsOf(w.device), expected);
        QCOMPARE(w.messages.shown, messages);
        verifyStopped(w);

        // Stop while stopped touches no device.
        w.device.clearCalls();
        w.window->stopCapture();
        QVERIFY(w.device.calls().empty());

        // The same buffers serve the next capture.
        w.start();
        verifyCapturing(w);
    }

    void idleTickChangesNothing()
    {
        LiveWindow w;
        w.start();
        w.tick(1, capture_test::numbered);
        w.device.clearCalls();
        const auto frame = w.state().FrameSamples;
        const auto collected = w.state().BuffersCollected;
        QVERIFY(!w.tickDraws(0));
        QVERIFY(w.device.calls().empty());
        QCOMPARE(w.state().NextBuffer, int16_t(1));
        QCOMPARE(w.state().BuffersCollected, collected);
        QVERIFY(w.state().FrameSamples == frame);
    }

    void firstFrame_data()
    {
        QTest::addColumn<QString>("fftSize");
        QTest::addColumn<QList<int>>("buffersPerTick");
        QTest::addColumn<int>("firstDrawingTick");
        QTest::newRow("1024, one buffer a tick") << "1024" << QList<int>{1, 1, 1} << 2;
        QTest::newRow("1024, two at once") << "1024" << QList<int>{2, 1} << 1;
        QTest::newRow("16384, 31 then one") << "16384" << QList<int>{31, 1, 1} << 2;
    }

    void firstFrame()
    {
        QFETCH(QString, fftSize);
        QFETCH(QList<int>, buffersPerTick);
        QFETCH(int, firstDrawingTick);

        LiveWindow w;
        w.start("44100", fftSize);
        for (int t = 1; t <= buffersPerTick.size(); ++t) {
            const bool drew = w.tickDraws(buffersPerTick[t - 1]);
            // Once warm, every tick with a buffer draws; an idle one never does.
            QCOMPARE(drew, t >= firstDrawingTick && buffersPerTick[t - 1] > 0);
        }
        QCOMPARE(w.state().WarmingUp, False);
    }

    void frameHoldsTheNewestSamples_data()
    {
        QTest::addColumn<QString>("fftSize");
        QTest::addColumn<QList<int>>("buffersPerTick");
        QTest::newRow("2048, slide by one") << "2048" << QList<int>{4, 1};
        QTest::newRow("2048, slide by three") << "2048" << QList<int>{4, 3};
        QTest::newRow("1024, more than a frame") << "1024" << QList<int>{2, 5};
        QTest::newRow("4096, round the end of the ring") << "4096" << QList<int>{200, 50, 9, 2};
    }

    void frameHoldsTheNewestSamples()
    {
        QFETCH(QString, fftSize);
        QFETCH(QList<int>, buffersPerTick);

        LiveWindow w;
        w.start("44100", fftSize);
        for (int buffers : buffersPerTick)
            w.tick(buffers, capture_test::numbered);

        const int n = w.state().FFTSize;
        const int64_t recorded = int64_t(w.device.samplesRecorded());
        for (int i = std::max<int64_t>(0, n - recorded); i < n; ++i)
            QCOMPARE(w.state().FrameSamples[i], capture_test::numbered(uint64_t(recorded - n + i)));
    }

    void buffersGoBackInRingOrder()
    {
        LiveWindow w;
        w.start("44100", "1024");
        w.tick(127);
        w.tick(127);
        QCOMPARE(w.state().NextBuffer, int16_t(254));

        w.device.clearCalls();
        w.tick(3);
        QList<const wavein::WaveHeader*> prepared, added;
        for (const auto& call : w.device.calls()) {
            if (call.op == Op::prepare)
                prepared << call.header;
            if (call.op == Op::add)
                added << call.header;
        }
        const auto& headers = w.state().BufferHeaders;
        const QList<const wavein::WaveHeader*> expected{&headers[254], &headers[255], &headers[0]};
        QCOMPARE(prepared, expected);
        QCOMPARE(added, expected);
        QCOMPARE(w.state().NextBuffer, int16_t(1));
        for (const wavein::WaveHeader* h : expected) {
            QCOMPARE(h->bufferLength, 1024u);
            QCOMPARE(h->data, w.state().BufferMemory[h - headers.data()].get());
        }
    }

    void overrunGathersAFreshFrame()
    {
        LiveWindow w;
        w.start("44100", "2048");
        QVERIFY(w.tickDraws(250));
        QCOMPARE(w.state().WarmingUp, True);
        QCOMPARE(w.state().BuffersCollected, 0);
        QCOMPARE(w.state().NextBuffer, int16_t(250));
        // A whole fresh frame of four buffers before the next line.
        QVERIFY(!w.tickDraws(3));
        QVERIFY(w.tickDraws(1));
        QVERIFY(w.tickDraws(1));
        // 245 waiting is no overrun.
        QVERIFY(w.tickDraws(245));
        QCOMPARE(w.state().WarmingUp, False);
    }

    void failingToGiveBuffersBack_data()
    {
        QTest::addColumn<Op>("failing");
        QTest::addColumn<QString>("message");
        QTest::newRow("prepare") << Op::prepare << "Failed to prepare header!";
        QTest::newRow("add") << Op::add << "Failed to add buffer!";
    }

    void failingToGiveBuffersBack()
    {
        QFETCH(Op, failing);
        QFETCH(QString, message);

        LiveWindow w;
        w.start("44100", "1024");
        w.tick(5);
        w.device.failCall(failing, wavein::result::error, 2);
        QVERIFY(!w.tickDraws(3));
        QCOMPARE(w.messages.shown, QStringList{message});
        QCOMPARE(w.state().NextBuffer, int16_t(5));
        verifyStopped(w);
        w.tick(0);
        QCOMPARE(w.messages.shown.size(), 1);
    }

    void watchdog_data()
    {
        QTest::addColumn<QString>("rate");
        QTest::addColumn<bool>("delivering");
        QTest::addColumn<bool>("streamFails");
        QTest::addColumn<int>("quietMs");
        QTest::addColumn<bool>("givenUp");

        // A stream that says it runs is kept through a long quiet, but not for ever.
        QTest::newRow("44100, quiet 1900 ms") << "44100" << true << false << 1900 << false;
        QTest::newRow("44100, quiet 2100 ms") << "44100" << true << false << 2100 << true;
        QTest::newRow("8000, quiet 2100 ms") << "8000" << true << false << 2100 << true;
        QTest::newRow("stream failed, quiet 140 ms") << "44100" << true << true << 140 << true;
        QTest::newRow("first buffer never") << "44100" << false << false << 5200 << true;
        QTest::newRow("stream failed before the first buffer") << "44100" << false << true << 140 << true;
    }

    void burstsKeepCapturing()
    {
        LiveWindow w;
        w.start("44100", "1024");
        // 0.7 s of sound at a time: 61 buffers, after 35 quiet ticks.
        for (int burst = 0; burst < 5; ++burst) {
            for (int quiet = 0; quiet < 35; ++quiet)
                w.tick(0);
            QVERIFY(w.tickDraws(61));
        }
        QVERIFY(w.capturing());
        QCOMPARE(w.messages.shown, QStringList{});
    }

    void watchdog()
    {
        QFETCH(QString, rate);
        QFETCH(bool, delivering);
        QFETCH(bool, streamFails);
        QFETCH(int, quietMs);
        QFETCH(bool, givenUp);

        LiveWindow w;
        w.start(rate, "1024");
        if (delivering)
            for (int i = 0; i < 5; ++i)
                w.tick(2);
        if (streamFails)
            w.device.failStream();
        for (int quiet = 0; quiet < quietMs; quiet += 20)
            w.tick(0);

        QCOMPARE(w.capturing(), !givenUp);
        QCOMPARE(w.messages.shown, givenUp ? QStringList{captureLost} : QStringList{});
        if (!givenUp)
            return;
        verifyStopped(w);
        w.tick(0);
        QCOMPARE(w.messages.shown.size(), 1);
        // Started again, the window captures as before.
        w.start(rate, "1024");
        verifyCapturing(w);
        QVERIFY(w.tickDraws(2));
    }
};

QTEST_MAIN(CaptureTest)
#include "test_capture.moc"
