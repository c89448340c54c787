// Data calls as the window shows them: scroll and scope placement, the step
// countdown across calls, negative steps, the Chart/ChartEx differences,
// fading, digital lanes, event marks, channel selection, legends and input
// that must be ignored. Charts are 101 pixels high unless said otherwise, so
// that data value 16384 lands on row 25, 0 on row 50 and -16384 on row 75.
#include "allocation_limit.h"
#include "test_chart_render_host.h"

#include <QScreen>


using namespace charttest;

namespace {

constexpr int16_t up = 16384, down = -16384;

enum class Call { Chart, ChartEx };

struct Pixel {
    int x;
    int y;
    uint32_t colour;  // chart colour value; white = nothing drawn there
};

struct Setting {
    DispId member;
    int16_t index;  // -1 for a plain property
    int32_t value;
};

void apply(PictureHost& chart, const QList<Setting>& settings)
{
    for (const Setting& s : settings)
        QCOMPARE(s.index < 0 ? chart.put(s.member, Variant(s.value)) : chart.put(s.member, s.index, Variant(s.value)),
                 hr::ok);
}

void comparePixels(const QImage& window, const QList<Pixel>& pixels)
{
    for (const Pixel& p : pixels) {
        const QString where = QStringLiteral("pixel %1, %2").arg(p.x).arg(p.y);
        QVERIFY2(window.pixel(p.x, p.y) == shown(p.colour), qPrintable(where));
    }
}

int leftmostTraceColumn(const QImage& window)
{
    for (int x = 1; x < window.width(); ++x)  // past the border
        for (int y = 1; y < window.height(); ++y)
            if (window.pixel(x, y) != shown(white))
                return x;
    return -1;
}

HResult send(PictureHost& chart, Call call, std::vector<int16_t> values)
{
    if (call == Call::Chart)
        return chart.chartPoints(std::move(values));
    return chart.chartEx(values, 1, int16_t(values.size()));
}

}  // namespace

Q_DECLARE_METATYPE(Pixel)
Q_DECLARE_METATYPE(QList<Pixel>)
Q_DECLARE_METATYPE(Setting)
Q_DECLARE_METATYPE(QList<Setting>)
Q_DECLARE_METATYPE(Call)

class TestChartIntake : public QObject {
    Q_OBJECT
private slots:
    void scrollShiftsAndJoins()
    {
        PictureHost chart(400, 101);
        chart.bareOverlay();
        chart.chartPoints(std::vector<int16_t>(10, 0));
        // The new piece joins at column 389; the last point is drawn by the next call.
        QCOMPARE(columnsIn(chart.window(), 50, shown(blue)), range(389, 398));
        chart.chartPoints(std::vector<int16_t>(10, up));
        const QImage window = chart.window();
        QCOMPARE(columnsIn(window, 50, shown(blue)), range(379, 389));
        QCOMPARE(columnsIn(window, 25, shown(blue)), range(390, 398));
    }

    void scrollRestartsPastTheWidth()
    {
        PictureHost chart(400, 101);
        chart.bareOverlay();
        chart.chartPoints(std::vector<int16_t>(10, down));
        std::vector<int16_t> points(1000, up);
        std::fill(points.begin() + 600, points.end(), 0);
        chart.chartPoints(points);
        const QImage window = chart.window();
        QCOMPARE(columnsIn(window, 75, shown(blue)), QList<int>{});  // cleared
        QCOMPARE(columnsIn(window, 25, shown(blue)), QList<int>{});  // points 0..599 not plotted
        QCOMPARE(columnsIn(window, 50, shown(blue)), range(1, 398));  // column 0 is the border
    }

