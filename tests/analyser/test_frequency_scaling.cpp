// Axis commands, bin maps and the frequency view of the three scalings.
#include "frequency_scaling.h"

#include <QTest>

#include <cmath>
#include <memory>

using namespace vellarin;

namespace {

struct Maps {
    BinMap chartLog{}, waterfallLog{}, chartFit{}, waterfallFit{};
    BinMaps refs() { return {chartLog, waterfallLog, chartFit, waterfallFit}; }
};

}  // namespace

class FrequencyScalingTest : public QObject {
    Q_OBJECT
private slots:
    void axisCommands_data()
    {
        QTest::addColumn<int>("scaling");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("fftSize");
        QTest::addColumn<QString>("expected");  // empty: nothing is sent

        const QString decades = ",10,20,30,40,50,60,70,80,90,-100,200,300,400,500,600,700,800,900,-1000";
        QTest::newRow("log 8000") << 1 << "8000" << "1024" << "X,1,4000,0,21,1024" + decades + ",2000,3000";
        QTest::newRow("log 11025") << 1 << "11025" << "2048"
                                   << "X,1,5512.5,0,23,2048" + decades + ",2000,3000,4000,5000";
        QTest::newRow("log 22050") << 1 << "22050" << "4096"
                                   << "X,1,11025,0,28,4096" + decades
                                          + ",2000,3000,4000,5000,6000,7000,8000,9000,-10000";
        QTest::newRow("log 44100, the blank before 20000")
            << 1 << "44100" << "16384"
            << "X,1,22050,0,29,16384" + decades + ",2000,3000,4000,5000,6000,7000,8000,9000,-10000, 20000";
        QTest::newRow("fit 8000") << 2 << "8000" << "1024"
                                  << "X,2,4000,0,19,8000,200,400,600,800,-1000,1200,1400,1600,1800,-2000,2200,2400,"
                                     "2600,2800,-3000,3200,3400,3600,3800";
        QTest::newRow("fit 11025") << 2 << "11025" << "1024"
                                   << "X,2,5512.5,0,25,11025,200,400,600,800,-1000,1200,1400,1600,1800,-2000,2200,"
                                      "2400,2600,2800,-3000,3200,3400,3600,3800,-4000,4200,4400,4600,4800,-5000";
        QTest::newRow("fit 22050") << 2 << "22050" << "1024"
                                   << "X,2,11025,0,22,22050,500,1000,1500,2000,2500,3000,3500,4000,4500,-5000,5500,"
                                      "6000,6500,7000,7500,8000,8500,9000,9500,-10000,10500,11000";
        QTest::newRow("fit 44100") << 2 << "44100" << "1024"
                                   << "X,2,22050,0,22,44100,1000,2000,3000,4000,5000,6000,7000,8000,9000,-10000,"
                                      "11000,12000,13000,14000,15000,16000,17000,18000,19000,-20000,21000,22000";
        QTest::newRow("the middle field is the text as typed") << 2 << "22050 Hz" << "1024"
                                                               << "X,2,11025,0,22,22050 Hz,500,1000,1500,2000,2500,"
                                                                  "3000,3500,4000,4500,-5000,5500,6000,6500,7000,"
                                                                  "7500,8000,8500,9000,9500,-10000,10500,11000";
        // Other rates by the tables' rule.
        QTest::newRow("log 48000") << 1 << "48000" << "4096"
                                   << "X,1,24000,0,29,4096" + decades
                                          + ",2000,3000,4000,5000,6000,7000,8000,9000,-10000,20000";
        QTest::newRow("fit 48000, steps of 1000") << 2 << "48000" << "1024"
                                                  << "X,2,24000,0,23,48000,1000,2000,3000,4000,5000,6000,7000,8000,"
                                                     "9000,-10000,11000,12000,13000,14000,15000,16000,17000,18000,"
                                                     "19000,-20000,21000,22000,23000";
        QTest::newRow("fit 16000, steps of 500") << 2 << "16000" << "1024"
                                                 << "X,2,8000,0,15,16000,500,1000,1500,2000,2500,3000,3500,4000,4500,"
                                                    "-5000,5500,6000,6500,7000,7500";
        QTest::newRow("fit 1000, steps of 20") << 2 << "1000" << "1024"
                                               << "X,2,500,0,24,1000,20,40,60,80,-100,120,140,160,180,-200,220,240,"
                                                  "260,280,-300,320,340,360,380,-400,420,440,460,480";
        QTest::newRow("standard 16000 clears the ticks") << 0 << "16000" << "1024" << "L";
        QTest::newRow("standard 44100") << 0 << "44100" << "1024" << "L";
        QTest::newRow("no rate at all") << 1 << "abc" << "1024" << QString();
    }

