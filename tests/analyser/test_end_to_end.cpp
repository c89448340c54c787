// The analyser from end to end on a real sound server: a private PulseAudio
// whose null sink plays a known tone, recorded the program's default way
// (straight from the server) from the sink's monitor, the default source. The window is driven as a user would: Start, scaling
// options, Stop; and the server is killed mid-capture.
#include "capture_ring.h"
#include "form1.h"

#include <private_sound_server.h>
#include <recorded_messages.h>
#include <wavein/wavein.h>

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryFile>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include <unistd.h>

using namespace vellarin;

namespace {

using test_support::RecordedMessages;

constexpr double sinkRate = 44100;
// Bin 93 of 1024 points and bin 372 of 4096: the tone completes whole cycles in either frame.
constexpr double toneHz = 93 * sinkRate / 1024;
constexpr double toneAmplitude = 0.5;
// round(ln(32767 / 2) x 32767 / ln 32767)
constexpr int toneLevel = 30583;
// Sound server and player may round the samples on their way.
constexpr int levelTolerance = 300;

const QString captureLost = "The sound input device stopped delivering sound!";

// Near 1 kHz and 5 kHz, each on a bin of 1024 points so neither leaks into
// its neighbours: bins 23 and 116.
constexpr double binHz = sinkRate / 1024;
constexpr int lowBin = 23, highBin = 116;
constexpr double twoTonesAmplitude = 0.25;
// 20 log10(32767 / 4)
constexpr double twoTonesDecibels = 78.27;

struct Reading {
    double hertz = -1;
    double decibels = 0;
};

Reading readingOf(const QLabel* label)
{
    static const QRegularExpression form(R"(^(-?[0-9.]+)Hz(?: (-?[0-9.]+)dB)?$)");
    const QRegularExpressionMatch m = form.match(label->text());
    return m.hasMatch() ? Reading{m.captured(1).toDouble(), m.captured(2).toDouble()} : Reading{};
}

// What the process writes to its standard error while it lives: a sound
// library that reports its lost server there, not through the window.
class StandardErrorCapture {
public:
    StandardErrorCapture() : m_saved(dup(STDERR_FILENO))
    {
        std::fflush(stderr);
        if (m_file.open())
            dup2(m_file.handle(), STDERR_FILENO);
    }
    ~StandardErrorCapture() { release(); }
    QString text()
    {
        release();
        m_file.seek(0);
        return QString::fromLocal8Bit(m_file.readAll());
    }

private:
    void release()
    {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
        m_saved = -1;
    }
    QTemporaryFile m_file;
    int m_saved;
};

int peakOf(const int16_t* first, int count)
{
    return int(std::max_element(first, first + count) - first);
}

}  // namespace

class EndToEndTest : public QObject {
    Q_OBJECT

    PrivateSoundServer m_server;
    QString m_whyNot;
    bool m_serverUp = false;
    std::unique_ptr<wavein::WaveInApi> m_waveIn;
    RecordedMessages m_messages;
    std::unique_ptr<Form1> m_window;

    const AnalyserState& state() const { return m_window->state(); }

    // The server's default source.
    QString recordingDevice() const
    {
        for (const char* name : {"Default"})
            for (int i = 0; i < m_window->List1->count(); ++i)
                if (m_window->List1->itemText(i).section(' ', 1) == QLatin1String(name))
                    return m_window->List1->itemText(i);
        return {};
    }

    bool startCapture(const QString& fftSize)
    {
        m_window->Combo1->setEditText("44100");
        m_window->Combo2->setEditText(fftSize);
        m_window->List1->setEditText(recordingDevice());
        m_window->Command1->click();
        return state().Capturing == True;
    }

    // A frame drawn since Start shows the tone at its bin, at its level.
    bool toneShown(int bin) const
    {
        if (state().WarmingUp != False)
            return false;
        const int half = state().FFTSize / 2;
        const int peak = peakOf(state().BinLevel.data(), half + 1);
        return qAbs(peak - bin) <= 1 && qAbs(state().BinLevel[peak] - toneLevel) <= levelTolerance;
    }

private slots:
    void initTestCase()
    {
        m_serverUp = m_server.start(&m_whyNot);
        if (!m_serverUp)
            return;
        QVERIFY(m_server.playTone(toneHz, toneAmplitude));
        m_waveIn = wavein::createSystemWaveIn();
        m_window = std::make_unique<Form1>(Form1Services{*m_waveIn, m_messages});
        m_window->resize(1200, 800);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QVERIFY2(!recordingDevice().isEmpty(), "the sound server lists no default source");
    }