    void stepCarriesTheCountdown()
    {
        PictureHost chart(400, 101);
        chart.put(id::Step, int16_t(3));
        chart.bareOverlay();  // its full redraw starts the countdown at 1
        // Zeros where the plotted points must fall, 16384 in between.
        const std::vector<int16_t> pattern{0, up, up, 0, up, up, 0, up, up, up};
        chart.chartPoints(pattern);  // plots 0, 3, 6 and carries one point
        QCOMPARE(columnsIn(chart.window(), 50, shown(blue)), range(396, 398));
        chart.chartPoints(pattern);  // (1 + 10) / 3 columns: 0, 3, 6 again, two carried
        chart.chartPoints({0, up, up, 0, up, up, 0, up, up, 0});  // (2 + 10) / 3: 0, 3, 6, 9
        const QImage window = chart.window();
        QCOMPARE(columnsIn(window, 25, shown(blue)), QList<int>{});
        QCOMPARE(columnsIn(window, 50, shown(blue)), range(389, 398));
        QCOMPARE(chart.number(id::Step), 3);
    }

    // Only the newest repeated points fit; they must still be the call's last ones.
    void negativeStepOnManyPoints()
    {
        PictureHost chart(400, 101);
        chart.bareOverlay();
        chart.put(id::Step, int16_t(-20));
        std::vector<int16_t> points(1000, up);
        std::fill(points.end() - 20, points.end(), 0);  // 20 points x 20 columns = the width
        QCOMPARE(chart.chartPoints(points), hr::ok);
        const QImage window = chart.window();
        QCOMPARE(columnsIn(window, 25, shown(blue)), QList<int>{});
        QCOMPARE(columnsIn(window, 50, shown(blue)), range(1, 398));
    }

    // Short of memory for the repeated points, the call is plotted as if Step were -1.
    void negativeStepShortOfMemory()
    {
        std::vector<int16_t> points(1000);
        for (size_t i = 0; i < points.size(); ++i)
            points[i] = int16_t(i % 7 * 4000 - 12000);
        QImage expected;
        for (const int16_t step : {-1, -8}) {
            PictureHost chart(2000, 101);
            chart.bareOverlay();
            chart.put(id::Step, step);
            Variant data = SafeArray::shorts1D(points);
            refuseFrom = step == -1 ? SIZE_MAX : 3000;  // the 2000 repeated points take 4000 bytes
            QCOMPARE(chart.chart(std::move(data)), hr::ok);
            refuseFrom = SIZE_MAX;
            if (step == -1)
                expected = chart.window();
            else
                QCOMPARE(chart.window(), expected);
        }
    }

    // Two points carried from before complete the width together with this
    // call; the restart still starts at the call's own first point.
    void restartNeverReadsBeforeTheCall()
    {
        PictureHost chart(400, 101);
        chart.put(id::Step, int16_t(3));
        chart.bareOverlay();
        chart.chartPoints({up, up});  // no column yet: two points carried
        std::vector<int16_t> points(1198, up);
        for (size_t i = 0; i < points.size(); i += 3)
            points[i] = 0;
        QCOMPARE(chart.chart(SafeArray::shorts1D(points)), hr::ok);
        const QImage window = chart.window();
        QCOMPARE(columnsIn(window, 25, shown(blue)), QList<int>{});
        QCOMPARE(columnsIn(window, 50, shown(blue)), range(1, 398));
        QCOMPARE(window.pixel(0, 50), shown(blue & silver));  // the trace ANDed with the border
    }

