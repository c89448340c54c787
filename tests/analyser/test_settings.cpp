// The analysis settings and the seams around the window: the one model the
// drop-downs, the scaling options and the readers share, the strips that keep
// the chart's and the waterfall's columns together, the sample history, and
// the pipeline that analyses sound without the window.
#include "analysis_pipeline.h"
#include "analysis_settings.h"
#include "component_site.h"
#include "level_meter_strip.h"
#include "levels.h"
#include "test_capture_fixture.h"

#include <interfaces/cascadra.h>

#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <numeric>

using namespace vellarin;
using capture_test::LiveWindow;

Q_DECLARE_METATYPE(std::optional<int32_t>)

class SettingsTest : public QObject {
    Q_OBJECT

private slots:
    void typedText_data()
    {
        QTest::addColumn<QString>("fftText");
        QTest::addColumn<QString>("rateText");
        QTest::addColumn<int>("fftSize");  // 0: Start refuses with the size message
        QTest::addColumn<double>("rate");
        QTest::newRow("listed") << "2048" << "44100" << 2048 << 44100.0;
        QTest::newRow("leading number") << " 4096 points" << "8000 Hz" << 4096 << 8000.0;
        QTest::newRow("rounded") << "16383.6" << "11025" << 16384 << 11025.0;
        QTest::newRow("not a size") << "1000" << "22050" << 0 << 22050.0;
        QTest::newRow("no number") << "large" << "22050" << 0 << 22050.0;
    }

    // What is typed is kept as typed, reads as the value the rules give, and
    // Start takes that value or says the size rule's message.
    void typedText()
    {
        QFETCH(QString, fftText);
        QFETCH(QString, rateText);
        QFETCH(int, fftSize);
        QFETCH(double, rate);
        LiveWindow w;
        w.start(rateText, fftText);
        const AnalysisSettings& s = w.window->settings().value();
        QCOMPARE(s.fftSizeText, fftText);
        QCOMPARE(s.rateText, rateText);
        QCOMPARE(s.sampleRate(), rate);
        if (fftSize == 0) {
            QVERIFY(!s.fftSize());
            QCOMPARE(w.messages.shown, QStringList{"The FFT size must be 1024, 2048, 4096, 8192 or 16384!"});
            QVERIFY(!w.capturing());
        } else {
            QCOMPARE(s.fftSize(), std::optional<int32_t>(fftSize));
            QVERIFY(w.capturing());
            QCOMPARE(w.state().FFTSize, fftSize);
        }
    }

    // A change from anywhere reaches the controls and every reader once.
    void oneChangeReachesEveryReaderOnce()
    {
        LiveWindow w;
        Form1& f = *w.window;
        QSignalSpy changes(&f.settings(), &SettingsModel::changed);
        f.Label5->setText("440.0Hz");

        f.settings().edit([](AnalysisSettings& s) { s.scaling = LogScaling; });
        QCOMPARE(changes.size(), 1);
        QVERIFY(f.LogX->isChecked());
        QCOMPARE(f.state().FreqScaling, int16_t(LogScaling));
        QCOMPARE(f.Label5->text(), QString(" "));  // the reading was of the old axis

        f.settings().edit([](AnalysisSettings& s) { s.rateText = "8000"; });
        QCOMPARE(changes.size(), 2);
        QCOMPARE(f.Combo1->currentText(), QString("8000"));

        f.Combo2->setEditText("4096");  // typed: written once, and not echoed back as a second change
        QCOMPARE(changes.size(), 3);
        QCOMPARE(f.settings().value().fftSizeText, QString("4096"));

        f.FullFreqX->setEnabled(true);  // as while capturing
        f.FullFreqX->click();
        QCOMPARE(changes.size(), 4);
        QCOMPARE(f.settings().value().scaling, int16_t(FullFitScaling));

        f.settings().set(f.settings().value());  // the same settings again: no change
        QCOMPARE(changes.size(), 4);
    }