    void init()
    {
        if (!m_serverUp)
            QSKIP(qPrintable("no private sound server here: " + m_whyNot));
        m_messages.shown.clear();
        m_messages.reasons.clear();
    }

    void cleanupTestCase()
    {
        m_window.reset();
        m_waveIn.reset();
    }

    void spectrumOfATone_data()
    {
        QTest::addColumn<QString>("fftSize");
        QTest::addColumn<int>("bin");
        QTest::newRow("1024 points") << "1024" << 93;
        QTest::newRow("4096 points") << "4096" << 372;
    }

    void spectrumOfATone()
    {
        QFETCH(QString, fftSize);
        QFETCH(int, bin);

        QWidget* waterfall = m_window->waterfall().widget();
        QVERIFY(waterfall);
        const QImage before = waterfall->grab().toImage();
        QVERIFY(startCapture(fftSize));

        for (const char* scaling : {"StandardX", "LogX", "FullFreqX"}) {
            m_window->findChild<QRadioButton*>(scaling)->click();
            // A frame drawn since the click rewrites the levels, and the chart line in the new scaling.
            constexpr int16_t unwritten = 12345;  // far from the tone's level and from silence
            const_cast<AnalyserState&>(state()).BinLevel[0] = unwritten;
            QTRY_VERIFY2_WITH_TIMEOUT(state().BinLevel[0] != unwritten && toneShown(bin), scaling, 30000);
            qInfo("%s: bin %d at level %d", scaling, bin, int(state().BinLevel[bin]));

            const AnalyserState& s = state();
            const int columns = m_window->chart().xmax();
            if (s.FreqScaling == StandardScaling) {
                // The chart is handed the levels from the first bin shown.
                QCOMPARE(m_window->HScroll1->value(), 0);
                QVERIFY(bin < columns);
            } else {
                const BinMap& map = s.FreqScaling == LogScaling ? s.ChartLogMap : s.ChartFitMap;
                const int column = peakOf(s.ChartLine.data(), columns);
                QVERIFY2(qAbs(column - map[bin][0]) <= 1, qPrintable(QString("%1: column %2").arg(scaling).arg(column)));
                QVERIFY(qAbs(s.ChartLine[column] - toneLevel) <= levelTolerance);
            }
        }
        QVERIFY(waterfall->grab().toImage() != before);

        const wavein::Handle handle = state().WaveInHandle;
        m_window->Command2->click();
        QCOMPARE(state().Capturing, False);
        QCOMPARE(m_waveIn->streamState(handle), wavein::StreamState::closed);
        QVERIFY(m_window->Command1->isEnabled());
        QCOMPARE(m_messages.shown, QStringList{});
    }

    // An output unplugged mid-capture takes its monitor with it. Chosen by
    // name, the source is not silently replaced by another input: capture
    // stops and says which went. Through "Default", the server's new default
    // is recorded from, and the list names it.
    void sourceUnpluggedMidCapture_data()
    {
        QTest::addColumn<bool>("throughDefault");
        QTest::newRow("chosen by name") << false;
        QTest::newRow("through the default") << true;
    }