    void axisCommands()
    {
        QFETCH(int, scaling);
        QFETCH(QString, rate);
        QFETCH(QString, fftSize);
        QFETCH(QString, expected);

        const double sampleRate = rate.startsWith(u'a') ? 0.0 : rate.section(u' ', 0, 0).toDouble();
        // With the note grid off, every command is exactly the design's.
        const std::optional<QString> command = axisCommand(int16_t(scaling), sampleRate, fftSize, rate, false);
        QCOMPARE(command.has_value(), !expected.isEmpty());
        if (command)
            QCOMPARE(*command, expected);
    }

    void noteGridCommands_data()
    {
        QTest::addColumn<int>("scaling");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("expected");
        const QString decades = ",10,20,30,40,50,60,70,80,90,-100,200,300,400,500,600,700,800,900,-1000";
        const QString octaves = ",32.7031956625748,65.4063913251497,130.812782650299,261.625565300599,"
                                "523.251130601197,1046.50226120239,2093.00452240479,4186.00904480958";
        QTest::newRow("log 22050: C1 to C9, dotted, after the frequencies")
            << 1 << "22050"
            << "X,1,11025,0,37,4096" + decades + ",2000,3000,4000,5000,6000,7000,8000,9000,-10000" + octaves
                   + ",8372.01808961916";
        QTest::newRow("log 8000: the notes below 4000 Hz")
            << 1 << "8000" << "X,1,4000,0,28,4096" + decades + ",2000,3000" + octaves.section(u',', 0, 7);
        QTest::newRow("fit 8000: no notes on a linear axis")
            << 2 << "8000"
            << "X,2,4000,0,19,8000,200,400,600,800,-1000,1200,1400,1600,1800,-2000,2200,2400,2600,2800,-3000,3200,"
               "3400,3600,3800";
        QTest::newRow("standard: none") << 0 << "44100" << "L";
    }

    // The octave grid's lines go to the chart among the frequency ticks, and
    // the scale labels them from the same list.
    void noteGridCommands()
    {
        QFETCH(int, scaling);
        QFETCH(QString, rate);
        QFETCH(QString, expected);
        const std::optional<QString> command = axisCommand(int16_t(scaling), rate.toDouble(), "4096", rate, true);
        QVERIFY(command);
        QCOMPARE(*command, expected);
        const auto ticks = axisTicks(int16_t(scaling), rate.toDouble(), "4096", rate, true);
        if (!ticks)
            return;
        QStringList fromTicks;
        for (const AxisTick& t : ticks->ticks) {
            fromTicks << QString::number(t.solid ? -t.hertz : t.hertz, 'g', 15);
            const double octaves = std::log2(t.hertz / 32.7031956625748);
            QCOMPARE(t.note.isEmpty(), !(!t.solid && std::fabs(octaves - std::round(octaves)) < 1e-9));
        }
        QCOMPARE(fromTicks.join(u','), command->section(u',', 6));
    }

    void binMaps_data()
    {
        QTest::addColumn<QString>("map");
        QTest::addColumn<int>("fftSize");
        QTest::addColumn<int>("columns");
        QTest::addColumn<double>("waterfallPixels");
        QTest::addColumn<QList<int>>("bins");
        QTest::addColumn<QList<int>>("positions");
        QTest::addColumn<QList<int>>("steps");

        QTest::newRow("log N=1024 Xmax=500") << "chartLog" << 1024 << 500 << 281.0 << QList<int>{1, 2, 512}
                                             << QList<int>{0, 56, 500} << QList<int>{0, 56, 0};
        QTest::newRow("fit N=16384 Xmax=500: 16 bins a column")
            << "chartFit" << 16384 << 500 << 281.0 << QList<int>{1, 8, 9, 24, 25, 8192}
            << QList<int>{0, 0, 1, 1, 2, 500} << QList<int>{0, 0, 1, 0, 1, 0};
        QTest::newRow("fit N=1024 Xmax=1000: stretched") << "chartFit" << 1024 << 1000 << 281.0
                                                         << QList<int>{1, 2, 3, 512} << QList<int>{2, 4, 6, 1000}
                                                         << QList<int>{2, 2, 2, 2};
        QTest::newRow("waterfall log over 281 pixels") << "waterfallLog" << 1024 << 500 << 281.0
                                                       << QList<int>{1, 512} << QList<int>{0, 281}
                                                       << QList<int>{0, 0};
        QTest::newRow("waterfall height rounds to even") << "waterfallFit" << 2048 << 500 << 280.5
                                                         << QList<int>{1024} << QList<int>{280} << QList<int>{0};
        QTest::newRow("fit 0.5 of a column rounds to even") << "chartFit" << 2048 << 512 << 281.0
                                                            << QList<int>{1, 2, 3} << QList<int>{0, 1, 2}
                                                            << QList<int>{0, 1, 1};
        QTest::newRow("larger FFT fills only the maps' bins") << "chartFit" << 65536 << 500 << 281.0
                                                              << QList<int>{8192} << QList<int>{125}
                                                              << QList<int>{0};
    }

