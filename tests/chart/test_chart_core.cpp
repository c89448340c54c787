// The chart's properties and methods through its dispatch interface: the
// values a new chart starts with, what each put accepts, clamps and derives,
// and what wrong calls get back.
#include "test_chart_core_host.h"

using namespace charttest;

namespace {

// One step of a host's session: a put, or with member 0 a save, which clears
// the modified mark.
struct Put {
    DispId member;
    int16_t index;
    int32_t value;
};
using Session = std::vector<Put>;
constexpr int plain = INT16_MIN;  // no index: a plain property
constexpr Put saved{0, plain, 0};

void run(ChartHost& chart, const Session& session)
{
    for (const Put& p : session) {
        if (p.member == 0)
            chart.markSaved();
        else if (p.index == plain)
            QCOMPARE(chart.put(p.member, Variant(p.value)), hr::ok);
        else
            QCOMPARE(chart.put(p.member, p.index, Variant(p.value)), hr::ok);
    }
}

// The sweep column after one Chart call on a fresh 200-pixel scope chart.
QString sweepAfterChart(Variant data)
{
    ChartHost chart;
    chart.put(id::ScrollMode, Variant::fromBool(false));
    chart.put(id::Xmax, Variant(int32_t(200)));
    if (chart.dispatch().call(id::Chart, std::span<Variant>(&data, 1)) != hr::ok)
        return QStringLiteral("call failed");
    chart.key("s");
    return chart.text();
}

}  // namespace

Q_DECLARE_METATYPE(Session)

class TestChartCore : public QObject {
    Q_OBJECT
private slots:
    void newChartDefaults_data()
    {
        QTest::addColumn<int>("member");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("expected");
        const std::pair<DispId, int32_t> scalars[] = {{id::ActiveChannel, 0}, {id::BaseLineLegend, 0},
            {id::Channel, -1}, {id::ChannelMask, -1}, {id::DigitalMask, 0}, {id::GridSpacingX, 20},
            {id::GridSpacingY, 20}, {id::GroupSetting, -1}, {id::Lock, 0}, {id::MarkEvents, 0},
            {id::PEraseBar, 0x800000}, {id::PGrid, 0xC0C0C0}, {id::PText, 0xC0C0C0}, {id::PenSize, 1},
            {id::ScrollMode, -1}, {id::ShowEraseBar, -1}, {id::ShowLegend, -1}, {id::SolidBaseLine, -1}, {id::Step, 1},
            {id::SumWaveforms, 0}, {id::DoubleActiveTrace, 0}, {id::Persist, 0}};
        for (auto [member, expected] : scalars)
            QTest::addRow("member %d", member) << member << plain << expected;
        const int32_t traces[16] = {0xFF0000, 0x008080, 0x000080, 0x0000FF, 0x008000, 0x00FFFF, 0x00FF00, 0x800000,
            0x800080, 0x808000, 0x808080, 0x202020, 0xFF00FF, 0xFFFF00, 0x404040, 0xC0C0C0};
        for (int ch = 0; ch < 16; ++ch) {
            QTest::addRow("PLine(%d)", ch) << id::PLine << ch << traces[ch];
            QTest::addRow("Ymax(%d)", ch) << id::Ymax << ch << 32768;
            QTest::addRow("Ymin(%d)", ch) << id::Ymin << ch << -32768;
            QTest::addRow("BaseLine(%d)", ch) << id::BaseLine << ch << 0;
        }
    }

    void newChartDefaults()
    {
        QFETCH(int, member);
        QFETCH(int, index);
        QFETCH(int, expected);
        ChartHost chart;
        QCOMPARE(chart.created, hr::ok);
        QCOMPARE(index == plain ? chart.number(member) : chart.number(member, int16_t(index)), expected);
        QCOMPARE(chart.lastResult, hr::ok);
        QCOMPARE(chart.text(), QString());
        QVERIFY(!chart.isDirty());
    }