    void sourceUnpluggedMidCapture()
    {
        QFETCH(bool, throughDefault);
        QVERIFY(m_server.addSink("desk", "Desk"));
        if (throughDefault)
            QVERIFY(m_server.setDefaultSource("desk.monitor"));
        m_window->listDevices(false);
        QString chosen = recordingDevice();
        for (int i = 0; i < m_window->List1->count() && !throughDefault; ++i)
            if (m_window->List1->itemText(i).endsWith(" Monitor of Desk"))
                chosen = m_window->List1->itemText(i);
        QVERIFY(chosen.endsWith(throughDefault ? " Default" : " Monitor of Desk"));
        m_window->Combo1->setEditText("44100");
        m_window->Combo2->setEditText("1024");
        m_window->List1->setEditText(chosen);
        m_window->Command1->click();
        QCOMPARE(state().Capturing, True);
        QTRY_VERIFY_WITH_TIMEOUT(m_window->framesDrawn() > 0, 30000);

        QVERIFY(m_server.removeSink("desk"));
        if (throughDefault) {
            const QString followed = chosen + " (Monitor of Null Output)";
            QTRY_COMPARE_WITH_TIMEOUT(m_window->List1->currentText(), followed, 30000);
            QTRY_VERIFY_WITH_TIMEOUT(toneShown(93), 30000);
            QCOMPARE(state().Capturing, True);
            m_window->Command2->click();
            QCOMPARE(m_messages.shown, QStringList{});
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(state().Capturing, False, 30000);
            QCOMPARE(m_messages.shown, QStringList{"The sound input device went away!"});
            QVERIFY2(m_messages.reasons.value(0).startsWith("\"Monitor of Desk\" is no longer there"),
                     qPrintable(m_messages.reasons.value(0)));
            QCOMPARE(m_window->List1->currentText(), chosen);
        }
        QVERIFY(m_window->Command1->isEnabled());
        QVERIFY(m_server.setDefaultSource("t.monitor"));
        m_window->listDevices(false);
        QCOMPARE(m_window->List1->currentText(), throughDefault ? chosen : recordingDevice());
    }

    void serverDiesMidCapture_data()
    {
        // A frozen server's stream still looks alive: it is given up after two seconds of silence.
        QTest::addColumn<bool>("frozen");
        QTest::newRow("killed") << false;
        QTest::newRow("frozen") << true;
    }

    void serverDiesMidCapture()
    {
        QFETCH(bool, frozen);

        QVERIFY(startCapture("1024"));
        QTRY_VERIFY_WITH_TIMEOUT(toneShown(93), 30000);
        const wavein::Handle handle = state().WaveInHandle;

        StandardErrorCapture standardError;
        frozen ? m_server.freeze() : m_server.kill();
        // How soon the watchdog gives up is tested on a scripted clock; here only that it does.
        QTRY_VERIFY_WITH_TIMEOUT(state().Capturing == False, 60000);
        QCOMPARE(m_messages.shown, QStringList{captureLost});
        // The window's message is the one report.
        QCOMPARE(standardError.text(), QString());
        QCOMPARE(m_waveIn->streamState(handle), wavein::StreamState::closed);
        QVERIFY(m_window->Command1->isEnabled());

        // The server comes back; Start finds it without restarting the program.
        m_server.stop();
        QVERIFY(m_server.start(&m_whyNot));
        QVERIFY(m_server.playTone(toneHz, toneAmplitude));
        m_messages.shown.clear();
        QVERIFY(startCapture("1024"));
        QTRY_VERIFY_WITH_TIMEOUT(toneShown(93), 30000);
        m_window->Command2->click();
        QCOMPARE(m_messages.shown, QStringList{});
    }

    void stopWhileTheServerIsFrozen()
    {
        QVERIFY(startCapture("1024"));
        QTRY_VERIFY_WITH_TIMEOUT(toneShown(93), 5000);

        m_server.freeze();
        QElapsedTimer stopping;
        stopping.start();
        m_window->Command2->click();
        qInfo("Stop returned %lld ms after the server froze", stopping.elapsed());
        // Still frozen: the window has let go of a device that cannot answer.
        QCOMPARE(state().Capturing, False);
        QVERIFY(m_window->Command1->isEnabled());
        QCOMPARE(m_messages.shown, QStringList{});

        m_server.resume();
        QVERIFY(startCapture("1024"));
        QTRY_VERIFY_WITH_TIMEOUT(toneShown(93), 5000);
        m_window->Command2->click();
        QCOMPARE(m_messages.shown, QStringList{});
    }