    void stripsKeepColumns_data()
    {
        QTest::addColumn<QSize>("extra");       // pixels beyond the smallest size
        QTest::addColumn<QList<int>>("strips");  // left of chart, under chart, under labels; 0: none
        for (const QSize extra : {QSize(0, 0), QSize(317, 121), QSize(900, 400)}) {
            const QString size = QStringLiteral("+%1x%2").arg(extra.width()).arg(extra.height());
            QTest::newRow(qPrintable(size + " no strips")) << extra << QList<int>{0, 0, 0};
            QTest::newRow(qPrintable(size + " left")) << extra << QList<int>{44, 0, 0};
            QTest::newRow(qPrintable(size + " under")) << extra << QList<int>{0, 17, 17};
            QTest::newRow(qPrintable(size + " all")) << extra << QList<int>{44, 17, 17};
            // The level meter's own strip, as thick as its figures need, outside the ruler.
            QTest::newRow(qPrintable(size + " all and the meter")) << extra << QList<int>{44, 17, 17, -1};
            // A sound file's transport: a strip of a button's height under the chart.
            QTest::newRow(qPrintable(size + " transport")) << extra << QList<int>{0, 30, 0};
            QTest::newRow(qPrintable(size + " all, transport")) << extra << QList<int>{44, 30, 17};
        }
    }

    // In the flat directions whose lines run along the width, a bin stands in
    // the same screen column in the chart and the waterfall, whatever strips
    // are beside the chart, and the strips sit beside the chart, not on it.
    void stripsKeepColumns()
    {
        QFETCH(QSize, extra);
        QFETCH(QList<int>, strips);
        LiveWindow w;
        Form1& f = *w.window;
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        const layout::StripSide sides[] = {layout::StripSide::leftOfChart, layout::StripSide::underChart,
                                           layout::StripSide::underLabels};
        std::vector<std::unique_ptr<QWidget>> shown;
        for (int i = 0; i < 3; ++i)
            if (strips[i] > 0) {
                shown.push_back(std::make_unique<QWidget>(&f));
                f.setStrip(shown.back().get(), sides[i], strips[i]);
            }
        // A second strip left of the chart goes outside the first.
        if (strips[0] > 0) {
            const bool meter = strips.size() > 3;
            shown.push_back(meter ? std::make_unique<LevelMeterStrip>(&f) : std::make_unique<QWidget>(&f));
            const int pixels = meter ? static_cast<LevelMeterStrip*>(shown.back().get())->neededWidth() : 30;
            f.setStrip(shown.back().get(), layout::StripSide::leftOfChart, pixels);
        }
        f.resize(f.size() + extra);
        w.start("44100", "4096");
        f.Option1->click();  // bottom to top: lines along the width
        f.settings().edit([](AnalysisSettings& s) { s.scaling = LogScaling; });

        const int chartLeft = f.Trazel1->mapTo(&f, QPoint(0, 0)).x();
        const int waterfallLeft = f.Cascadra1->mapTo(&f, QPoint(0, 0)).x();
        QCOMPARE(f.waterfall().scrollDirection(), int32_t(cascadra::BottomToTop));
        const AnalyserState& s = f.state();
        for (int bin : {1, 23, 100, 1000, 2048}) {
            // The waterfall's lines along its width are built with the chart's map.
            QCOMPARE(waterfallLeft + s.ChartLogMap[bin][0], chartLeft + s.ChartLogMap[bin][0]);
        }
        const QRect chart = f.Trazel1->geometry();
        for (const auto& strip : shown) {
            QVERIFY(strip->isVisible());
            QVERIFY2(!strip->geometry().intersects(chart), "a strip covers the chart");
            QVERIFY2(!strip->geometry().intersects(f.Cascadra1->geometry()), "a strip covers the waterfall");
            QVERIFY(f.rect().contains(strip->geometry()));
        }
        // Taken away, the window is as designed again.
        for (const auto& strip : shown)
            f.setStrip(strip.get(), layout::StripSide::leftOfChart, 0);
        QCOMPARE(f.strips(), layout::Strips{});
        QCOMPARE(f.Cascadra1->mapTo(&f, QPoint(0, 0)).x(), f.Trazel1->mapTo(&f, QPoint(0, 0)).x());
    }

    void history_data()
    {
        QTest::addColumn<uint32_t>("rate");
        QTest::addColumn<QList<int>>("chunks");
        QTest::newRow("less than the room") << 1000u << QList<int>{500, 700};
        QTest::newRow("wraps") << 1000u << QList<int>{1500, 1500, 333};
        QTest::newRow("one chunk past the room") << 1000u << QList<int>{4999};
        QTest::newRow("buffers at 48000 Hz") << 48000u << QList<int>(300, 512);
    }

