// strip_chart: a live two-channel signal in a trazel chart, in scroll mode.
// The chart is created by its programmatic identifier, set up and fed by
// dispatch number, and reports its cross-hair and the range the user zooms
// it to. Its settings are saved on exit and restored at the next start.
//   strip_chart [--seconds N] [--record FILE]
#include <automation/host.h>
#include <interfaces/trazel.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>
#include <cstdio>

using namespace automation;
namespace id = trazel::dispid;

static int fail(const char* what, HResult r)
{
    std::fprintf(stderr, "strip_chart: %s failed (0x%08x)\n", what, unsigned(r));
    return 1;
}

// The chart fires on the GUI thread, while it handles the mouse.
struct ChartEvents final : EventSink {
    explicit ChartEvents(QLabel* label) : readout(label) {}
    QLabel* readout;
    void onEvent(DispId event, std::span<const Variant> args) override
    {
        const int32_t first = asLong(args[0]);
        if (event == trazel::eventid::ChartChanged)
            readout->setText(QStringLiteral("range %1 .. %2").arg(first).arg(asLong(args[1])));
        else if (event == trazel::eventid::CrossHair && first >= 0)
            readout->setText(QStringLiteral("cross-hair at column %1").arg(first));
        else if (event == trazel::eventid::CrossHair)  // two-axis: -(x + 60000 * (y + 1))
            readout->setText(QStringLiteral("cross-hair at column %1, row %2").arg(-first % 60000).arg(-first / 60000 - 1));
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const auto option = [&](const char* name, const QString& otherwise) {
        const qsizetype at = args.indexOf(QLatin1String(name));
        return at > 0 && at + 1 < args.size() ? args[at + 1] : otherwise;
    };
    const QString recordPath = option("--record", QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
                                                      QStringLiteral("/strip_chart.record"));
    QWidget window;  // declared first, so the chart and its sink go before it
    auto* layout = new QVBoxLayout(&window);
    ChartEvents events(new QLabel(&window));

    ComponentPtr chart;
    if (HResult r = createInstance(QStringLiteral("TRAZEL.TrazelCtrl.1"), chart); failed(r))
        return fail("creating TRAZEL.TrazelCtrl.1", r);
    Dispatch* dispatch = chart->dispatch();
    PersistStreamInit* record = chart->persistStream();
    if (!dispatch || !record || !chart->control() || !chart->connectionPoint())
        return fail("finding the chart's interfaces", hr::noInterface);

    // The last run's settings, zoom included, or the chart's defaults.
    QFile saved(recordPath);
    const bool restored = saved.open(QIODevice::ReadOnly);
    if (HResult r = restored ? record->load(saved.readAll()) : record->initNew(); failed(r))
        return fail("restoring the chart's record", r);
    std::printf("strip_chart: %s\n", restored ? qPrintable("restored " + recordPath) : "new chart");

    std::vector<std::pair<DispId, Variant>> setup = {{id::ScrollMode, Variant::fromBool(true)},
        {id::ChannelMask, Variant(int32_t(0b11))}, {id::GridSpacingX, Variant(int16_t(50))},
        {id::PGrid, Variant(int32_t(0xD0D0D0))}, {id::ChartText, Variant("wheel: zoom, right: cross-hair")}};
    for (const auto& [member, value] : setup)
        if (HResult r = dispatch->put(member, value); failed(r))
            return fail("putting a property", r);
    if (!restored)  // the square wave in the upper half
        for (auto [member, value] : {std::pair{id::Ymin, -20000}, std::pair{id::Ymax, 12000}})
            if (HResult r = dispatch->putIndexed(member, Variant(int16_t(1)), Variant(int32_t(value))); failed(r))
                return fail("putting channel 1's scale", r);
    Variant low, high;
    if (HResult r = dispatch->getIndexed(id::Ymin, Variant(int16_t(0)), low); failed(r))
        return fail("getting Ymin", r);
    if (HResult r = dispatch->getIndexed(id::Ymax, Variant(int16_t(0)), high); failed(r))
        return fail("getting Ymax", r);
    events.readout->setText(QStringLiteral("range %1 .. %2").arg(asLong(low)).arg(asLong(high)));
    chart->connectionPoint()->advise(&events);

    layout->addWidget(chart->control()->widget(), 1);
    layout->addWidget(events.readout);
    window.resize(640, 360);
    window.setWindowTitle(QStringLiteral("strip_chart"));
    window.show();

    // 50 times a second, four new points of two interleaved channels.
    QTimer feed;
    int16_t points[4][2];
    long step = 0;
    QObject::connect(&feed, &QTimer::timeout, [&] {
        for (auto& point : points) {
            const double t = ++step / 200.0;
            point[0] = int16_t(16000 * std::sin(6.0 * t) + 3000 * std::sin(71.0 * t));
            point[1] = std::sin(1.5 * t) > 0 ? 8000 : 0;
        }
        Variant call[] = {Variant::refShorts(&points[0][0]), Variant(int16_t(2)), Variant(int16_t(4))};
        if (HResult r = dispatch->call(id::ChartEx, call); failed(r))
            QCoreApplication::exit(fail("ChartEx", r));
    });
    feed.start(20);
    if (const int seconds = option("--seconds", "0").toInt(); seconds > 0)
        QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    if (const int status = app.exec(); status != 0)
        return status;

    // Save, then check that what was saved reads back to the same record.
    QByteArray bytes, again;
    if (HResult r = record->save(bytes); failed(r))
        return fail("saving the chart's record", r);
    if (HResult r = record->load(bytes); failed(r) || failed(r = record->save(again)) || again != bytes)
        return fail("reading the saved record back", failed(r) ? r : hr::fail);
    QDir().mkpath(QFileInfo(recordPath).absolutePath());
    QSaveFile file(recordPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return fail(qPrintable("writing " + recordPath), hr::fail);
    return 0;
}