    // The window stalls for longer than the ring lasts (256 buffers, 3 s):
    // the first tick after it draws from the newest samples and gathers a
    // whole fresh frame before the next line.
    void stallLongerThanTheRing()
    {
        QVERIFY(startCapture("1024"));
        QTRY_VERIFY_WITH_TIMEOUT(toneShown(93), 5000);

        // Silence from now on, so a line drawn from the oldest buffers would show the tone.
        m_server.stopPlaying();
        // The window handles no event, so no tick, until the device has filled the whole ring.
        const auto ringFull = [this] { return countReadyBuffers(state()) == state().LastBuffer + 1; };
        for (int waitedMs = 0; !ringFull() && waitedMs < 60000; waitedMs += 10)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        QVERIFY(ringFull());
        m_window->timerTick();
        QCOMPARE(state().WarmingUp, True);
        QCOMPARE(state().BuffersCollected, 0);
        QVERIFY2(state().BinLevel[93] < toneLevel / 2, qPrintable(QString::number(state().BinLevel[93])));

        QVERIFY(m_server.playTone(toneHz, toneAmplitude));
        QTRY_VERIFY_WITH_TIMEOUT(toneShown(93), 5000);
        QCOMPARE(state().Capturing, True);
        m_window->Command2->click();
        QCOMPARE(m_messages.shown, QStringList{});
    }

    void readoutsAndLevelWindowOfTwoTones()
    {
        QVERIFY(m_server.playTones({lowBin * binHz, highBin * binHz}, twoTonesAmplitude));
        QVERIFY(startCapture("1024"));
        m_window->StandardX->click();
        const auto bothShown = [this] {
            const auto& level = state().BinLevel;
            return state().WarmingUp == False && level[lowBin] > 25000 && level[highBin] > 25000;
        };
        QTRY_VERIFY_WITH_TIMEOUT(bothShown(), 30000);

        // Standard scaling from bin 0: bin k is drawn on column k + 1. The
        // chart is not locked while capturing, so the right button holds the cross-hair.
        QWidget* chart = m_window->chart().widget();
        const QPoint onPeak(highBin + 1, chart->height() / 2);
        QTest::mousePress(chart, Qt::RightButton, {}, onPeak);
        const Reading crossHair = readingOf(m_window->Label5);
        QTest::mouseRelease(chart, Qt::RightButton, {}, onPeak);
        qInfo("cross-hair: %s", qPrintable(m_window->Label5->text()));
        QVERIFY(qAbs(crossHair.hertz - highBin * binHz) <= binHz);
        QVERIFY(qAbs(crossHair.decibels - twoTonesDecibels) <= 1);

        // The pointer over the low tone's line, which runs across the
        // picture in one direction and down it in the other.
        QWidget* waterfall = m_window->waterfall().widget();
        if (m_window->Check1->isChecked())
            m_window->Check1->click();
        const struct {
            QRadioButton* option;
            QPoint over;
        } directions[] = {{m_window->Option1, {lowBin, waterfall->height() / 2}},
                          {m_window->Option4, {waterfall->width() / 2, lowBin}}};
        for (const auto& d : directions) {
            d.option->click();
            m_window->Label5->clear();
            QTest::mouseMove(waterfall, d.over);
            QTRY_VERIFY(readingOf(m_window->Label5).hertz >= 0);
            qInfo("%s: %s", qPrintable(d.option->text()), qPrintable(m_window->Label5->text()));
            QVERIFY(qAbs(readingOf(m_window->Label5).hertz - lowBin * binHz) <= binHz);
        }

        // Best Dynamic Range, then a zoom out on the chart: each time the
        // waterfall's value for the tone moves to the new level window.
        const auto toneValue = [this] { return int(state().WaterfallLine[highBin]); };
        const int raw = toneValue();
        m_window->Command5->click();
        QCOMPARE(state().LevelZoomed, True);
        QTRY_VERIFY(qAbs(toneValue() - raw) > 1000);
        const int fitted = toneValue();
        const int32_t spanBefore = state().LevelSpan;
        QTest::mouseDClick(chart, Qt::LeftButton, {}, QPoint(10, 10));
        // The chart doubles its half range, truncated when it halved the span.
        QVERIFY(qAbs(state().LevelSpan - 2 * spanBefore) <= 2);
        QTRY_VERIFY(qAbs(toneValue() - fitted) > 1000);
        qInfo("tone in the waterfall: %d raw, %d fitted, %d zoomed out", raw, fitted, toneValue());

        m_window->Command2->click();
        QCOMPARE(m_messages.shown, QStringList{});
    }
};

QTEST_MAIN(EndToEndTest)
#include "test_end_to_end.moc"