    // The newest samples, oldest first, at least two seconds of them.
    void history()
    {
        QFETCH(uint32_t, rate);
        QFETCH(QList<int>, chunks);
        SampleHistory h;
        h.reset(rate);
        QVERIFY(h.capacity() >= size_t(2 * rate));
        std::vector<int16_t> all;
        for (int n : chunks) {
            std::vector<int16_t> chunk(static_cast<size_t>(n));
            for (int16_t& v : chunk)
                v = capture_test::numbered(all.size() + size_t(&v - chunk.data()));
            all.insert(all.end(), chunk.begin(), chunk.end());
            h.append(chunk);
        }
        QCOMPARE(h.appended(), uint64_t(all.size()));
        QCOMPARE(h.size(), std::min(all.size(), h.capacity()));
        std::vector<int16_t> out(h.capacity() + 10, 7);
        const size_t got = h.latest(out);
        QCOMPARE(got, h.size());
        QVERIFY(std::equal(out.begin(), out.begin() + std::ptrdiff_t(got), all.end() - std::ptrdiff_t(got)));
    }

    // The window copies what it captures into its history at each tick.
    void windowKeepsItsHistory()
    {
        LiveWindow w;
        w.start("8000", "1024");
        for (int i = 0; i < 40; ++i)
            w.tick(2, capture_test::numbered);
        const SampleHistory& h = w.window->sampleHistory();
        QCOMPARE(h.appended(), uint64_t(40 * 2 * 512));
        QVERIFY(h.size() >= 16000);
        std::vector<int16_t> newest(16000);
        QCOMPARE(h.latest(newest), size_t(16000));
        for (size_t i = 0; i < newest.size(); i += 997)
            QCOMPARE(newest[i], capture_test::numbered(h.appended() - 16000 + i));
    }

    void pipelineAgreesWithTheWindow_data()
    {
        QTest::addColumn<int>("fftSize");
        QTest::newRow("1024") << 1024;
        QTest::newRow("4096") << 4096;
    }

    // The same sound makes the same levels with or without the window.
    void pipelineAgreesWithTheWindow()
    {
        QFETCH(int, fftSize);
        LiveWindow w;
        w.start("44100", QString::number(fftSize));
        const int buffers = fftSize / 512;
        QVERIFY(w.tickDraws(buffers, capture_test::numbered));

        AnalysisPipeline pipeline({fftSize, 44100, 512});
        QVERIFY(pipeline.isAvailable());
        std::vector<int16_t> levels;
        uint64_t endSample = 0;
        pipeline.onFrame([&](const AnalysedFrame& f) {
            levels.assign(f.levels.begin(), f.levels.end());
            endSample = f.endSample;
        });
        std::vector<int16_t> sound(static_cast<size_t>(fftSize));
        for (size_t i = 0; i < sound.size(); ++i)
            sound[i] = capture_test::numbered(i);
        pipeline.push(std::span(sound).first(100));  // in pieces, as a file would come
        pipeline.push(std::span(sound).subspan(100));
        QCOMPARE(pipeline.frames(), uint64_t(1));
        QCOMPARE(endSample, uint64_t(fftSize));
        const auto& window = w.state().BinLevel;
        QVERIFY(std::equal(levels.begin(), levels.end(), window.begin()));
    }

    // A frame follows every hop once a whole frame has come; a sine on a bin
    // reads its amplitude's level there.
    void pipelineFrames()
    {
        AnalysisPipeline pipeline({1024, 8000, 256});
        QVERIFY(pipeline.isAvailable());
        int16_t peak = 0;
        pipeline.onFrame([&](const AnalysedFrame& f) { peak = f.levels[40]; });
        const auto sine = capture_test::binSine(40, 1024, 3276.7);
        std::vector<int16_t> sound(1024 + 10 * 256 + 100);
        for (size_t i = 0; i < sound.size(); ++i)
            sound[i] = sine(i);
        pipeline.push(sound);
        QCOMPARE(pipeline.frames(), uint64_t(11));
        QVERIFY(std::abs(peak - amplitudeLevel(3276.7)) <= 2);
    }
};

QTEST_MAIN(SettingsTest)
#include "test_settings.moc"