    void putsCheckClampAndDerive_data()
    {
        QTest::addColumn<Session>("session");
        QTest::addColumn<int>("member");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("expected");
        QTest::addColumn<bool>("dirty");
        const DispId AC = id::ActiveChannel;
        QTest::newRow("ActiveChannel 16 ignored")
            << Session{{AC, plain, 5}, saved, {AC, plain, 16}} << AC << plain << 5 << true;
        QTest::newRow("ActiveChannel -1 ignored")
            << Session{{AC, plain, 5}, {AC, plain, -1}} << AC << plain << 5 << true;
        QTest::newRow("PenSize 0 refused") << Session{{id::PenSize, plain, 0}} << id::PenSize << plain << 1 << false;
        QTest::newRow("PenSize 16 refused") << Session{{id::PenSize, plain, 16}} << id::PenSize << plain << 1 << false;
        QTest::newRow("PenSize 15") << Session{{id::PenSize, plain, 15}} << id::PenSize << plain << 15 << true;
        QTest::newRow("GridSpacingX 0 kept")
            << Session{{id::GridSpacingX, plain, 35}, saved, {id::GridSpacingX, plain, 0}} << id::GridSpacingX << plain
            << 35 << true;
        QTest::newRow("Step -50") << Session{{id::Step, plain, -50}} << id::Step << plain << -20 << true;
        QTest::newRow("Step 0 changes nothing")
            << Session{{id::Step, plain, 3}, saved, {id::Step, plain, 0}} << id::Step << plain << 3 << true;
        QTest::newRow("ChannelMask low 16 bits")
            << Session{{id::ChannelMask, plain, 0x12345}} << id::ChannelMask << plain << 0x2345 << true;
        QTest::newRow("PLine(99) is 15") << Session{{id::PLine, 99, 0x123456}} << id::PLine << 15 << 0x123456 << true;
        QTest::newRow("PLine(-3) is 0") << Session{{id::PLine, -3, 0x654321}} << id::PLine << 0 << 0x654321 << true;
        const Session narrow{{id::Ymin, 2, 0}, {id::Ymax, 2, 5}};
        QTest::newRow("Ymax(2)=5 clamps up") << narrow << id::Ymax << 2 << 18 << true;
        QTest::newRow("Ymin follows clamp") << narrow << id::Ymin << 2 << -14 << true;
        QTest::newRow("clamp skips others without group")
            << Session{{id::GroupSetting, plain, 0}, {id::Ymin, 2, 0}, {id::Ymax, 2, 5}} << id::Ymax << 2 << 5 << true;
        QTest::newRow("clamp on active channel without group")
            << Session{{id::GroupSetting, plain, 0}, {AC, plain, 2}, {id::Ymin, 2, 0}, {id::Ymax, 2, 5}} << id::Ymax
            << 2 << 18 << true;
        // Half-range (20000000 + 32768) / 2 is cut to 4194304 about centre 9983616.
        QTest::newRow("clamp down") << Session{{id::Ymax, 0, 20000000}} << id::Ymax << 0 << 14177920 << true;
        QTest::newRow("clamp keeps sign")
            << Session{{id::Ymin, 1, 10}, {id::Ymax, 1, 0}} << id::Ymax << 1 << -11 << true;
        // Clamped twice without overflow: finally centre 534781951, half-range 4194304.
        QTest::newRow("extreme scale") << Session{{id::Ymin, 4, INT32_MIN}, {id::Ymax, 4, INT32_MAX}} << id::Ymin << 4
                                       << 530587647 << true;
        QTest::newRow("Xmax 10 ignored") << Session{{id::Xmax, plain, 400}, {id::Xmax, plain, 10}} << id::Xmax << plain
                                         << 400 << true;
        QTest::newRow("Xmax 3000 ignored")
            << Session{{id::Xmax, plain, 400}, saved, {id::Xmax, plain, 3000}} << id::Xmax << plain << 400 << true;
    }

    void putsCheckClampAndDerive()
    {
        QFETCH(Session, session);
        QFETCH(int, member);
        QFETCH(int, index);
        QFETCH(int, expected);
        QFETCH(bool, dirty);
        ChartHost chart;
        run(chart, session);
        QCOMPARE(index == plain ? chart.number(member) : chart.number(member, int16_t(index)), expected);
        QCOMPARE(chart.isDirty(), dirty);
    }

    void methodsLeaveSettingsUnmarked()
    {
        ChartHost chart;
        Variant pos[2] = {Variant(int16_t(5)), Variant(int16_t(-6))};
        QCOMPARE(chart.dispatch().call(id::SetTextPos, pos), hr::ok);
        Variant aux[2] = {Variant(int16_t(50)), Variant(int16_t(0))};
        QCOMPARE(chart.dispatch().call(id::AuxCrossHair, aux), hr::ok);
        QCOMPARE(chart.dispatch().call(id::EvenSpacing, {}), hr::ok);
        QCOMPARE(chart.dispatch().call(id::CopyToClipboard, {}), hr::ok);
        QVERIFY(!chart.isDirty());
    }

    void wrongCallsAreRefused_data()
    {
        QTest::addColumn<int>("member");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QList<int>>("argKinds");  // 0 string, 1 short, 2 huge long, 3 long, 4 null reference
        QTest::addColumn<int>("expected");
        const int get = int(InvokeKind::PropertyGet), put = int(InvokeKind::PropertyPut),
                  call = int(InvokeKind::Method);
        QTest::newRow("Key is write-only") << id::Key << get << QList<int>{} << hr::getNotSupported;
        QTest::newRow("text for a short") << id::ActiveChannel << put << QList<int>{0} << hr::typeMismatch;
        QTest::newRow("short overflow") << id::ActiveChannel << put << QList<int>{2} << hr::overflow;
        QTest::newRow("indexed without index") << id::PLine << get << QList<int>{} << hr::badParamCount;
        QTest::newRow("Chart without data") << id::Chart << call << QList<int>{} << hr::badParamCount;
        QTest::newRow("ChartEx buffer by value") << id::ChartEx << call << QList<int>{1, 1, 1} << hr::typeMismatch;
        QTest::newRow("ChartEx null buffer") << id::ChartEx << call << QList<int>{4, 1, 1} << hr::typeMismatch;
        QTest::newRow("property called") << id::ActiveChannel << call << QList<int>{} << hr::memberNotFound;
        QTest::newRow("unknown number") << 99 << get << QList<int>{} << hr::memberNotFound;
    }

