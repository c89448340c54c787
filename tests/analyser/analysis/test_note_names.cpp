// Note names and cents, the octave grid, and the readout line.
#include "note_grid.h"
#include "note_names.h"
#include "readout_text.h"

#include <QTest>

#include <cmath>

using namespace vellarin;

class NoteNamesTest : public QObject {
    Q_OBJECT
private slots:
    void nearest_data()
    {
        QTest::addColumn<double>("hertz");
        QTest::addColumn<QString>("name");  // empty for none
        QTest::addColumn<int>("cents");
        QTest::newRow("A4") << 440.0 << "A4" << 0;
        QTest::newRow("middle C") << 261.6256 << "C4" << 0;
        QTest::newRow("A0") << 27.5 << "A0" << 0;
        QTest::newRow("C8") << 4186.009 << "C8" << 0;
        QTest::newRow("sharp") << 277.1826 << "C#4" << 0;
        QTest::newRow("20 cents high") << 440.0 * std::exp2(0.2 / 12) << "A4" << 20;
        QTest::newRow("20 cents low") << 440.0 * std::exp2(-0.2 / 12) << "A4" << -20;
        QTest::newRow("49.6 cents high stays +50") << 440.0 * std::exp2(0.496 / 12) << "A4" << 50;
        QTest::newRow("50.6 cents high is the next") << 440.0 * std::exp2(0.506 / 12) << "A#4" << -49;
        QTest::newRow("below C0") << 8.0 << "C-1" << -38;
        QTest::newRow("30 cents under C4") << 261.6256 * std::exp2(-0.3 / 12) << "C4" << -30;
        QTest::newRow("70 cents under C4") << 261.6256 * std::exp2(-0.7 / 12) << "B3" << 30;
        QTest::newRow("zero") << 0.0 << "" << 0;
        QTest::newRow("negative") << -440.0 << "" << 0;
        QTest::newRow("not a number") << std::nan("") << "" << 0;
        QTest::newRow("infinite") << HUGE_VAL << "" << 0;
    }
    void nearest()
    {
        QFETCH(double, hertz);
        QFETCH(QString, name);
        QFETCH(int, cents);
        const auto note = nearestNote(hertz);
        QCOMPARE(note.has_value(), !name.isEmpty());
        if (!note)
            return;
        QCOMPARE(note->name, name);
        QCOMPARE(note->cents, cents);
    }

    void octaveGrid_data()
    {
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::addColumn<QStringList>("labels");
        QTest::newRow("audio band") << 20.0 << 20000.0
                                    << QStringList{"C1", "C2", "C3", "C4", "C5", "C6", "C7", "C8", "C9"};
        QTest::newRow("a decade") << 100.0 << 1000.0 << QStringList{"C3", "C4", "C5"};
        QTest::newRow("ends on C notes") << 261.6255 << 523.2512 << QStringList{"C4", "C5"};
        QTest::newRow("between two Cs") << 300.0 << 500.0 << QStringList{};
        QTest::newRow("8 kHz rate") << 0.0 << 4000.0 << QStringList{"C1", "C2", "C3", "C4", "C5", "C6", "C7"};
        QTest::newRow("upside down") << 1000.0 << 100.0 << QStringList{};
    }
    void octaveGrid()
    {
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(QStringList, labels);
        const auto lines = octaveLines(low, high);
        QStringList got;
        for (const auto& line : lines) {
            got << line.label;
            const auto note = nearestNote(line.hertz);
            QVERIFY(note);
            QCOMPARE(note->name, line.label);
            QCOMPARE(note->cents, 0);
        }
        QCOMPARE(got, labels);
        if (!lines.empty() && lines.front().label == "C4")
            QVERIFY(std::fabs(lines.front().hertz - 261.6256) < 1e-3);
    }

    void readout_data()
    {
        QTest::addColumn<double>("pitch");  // 0 for none
        QTest::addColumn<double>("peakHertz");  // 0 for none
        QTest::addColumn<double>("peakDecibels");
        QTest::addColumn<bool>("fullScale");
        QTest::addColumn<QString>("text");
        QTest::newRow("pitch and peak") << 261.6256 << 3398.3 << 54.0 << false
                                        << QString::fromUtf8("C4 +0 ct (261.6 Hz) \u00b7 peak 3398.3 Hz 54.0 dB");
        QTest::newRow("no peak") << 440.0 * std::exp2(-0.07 / 12) << 0.0 << 0.0 << false
                                 << QString::fromUtf8("A4 -7 ct (438.2 Hz) \u00b7 peak \u2013");
        QTest::newRow("no pitch") << 0.0 << 1000.0 << 90.30873 << false << "peak 1000.0 Hz 90.3 dB";
        QTest::newRow("nothing") << 0.0 << 0.0 << 0.0 << false << QString::fromUtf8("peak \u2013");
        QTest::newRow("full scale in dBFS") << 0.0 << 1000.0 << 20 * std::log10(32767.0) << true
                                            << "peak 1000.0 Hz 0.0 dBFS";
        QTest::newRow("dBFS") << 0.0 << 1000.0 << 54.0 << true << "peak 1000.0 Hz -36.3 dBFS";
    }
    void readout()
    {
        QFETCH(double, pitch);
        QFETCH(double, peakHertz);
        QFETCH(double, peakDecibels);
        QFETCH(bool, fullScale);
        QFETCH(QString, text);
        std::optional<Pitch> heard;
        if (pitch > 0)
            heard = Pitch{pitch, 0.95};
        std::optional<PeakEstimate> peak;
        if (peakHertz > 0)
            peak = PeakEstimate{peakHertz / 10, peakHertz, std::pow(10.0, peakDecibels / 20), peakDecibels};
        QCOMPARE(readoutText(heard, peak, fullScale ? LevelUnit::fullScale : LevelUnit::design), text);
    }
};

QTEST_GUILESS_MAIN(NoteNamesTest)
#include "test_note_names.moc"