    void chartAndChartExDiffer_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<Call>("call");
        QTest::addColumn<int>("leftmost");
        QTest::addColumn<int>("column");
        QTest::addColumn<QList<int>>("rows");
        // Step -4, five points: Chart holds each point for four columns, ChartEx draws five.
        QTest::newRow("Chart expands -4") << -4 << Call::Chart << 379 << 385 << QList<int>{25};
        QTest::newRow("ChartEx does not expand") << -4 << Call::ChartEx << 394 << 396 << range(25, 49);
        // Step 3: skipped points stretch ChartEx's column over their rows.
        QTest::newRow("Chart skips") << 3 << Call::Chart << 396 << 398 << QList<int>{50};
        QTest::newRow("ChartEx draws the skipped") << 3 << Call::ChartEx << 396 << 398 << range(25, 50);
    }
    void chartAndChartExDiffer()
    {
        QFETCH(int, step);
        QFETCH(Call, call);
        QFETCH(int, leftmost);
        QFETCH(int, column);
        QFETCH(QList<int>, rows);
        PictureHost chart(400, 101);
        chart.put(id::Step, int16_t(step));
        chart.bareOverlay();
        const std::vector<int16_t> points = step < 0 ? std::vector<int16_t>{0, up, down, 0, 0}
                                                     : std::vector<int16_t>{0, up, up, 0, up, up, 0, up, up, up};
        QCOMPARE(send(chart, call, points), hr::ok);
        const QImage window = chart.window();
        QCOMPARE(leftmostTraceColumn(window), leftmost);
        QCOMPARE(rowsIn(window, column, shown(blue)), rows);
    }

    // A 395-point sweep, then ten points across the right edge.
    void scopeWraps_data()
    {
        QTest::addColumn<Call>("call");
        QTest::addColumn<bool>("lastColumnDrawn");
        QTest::newRow("Chart wraps past the width") << Call::Chart << true;
        QTest::newRow("ChartEx wraps at the width") << Call::ChartEx << false;
    }
    void scopeWraps()
    {
        QFETCH(Call, call);
        QFETCH(bool, lastColumnDrawn);
        PictureHost chart(400, 101);
        chart.bareOverlay();
        chart.put(id::ScrollMode, Variant::fromBool(false));
        const std::vector<int16_t> sweep(395, 0);
        const std::vector<int16_t> across{up, up, up, up, up, down, down, down, down, down};
        for (const auto* points : {&sweep, &across})
            QCOMPARE(send(chart, call, *points), hr::ok);
        const QImage window = chart.window();
        QCOMPARE(window.pixel(399, 25) == shown(blue), lastColumnDrawn);
        QCOMPARE(columnsIn(window, 75, shown(blue)), range(1, 4));
        QCOMPARE(rowsIn(window, 6, shown(navy)), range(0, 100));  // erase bar after the sweep
        // The strip ahead of the sweep lost the first sweep's columns 2..5 on row 50;
        // column 1 is crossed by the line down from the wrap.
        QCOMPARE(columnsIn(window, 50, shown(blue)), QList<int>{1} + range(7, 395));
        chart.key("s");
        QCOMPARE(chart.text(), QStringLiteral("5"));
    }

    // Two full-width sweeps (each restarts) on a 21-pixel chart: rows 5 then 15.
    void restartFadesOldSweeps_data()
    {
        QTest::addColumn<bool>("sum");
        QTest::addColumn<int>("persist");
        QTest::addColumn<uint>("oldSweep");
        QTest::newRow("not summed: cleared") << false << 64 << uint(white);
        QTest::newRow("summed, Persist 0: kept") << true << 0 << uint(blue);
        QTest::newRow("summed, Persist 64: a quarter faded") << true << 64 << 0xFF4040u;
        QTest::newRow("summed, Persist 255: gone") << true << 255 << uint(white);
        QTest::newRow("summed, Persist 256: opacity 0") << true << 256 << uint(blue);
    }
    void restartFadesOldSweeps()
    {
        QFETCH(bool, sum);
        QFETCH(int, persist);
        QFETCH(uint, oldSweep);
        PictureHost chart(40, 21);
        chart.bareOverlay();
        chart.put(id::ScrollMode, Variant::fromBool(false));
        chart.put(id::SumWaveforms, Variant::fromBool(sum));
        chart.put(id::Persist, int16_t(persist));
        chart.chartPoints(std::vector<int16_t>(40, up));
        chart.chartPoints(std::vector<int16_t>(40, down));
        comparePixels(chart.window(), {{20, 5, oldSweep}, {20, 15, blue}});
    }

    // Points 0..9 in columns 390..399 (scope mode: 1..10); a flat pair at 390/391, 392/393, ...
    void digitalLanes_data()
    {
        QTest::addColumn<Call>("call");
        QTest::addColumn<int>("mask");
        QTest::addColumn<QList<Setting>>("settings");
        QTest::addColumn<QList<Pixel>>("pixels");
        const QList<Setting> scope{{id::ScrollMode, -1, 0}};
        // Bits 0 and 2 on a 100-pixel chart: lanes high/low at 9/41 and 59/91.
        QTest::newRow("mask 5, two lanes") << Call::Chart << 5 << QList<Setting>{}
                                           << QList<Pixel>{{391, 9, blue},   {391, 41, white}, {391, 91, blue},
                                                           {391, 59, white}, {393, 41, blue},  {393, 9, white},
                                                           {393, 59, blue},  {395, 9, blue},   {395, 59, blue},
                                                           {397, 41, blue},  {397, 91, blue}};
        // One lane, high on row 16, low on row 84.
        QTest::newRow("mask 4, one lane") << Call::Chart << 4 << QList<Setting>{}
                                          << QList<Pixel>{{391, 84, blue}, {393, 16, blue}, {393, 84, white}};
        QTest::newRow("ChartEx: one lane for the mask")
            << Call::ChartEx << 5 << QList<Setting>{}
            << QList<Pixel>{{391, 16, blue}, {391, 9, white}, {397, 84, blue}};
        // Low at column 2, high at 3: the low level runs on to column 3, which rises whole.
        QTest::newRow("scope: one lane holds each level a column")
            << Call::Chart << 4 << scope << QList<Pixel>{{2, 84, blue}, {2, 60, white}, {3, 80, blue}};
        // Step 3 plots points 0, 3, 6 (high, low, low) in columns 1..3; the high 4 and 5 between are not drawn.
        QTest::newRow("ChartEx scope: skipped points not drawn")
            << Call::ChartEx << 1 << QList<Setting>{{id::Step, -1, 3}, {id::ScrollMode, -1, 0}}
            << QList<Pixel>{{2, 50, blue}, {3, 84, blue}, {3, 50, white}};
        const QList<Setting> legend{{id::ShowLegend, -1, -1}};
        QTest::newRow("no legend on lanes")
            << Call::Chart << 5 << legend << QList<Pixel>{{2, 1, white}, {2, 2, white}, {391, 9, blue}};
        QTest::newRow("no legend on the ChartEx lane")
            << Call::ChartEx << 5 << legend << QList<Pixel>{{2, 1, white}, {2, 2, white}, {391, 16, blue}};
    }
    void digitalLanes()
    {
        QFETCH(Call, call);
        QFETCH(int, mask);
        QFETCH(QList<Setting>, settings);
        QFETCH(QList<Pixel>, pixels);
        PictureHost chart(400, 100);
        chart.bareOverlay();
        apply(chart, settings);
        chart.put(id::Channel, int16_t(0));
        chart.put(id::DigitalMask, int16_t(mask));
        const std::vector<int16_t> points{1, 1, 4, 4, 5, 5, 0, 0, 1, 1};
        QCOMPARE(send(chart, call, points), hr::ok);
        comparePixels(chart.window(), pixels);
    }

    // The third of five points carries bit 1: a stroke to the top (bit 0 set) or the bottom.
    void eventMarks_data()
    {
        QTest::addColumn<Call>("call");
        QTest::addColumn<bool>("scroll");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("column");
        QTest::addColumn<QList<int>>("rows");
        QTest::newRow("scroll, to the top") << Call::Chart << true << 3 << 397 << range(1, 50);
        QTest::newRow("scroll, to the bottom") << Call::Chart << true << 2 << 397 << range(50, 100);
        QTest::newRow("no bit 1, no mark") << Call::Chart << true << 1 << 397 << QList<int>{50};
        QTest::newRow("ChartEx scroll: none") << Call::ChartEx << true << 3 << 397 << QList<int>{50};
        QTest::newRow("ChartEx scope: after the point") << Call::ChartEx << false << 3 << 4 << range(1, 50);
        QTest::newRow("Chart scope: after the point") << Call::Chart << false << 2 << 4 << range(50, 100);
    }
    void eventMarks()
    {
        QFETCH(Call, call);
        QFETCH(bool, scroll);
        QFETCH(int, value);
        QFETCH(int, column);
        QFETCH(QList<int>, rows);
        PictureHost chart(400, 101);
        chart.bareOverlay();
        chart.put(id::MarkEvents, Variant::fromBool(true));
        chart.put(id::ScrollMode, Variant::fromBool(scroll));
        const std::vector<int16_t> points{0, 0, int16_t(value), 0, 0};
        QCOMPARE(send(chart, call, points), hr::ok);
        QCOMPARE(rowsIn(chart.window(), column, shown(blue)), rows);
    }

    // Two channels as a (channel, point) array: channel 0 at 16384, channel 1 at -16384,
    // plotted after the row's settings; a setting of Chart plots them once among the settings.
    void tracesFollowSettings_data()
    {
        QTest::addColumn<QList<Setting>>("settings");
        QTest::addColumn<QList<Pixel>>("pixels");
        const uint32_t paleOlive = 0x40C0C0;
        QTest::newRow("all channels") << QList<Setting>{}
                                      << QList<Pixel>{{395, 25, blue}, {395, 75, olive}};
        QTest::newRow("mask selects channel 1")
            << QList<Setting>{{id::ChannelMask, -1, 2}} << QList<Pixel>{{395, 25, white}, {395, 75, olive}};
        QTest::newRow("channel 1 alone, in channel 0's colour")
            << QList<Setting>{{id::Channel, -1, 1}} << QList<Pixel>{{395, 25, white}, {395, 75, blue}};
        QTest::newRow("channel beyond the data: the mask")
            << QList<Setting>{{id::Channel, -1, 5}} << QList<Pixel>{{395, 25, blue}, {395, 75, olive}};
        QTest::newRow("active trace wide, others pale")
            << QList<Setting>{{id::DoubleActiveTrace, -1, -1}}
            << QList<Pixel>{{395, 24, blue}, {395, 25, blue}, {395, 75, paleOlive}, {395, 74, white}};
        QTest::newRow("half-range 0: on the centre row")
            << QList<Setting>{{id::GroupSetting, -1, 0}, {id::Ymax, 1, 100}, {id::Ymin, 1, 100}}
            << QList<Pixel>{{395, 50, olive}, {395, 75, white}};
        // -16384 x 50 / 30000 is -27.3: 27 rows below the centre, not 28.
        QTest::newRow("rows below the centre truncate toward it")
            << QList<Setting>{{id::Ymax, 1, 30000}, {id::Ymin, 1, -30000}}
            << QList<Pixel>{{395, 77, olive}, {395, 78, white}};
        // On its own scale channel 1's -16384 would be the centre row.
        QTest::newRow("channel 1 alone, on channel 0's scale")
            << QList<Setting>{{id::Ymax, 1, 0}, {id::Ymin, 1, -32768}, {id::Channel, -1, 1}}
            << QList<Pixel>{{395, 75, blue}, {395, 50, white}};
        // Channel 0 ended on row 25, channel 1 on row 75: the lone trace joins from row 25.
        QTest::newRow("channel 1 alone, continuing channel 0's trace")
            << QList<Setting>{{id::Chart, -1, 0}, {id::Channel, -1, 1}}
            << QList<Pixel>{{389, 40, blue}, {395, 75, blue}};
        // Ten points in scope mode: the erase bar stands in column 11.
        QTest::newRow("erase bar in its colour")
            << QList<Setting>{{id::ScrollMode, -1, 0}, {id::PEraseBar, -1, int32_t(red)}}
            << QList<Pixel>{{11, 60, red}, {11, 100, red}, {12, 60, white}};
        QTest::newRow("erase bar hidden")
            << QList<Setting>{{id::ScrollMode, -1, 0}, {id::ShowEraseBar, -1, 0}} << QList<Pixel>{{11, 60, white}};
        QTest::newRow("resize to the same size keeps the traces")
            << QList<Setting>{{id::Chart, -1, 0}, {id::Xmax, -1, 400}}
            << QList<Pixel>{{385, 25, blue}, {385, 75, olive}};
    }
    void tracesFollowSettings()
    {
        QFETCH(QList<Setting>, settings);
        QFETCH(QList<Pixel>, pixels);
        PictureHost chart(400, 101);
        chart.bareOverlay();
        std::vector<int16_t> values;
        for (int point = 0; point < 10; ++point)
            values.insert(values.end(), {up, down});
        for (const Setting& s : settings) {
            if (s.member == id::Chart)
                QCOMPARE(chart.chart(SafeArray::shorts2D(2, 10, values)), hr::ok);
            else
                apply(chart, {s});
        }
        QCOMPARE(chart.chart(SafeArray::shorts2D(2, 10, values)), hr::ok);
        comparePixels(chart.window(), pixels);
    }

    // A line from far off the chart is drawn where it crosses the chart, and
    // a wide pen's nib reaches in from a line just off it: only what lies
    // wholly beyond an edge, nib and all, may be passed over.
    void tracesFromOffTheChart_data()
    {
        QTest::addColumn<int>("penSize");
        QTest::addColumn<int>("halfRange");
        QTest::addColumn<QList<int>>("values");
        QTest::addColumn<int>("firstRow");  // every row from here to lastRow shows the trace
        QTest::addColumn<int>("lastRow");
        // +-1000 puts 16384 on row 50 - 819 = -769.
        QTest::newRow("steep line from far above") << 1 << 1000 << QList<int>{16384, 16384, 0, 0} << 1 << 50;
        QTest::newRow("steep line from far below") << 1 << 1000 << QList<int>{-16384, -16384, 0, 0} << 50 << 100;
        // +-16062 puts 16384 on row -1 and -16384 on row 101; a 5-pixel nib spans two rows either side.
        QTest::newRow("wide pen just above the top") << 5 << 16062 << QList<int>{16384, 16384, 16384} << 1 << 1;
        QTest::newRow("wide pen just below the bottom") << 5 << 16062 << QList<int>{-16384, -16384} << 99 << 100;
    }
    void tracesFromOffTheChart()
    {
        QFETCH(int, penSize);
        QFETCH(int, halfRange);
        QFETCH(QList<int>, values);
        QFETCH(int, firstRow);
        QFETCH(int, lastRow);
        PictureHost chart(300, 101);
        chart.bareOverlay();
        apply(chart, {{id::ScrollMode, -1, 0}, {id::PenSize, -1, penSize}, {id::Ymax, 0, halfRange},
                      {id::Ymin, 0, -halfRange}});
        std::vector<int16_t> line(values.begin(), values.end());
        QCOMPARE(chart.chartEx(line, 1, int16_t(line.size())), hr::ok);
        const QImage window = chart.window();
        for (int y = firstRow; y <= lastRow; ++y) {
            bool drawn = false;
            for (int x = 1; x < 10 && !drawn; ++x)
                drawn = window.pixel(x, y) == shown(blue);
            QVERIFY2(drawn, qPrintable(QStringLiteral("row %1").arg(y)));
        }
    }

    void legends_data()
    {
        QTest::addColumn<bool>("atBaseLine");
        QTest::addColumn<QList<Pixel>>("pixels");
        QTest::newRow("swatches in the corner")
            << false << QList<Pixel>{{2, 1, blue}, {2, 2, blue}, {3, 1, white}, {2, 3, white}, {2, 5, olive}};
        // Channel 0's base line 0 is row 50, channel 1's base line 16384 is row 25.
        QTest::newRow("arrowheads at the base lines")
            << true << QList<Pixel>{{3, 50, blue}, {1, 49, blue}, {2, 49, white}, {1, 51, blue}, {3, 25, olive},
                                    {2, 1, white}};
    }
    void legends()
    {
        QFETCH(bool, atBaseLine);
        QFETCH(QList<Pixel>, pixels);
        PictureHost chart(400, 101);
        chart.bareOverlay();
        chart.put(id::ShowLegend, Variant::fromBool(true));
        chart.put(id::BaseLineLegend, Variant::fromBool(atBaseLine));
        chart.put(id::BaseLine, int16_t(1), Variant(int32_t(up)));
        QCOMPARE(chart.chart(SafeArray::shorts2D(2, 3, {0, 0, 0, 0, 0, 0})), hr::ok);
        comparePixels(chart.window(), pixels);
    }

    void ignoredInput_data()
    {
        QTest::addColumn<Variant>("data");
        SafeArray doubles;
        doubles.elementType = vtR8;
        doubles.bounds = {{3, 0}};
        doubles.numbers = {1, 2, 3};
        SafeArray cube = SafeArray::shorts1D(std::vector<int16_t>(8, up));
        cube.bounds = {{2, 0}, {2, 0}, {2, 0}};
        int16_t referenced[4] = {up, up, up, up};
        QTest::newRow("empty") << Variant();
        QTest::newRow("null") << Variant(NullValue{});
        QTest::newRow("text") << Variant("16384");
        QTest::newRow("boolean") << Variant::fromBool(true);
        QTest::newRow("error") << Variant(ErrorValue{5});
        QTest::newRow("byte") << Variant(uint8_t(7));
        QTest::newRow("array of doubles") << Variant(doubles);
        QTest::newRow("three dimensions") << Variant(cube);
        QTest::newRow("empty array") << Variant(SafeArray::shorts1D({}));
        QTest::newRow("no channels") << Variant(SafeArray::shorts2D(0, 5, {}));
        QTest::newRow("by reference") << Variant::refShorts(referenced);
    }
    void ignoredInput()
    {
        QFETCH(Variant, data);
        PictureHost chart(60, 41);
        chart.chartPoints({1, 2, 3});
        const QImage before = chart.window();
        QCOMPARE(chart.chart(data), hr::ok);
        QCOMPARE(chart.window(), before);
    }

    void ignoredCounts_data()
    {
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("total");
        QTest::newRow("no points") << 1 << 0;
        QTest::newRow("negative points") << 1 << -1;
        QTest::newRow("no channels") << 0 << 4;
        QTest::newRow("negative channels") << -1 << 4;
    }
    void ignoredCounts()
    {
        QFETCH(int, channels);
        QFETCH(int, total);
        PictureHost chart(60, 41);
        chart.chartPoints({1, 2, 3});
        const QImage before = chart.window();
        std::vector<int16_t> buffer(4, up);
        QCOMPARE(chart.chartEx(buffer, int16_t(channels), int16_t(total)), hr::ok);
        QCOMPARE(chart.window(), before);
    }

    // An array whose bounds claim more points than it holds plots what it holds.
    void shortArrayPlotsWhatItHolds()
    {
        PictureHost chart(400, 101);
        chart.bareOverlay();
        SafeArray a = SafeArray::shorts2D(2, 10, std::vector<int16_t>(20, up));
        a.shorts.resize(8);
        QCOMPARE(chart.chart(a), hr::ok);
        QCOMPARE(leftmostTraceColumn(chart.window()), 395);
    }

    // Runs of one level, some across the sweep's wrap, must draw what the
    // same points draw one at a time. With event marks on every point is
    // walked on its own; these values (multiples of 4) draw no mark.
    void runsOfOneLevelDrawAsPoints_data()
    {
        QTest::addColumn<Call>("call");
        QTest::addColumn<bool>("scroll");
        QTest::addColumn<int>("penSize");
        QTest::newRow("scope ChartEx") << Call::ChartEx << false << 1;
        QTest::newRow("scope Chart") << Call::Chart << false << 1;
        QTest::newRow("scope ChartEx, wide pen") << Call::ChartEx << false << 3;
        QTest::newRow("scroll Chart") << Call::Chart << true << 1;
    }
    void runsOfOneLevelDrawAsPoints()
    {
        QFETCH(Call, call);
        QFETCH(bool, scroll);
        QFETCH(int, penSize);
        PictureHost runs(300, 101), points(300, 101);
        for (PictureHost* chart : {&runs, &points})
            apply(*chart, {{id::ScrollMode, -1, scroll}, {id::PenSize, -1, penSize}});
        points.put(id::MarkEvents, Variant::fromBool(true));
        const std::vector<int16_t> levels{up, 0, down, 4000, -30000};
        int run = 0, left = 1;
        for (int c = 0; c < 13; ++c) {
            std::vector<int16_t> v;
            for (int i = 0; i < 70; ++i, --left) {
                if (left == 0)
                    left = (++run * 7) % 37 + 1;
                v.push_back(levels[size_t(run) % levels.size()]);
            }
            QCOMPARE(send(runs, call, v), hr::ok);
            QCOMPARE(send(points, call, v), hr::ok);
            QCOMPARE(runs.window(), points.window());
        }
    }

    // Each call repaints only where the traces changed. After many differing
    // calls the window must show what the last two alone would, and the
    // screen what the window holds, also when calls come between repaints.
    void callsRepaintWhatTheyChanged_data()
    {
        QTest::addColumn<bool>("scroll");
        QTest::addColumn<int>("points");
        QTest::addColumn<bool>("level");  // a flat line, high and low by turns
        QTest::newRow("scope, each call a new sweep") << false << 300 << false;
        QTest::newRow("scope, a quarter sweep a call") << false << 75 << false;
        QTest::newRow("scroll, ten points a call") << true << 10 << false;
        QTest::newRow("scope, the line jumps between levels") << false << 300 << true;
        QTest::newRow("scope, a level a quarter sweep") << false << 75 << true;
    }
    void callsRepaintWhatTheyChanged()
    {
        QFETCH(bool, scroll);
        QFETCH(int, points);
        QFETCH(bool, level);
        const auto line = [points, level](int call) {
            std::vector<int16_t> v(size_t(points), call % 2 ? up : down);
            for (int i = 0; i < points && !level; ++i)
                v[size_t(i)] = int16_t((i * 37 + call * 1000) % 16000 * ((i + call) % 7 == 0 ? 2 : -1));
            return v;
        };
        PictureHost chart(300, 101);
        chart.put(id::ScrollMode, Variant::fromBool(scroll));
        const int calls = 23;
        for (int call = 0; call < calls; ++call) {
            std::vector<int16_t> v = line(call);
            QCOMPARE(chart.chartEx(v, 1, int16_t(points)), hr::ok);
            if (call % 3 != 1)
                QCoreApplication::processEvents();
        }
        QCoreApplication::processEvents();
        const QImage window = chart.window();
        QCOMPARE(chart.widget().screen()->grabWindow(chart.widget().winId()).toImage().convertToFormat(
                     QImage::Format_RGB32),
                 window);
        if (!scroll && points == 300) {
            // A sweep starts from where the one before ended: two calls make it.
            PictureHost fresh(300, 101);
            fresh.put(id::ScrollMode, Variant::fromBool(false));
            for (int call = calls - 2; call < calls; ++call) {
                std::vector<int16_t> v = line(call);
                QCOMPARE(fresh.chartEx(v, 1, int16_t(points)), hr::ok);
            }
            QCOMPARE(window, fresh.window());
        }
    }
};

QTEST_MAIN(TestChartIntake)
#include "test_chart_intake.moc"
