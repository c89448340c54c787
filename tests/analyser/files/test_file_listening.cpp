// Listening to the file being analysed: with a sound server the strip's
// Listen button plays the whole file to its output while the picture still
// gets every sample of it in order; with none the button is disabled, says
// why, and the file is analysed all the same; a server that dies mid-file
// is told in the strip, and the analysis goes on to the end.
#include "file_input.h"
#include "file_listening.h"
#include "transport_strip.h"
#include "form1.h"

#include <private_sound_server.h>
#include <recorded_messages.h>
#include <scripted_wavein.h>
#include <sound_fixtures.h>

#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace vellarin;
using namespace test_support;

namespace {

constexpr int rate = 44100;          // the private sink's, so the output is the file's samples
constexpr qint64 length = 44100;     // one second
int16_t placed(int64_t i) { return int16_t(i % 30011 - 15005 + (i % 30011 >= 15005 ? 1 : 0)); }  // never silent

struct Window {
    wavein::ScriptedWaveIn live{{"Desk microphone"}};
    SwitchingWaveIn input{live};
    RecordedMessages messages;
    Form1 form{{input, messages}};
    QMenu menu;
    FileInput files{form, input, messages, menu};
};

}  // namespace

class TestFileListening : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_file;
    std::vector<int16_t> m_samples;
    PrivateSoundServer m_server;
    QString m_noServer;

private slots:
    void initTestCase()
    {
        m_samples.resize(size_t(length));
        for (int64_t i = 0; i < length; ++i)
            m_samples[size_t(i)] = placed(i);
        m_file = m_dir.filePath("placed.wav");
        QVERIFY(writeBytes(m_file, waveBytes(rate, 1, m_samples)));
        if (m_server.start(&m_noServer)) {
            // A sink that never rewinds: its monitor hears all it plays.
            QVERIFY(m_server.addSink("heard", "Speaker", {"rate=44100", "norewinds=1"}));
            QVERIFY(m_server.setDefaultSink("heard"));
        }
    }

    void analysedWhetherHeardOrNot_data()
    {
        QTest::addColumn<bool>("server");
        QTest::addColumn<bool>("serverDies");  // mid-file
        QTest::newRow("no sound server") << false << false;
        QTest::newRow("sound server") << true << false;
        QTest::newRow("sound server dies") << true << true;
    }
    void analysedWhetherHeardOrNot()
    {
        QFETCH(bool, server);
        QFETCH(bool, serverDies);
        if (server && !m_noServer.isEmpty())
            QSKIP(qPrintable("no private PulseAudio server can run here: " + m_noServer));
        const QByteArray address = server ? m_server.serverAddress().toLocal8Bit()
                                          : QByteArray("unix:") + QFile::encodeName(m_dir.filePath("no-server"));
        qputenv("PULSE_SERVER", address);

        Window w;
        TransportStrip& strip = *w.files.strip();
        strip.listen()->setChecked(true);  // as chosen for an earlier file
        if (server) {
            QVERIFY(m_server.startRecording("heard"));
            QTest::qWait(300);  // the recorder is listening before anything plays
        }
        QVERIFY(w.files.open(m_file));
        QCOMPARE(strip.listen()->isEnabled(), server);
        QCOMPARE(w.files.listening()->listening(), server);
        QVERIFY2(server || strip.listen()->toolTip().startsWith("No sound server answers"), qPrintable(strip.listen()->toolTip()));
        QVERIFY2(strip.note()->isHidden(), qPrintable(strip.note()->text()));
        QVERIFY(w.messages.shown.isEmpty());

        if (serverDies) {
            QTest::qWait(300);
            m_server.kill();
            // Told in the strip, without a box to click away.
            QTRY_VERIFY_WITH_TIMEOUT(!strip.note()->isHidden(), 5000);
            QCOMPARE(strip.note()->text(), QStringLiteral("Not heard: the sound output went away"));
            QVERIFY(!strip.listen()->isChecked());
            QVERIFY(!w.files.listening()->listening());
        }
        QTRY_VERIFY_WITH_TIMEOUT(w.form.state().Capturing == False, 10000);
        QVERIFY(w.messages.shown.isEmpty());

        // The picture had the file in order, heard or not, up to the end's part buffer.
        const auto& history = w.form.sampleHistory();
        QVERIFY2(history.appended() > uint64_t(length - 512) && history.appended() <= uint64_t(length),
                 qPrintable(QString::number(history.appended())));
        std::vector<int16_t> pictured(history.appended());
        QCOMPARE(history.latest(pictured), pictured.size());
        QVERIFY(std::equal(pictured.begin(), pictured.end(), m_samples.begin()));

        if (server && !serverDies) {
            QTest::qWait(300);  // the recorder hears the last of it
            std::vector<int16_t> heard = m_server.stopRecording();
            heard.erase(std::remove(heard.begin(), heard.end(), int16_t(0)), heard.end());
            QCOMPARE(heard.size(), m_samples.size());
            QVERIFY(heard == m_samples);
        }
    }
};

QTEST_MAIN(TestFileListening)
#include "test_file_listening.moc"