    void binMaps()
    {
        QFETCH(QString, map);
        QFETCH(int, fftSize);
        QFETCH(int, columns);
        QFETCH(double, waterfallPixels);
        QFETCH(QList<int>, bins);
        QFETCH(QList<int>, positions);
        QFETCH(QList<int>, steps);

        auto maps = std::make_unique<Maps>();
        buildBinMaps(fftSize, columns, waterfallPixels, maps->refs());
        const BinMap& m = map == "chartLog"       ? maps->chartLog
                          : map == "waterfallLog" ? maps->waterfallLog
                          : map == "chartFit"     ? maps->chartFit
                                                  : maps->waterfallFit;
        for (qsizetype i = 0; i < bins.size(); ++i) {
            QCOMPARE(int(m[bins[i]][0]), positions[i]);
            QCOMPARE(int(m[bins[i]][1]), steps[i]);
        }
        // The columns never go back, and each step is the difference to the bin before.
        const int half = std::min(fftSize / 2, MaxHalf);
        for (int k = 1; k <= half; ++k) {
            QVERIFY(m[k][1] >= 0);
            QCOMPARE(m[k][1], int16_t(m[k][0] - (k > 1 ? m[k - 1][0] : 0)));
        }
    }

    void frequencyView_data()
    {
        QTest::addColumn<int>("scaling");
        QTest::addColumn<int>("fftSize");
        QTest::addColumn<int>("columns");
        QTest::addColumn<double>("rate");
        QTest::addColumn<int>("valueBefore");
        QTest::addColumn<QString>("low");
        QTest::addColumn<QString>("high");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("max");    // -1: not touched
        QTest::addColumn<int>("value");  // -1: not touched

        QTest::newRow("N=4096 Xmax=600 at the far end") << 0 << 4096 << 600 << 44100.0 << 1449 << "15600.8Hz"
                                                        << "22050.0Hz" << true << 1449 << -1;
        QTest::newRow("N=4096 Xmax=600 beyond the range") << 0 << 4096 << 600 << 44100.0 << 2000 << "21533.2Hz"
                                                          << "27982.4Hz" << true << 1449 << 1449;
        QTest::newRow("N=1024 narrow chart") << 0 << 1024 << 300 << 22050.0 << 40 << "861.3Hz" << "7299.8Hz"
                                             << false << 512 << 0;
        QTest::newRow("N=1024 wide chart") << 0 << 1024 << 800 << 22050.0 << 0 << "0.0Hz" << "17205.0Hz" << false
                                           << 512 << 0;
        QTest::newRow("half of 11025 has one decimal") << 0 << 1024 << 513 << 11025.0 << 0 << "0.0Hz"
                                                       << "5512.5Hz" << false << 512 << 0;
        QTest::newRow("N=2048 fits the chart") << 0 << 2048 << 1100 << 8000.0 << 5 << "19.5Hz" << "4312.5Hz"
                                               << false << 1024 << 0;
        QTest::newRow("N=16384 one bin too many") << 0 << 16384 << 8192 << 44100.0 << 0 << "0.0Hz" << "22047.3Hz"
                                                  << true << 1 << -1;
        QTest::newRow("logarithmic") << 1 << 4096 << 600 << 11025.0 << 77 << "0.0Hz" << "5512.5Hz" << false << -1
                                     << -1;
        QTest::newRow("full-fit without a rate") << 2 << 4096 << 600 << 0.0 << 77 << "0.0Hz" << "0.0Hz" << false
                                                 << -1 << -1;
    }

    void frequencyView()
    {
        QFETCH(int, scaling);
        QFETCH(int, fftSize);
        QFETCH(int, columns);
        QFETCH(double, rate);
        QFETCH(int, valueBefore);
        QFETCH(QString, low);
        QFETCH(QString, high);
        QFETCH(bool, enabled);
        QFETCH(int, max);
        QFETCH(int, value);

        const FrequencyView view = vellarin::frequencyView(int16_t(scaling), fftSize, columns, rate, valueBefore);
        QCOMPARE(view.lowLabel, low);
        QCOMPARE(view.highLabel, high);
        QCOMPARE(view.scrollEnabled, enabled);
        QCOMPARE(view.scrollMax.value_or(-1), max);
        QCOMPARE(view.scrollValue.value_or(-1), value);
    }
};

QTEST_APPLESS_MAIN(FrequencyScalingTest)
#include "test_frequency_scaling.moc"