    void wrongCallsAreRefused()
    {
        QFETCH(int, member);
        QFETCH(int, kind);
        QFETCH(QList<int>, argKinds);
        QFETCH(int, expected);
        ChartHost chart;
        std::vector<Variant> args;
        for (int k : argKinds) {
            const Variant made[] = {Variant("abc"), Variant(int16_t(1)), Variant(int32_t(100000)), Variant(int32_t(3)),
                Variant(ByRef{vtI2, nullptr})};
            args.push_back(made[k]);
        }
        Variant result;
        QCOMPARE(chart.dispatch().invoke(member, InvokeKind(kind), args, &result), expected);
        QCOMPARE(chart.number(id::ActiveChannel), 0);
        QCOMPARE(chart.number(id::PLine, 0), 0xFF0000);
        QVERIFY(!chart.isDirty());
    }

    void unsupportedChartDataIsIgnored_data()
    {
        QTest::addColumn<Variant>("data");
        QTest::newRow("empty") << Variant();
        QTest::newRow("text") << Variant("12");
        static int16_t referenced = 4;
        QTest::newRow("by reference") << Variant::refShorts(&referenced);
        SafeArray doubles;
        doubles.elementType = vtR8;
        doubles.bounds = {{3, 0}};
        doubles.numbers = {1, 2, 3};
        QTest::newRow("array of doubles") << Variant(doubles);
        SafeArray cube = SafeArray::shorts2D(2, 2, {1, 2, 3, 4});
        cube.bounds.push_back({1, 0});
        QTest::newRow("three dimensions") << Variant(cube);
        QTest::newRow("zero channels") << Variant(SafeArray::shorts2D(0, 5, {}));
    }

    // In scope mode a plotted call moves the sweep; ignored data must not.
    void unsupportedChartDataIsIgnored()
    {
        QFETCH(Variant, data);
        QCOMPARE(sweepAfterChart(data), QStringLiteral("0"));
    }

    void chartDataMovesTheSweep_data()
    {
        QTest::addColumn<Variant>("data");
        QTest::addColumn<QString>("sweep");
        QTest::newRow("short") << Variant(int16_t(5)) << "1";
        QTest::newRow("points") << Variant(SafeArray::shorts1D({1, 2, 3, 4, 5})) << "5";
        QTest::newRow("channel by point") << Variant(SafeArray::shorts2D(3, 4, std::vector<int16_t>(12, 9))) << "4";
    }

    void chartDataMovesTheSweep()
    {
        QFETCH(Variant, data);
        QFETCH(QString, sweep);
        QCOMPARE(sweepAfterChart(data), sweep);
    }

    void redrawAndResizeResetTheSweep()
    {
        ChartHost chart;
        QCOMPARE(chart.put(id::ScrollMode, Variant::fromBool(false)), hr::ok);
        QCOMPARE(chart.put(id::Xmax, Variant(int32_t(300))), hr::ok);
        QCOMPARE(chart.number(id::Xmax), 300);
        QCOMPARE(chart.widget().width(), 300);
        std::vector<int16_t> line(50, 100);
        Variant args[3] = {Variant::refShorts(line.data()), Variant(int16_t(1)), Variant(int16_t(50))};
        QCOMPARE(chart.dispatch().call(id::ChartEx, args), hr::ok);
        QCOMPARE(chart.key("s"), hr::ok);
        QCOMPARE(chart.text(), QStringLiteral("50"));
        QCOMPARE(chart.put(id::GridSpacingX, Variant(int16_t(10))), hr::ok);  // a full redraw
        QCOMPARE(chart.key("s"), hr::ok);
        QCOMPARE(chart.text(), QStringLiteral("0"));

        // A shown window reports its own size; the chart never gets narrower than 2.
        chart.widget().show();
        chart.widget().resize(240, 90);
        QTRY_COMPARE(chart.number(id::Xmax), 240);
        chart.widget().resize(1, 1);
        QTRY_COMPARE(chart.number(id::Xmax), 2);
    }

    // A host that embedded the window may destroy it with its own.
    void windowDestroyedByHost()
    {
        ChartHost chart;
        {
            QWidget host;
            chart.widget().setParent(&host);
        }
        QVERIFY(!chart.object->control()->widget());
        QCOMPARE(chart.put(id::Xmax, Variant(int32_t(300))), hr::ok);
        QCOMPARE(chart.number(id::Xmax), 300);
        QByteArray record;
        QCOMPARE(chart.stream().save(record), hr::ok);
        QCOMPARE(chart.stream().load(record), hr::ok);
    }
};

QTEST_MAIN(TestChartCore)
#include "test_chart_core.moc"
