// The trazel module as hosts meet it: registration, the class factories, the
// property page, the type library and failures to create.
#include "test_chart_core_host.h"

#include <automation/registry.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <set>

using namespace charttest;
using sdk::classes::trazelChart;
using sdk::classes::trazelPropertyPage;

namespace {

QString modulePath()
{
    return programDirectory() + QStringLiteral("/libtrazel.so");
}

struct NullSink : EventSink {
    void onEvent(DispId, std::span<const Variant>) override { }
};

using Params = QList<std::pair<QByteArray, int>>;  // name and type of each parameter

const QUuid libraryId(0x6c1f3a56, 0x94d1, 0x4e8b, 0xa1, 0x07, 0x3d, 0x52, 0xf0, 0x9c, 0x2e, 0x41);

const TypeLibrary& typeLibrary()
{
    HResult r = hr::fail;
    const TypeLibrary* library = moduleTypeLibrary(modulePath(), r);
    if (!library)
        qFatal("the module carries no type library: %x", unsigned(r));
    return *library;
}

const InterfaceDescription* libraryInterface(const char* name)
{
    for (const InterfaceDescription& i : typeLibrary().interfaces)
        if (qstrcmp(i.name, name) == 0)
            return &i;
    return nullptr;
}

}  // namespace

Q_DECLARE_METATYPE(Params)

class TestChartModule : public QObject {
    Q_OBJECT
private slots:
    void init() { QFile::remove(ComponentRegistry::defaultPath()); }

    void registersTheLibraryAndBothClasses()
    {
        QCOMPARE(registerModule(modulePath()), hr::ok);
        const ComponentRegistry registry;
        QCOMPARE(registry.typeLibraries().size(), size_t(1));
        const TypeLibraryRegistration library = registry.typeLibraries()[0];
        QCOMPARE(library.libraryId, libraryId);
        QCOMPARE(library.version, QStringLiteral("1.0"));
        QCOMPARE(library.locale, 1033u);
        QCOMPARE(library.modulePath, modulePath());
        HResult loaded = hr::fail;
        QCOMPARE(loadRegisteredTypeLibrary(libraryId, "1.0", loaded), &typeLibrary());

        const auto chart = registry.findProgId(QStringLiteral("TRAZEL.TrazelCtrl.1"));
        QVERIFY(chart);
        QCOMPARE(chart->classId, trazelChart.classId);
        QCOMPARE(chart->typeName, QStringLiteral("Trazel Control"));
        QCOMPARE(chart->modulePath, modulePath());
        QCOMPARE(chart->threading, QStringLiteral("Apartment"));
        QCOMPARE(chart->miscStatus, 0x20191u);
        QCOMPARE(chart->toolboxBitmap, modulePath() + ",1");
        HResult r = hr::fail;
        QCOMPARE(QImage(modulePicture(modulePath(), 1, r)).size(), QSize(16, 15));
        QCOMPARE(chart->typeLibrary, libraryId);
        QCOMPARE(chart->typeLibraryVersion, QStringLiteral("1.0"));
        QCOMPARE(chart->propertyPages, std::vector<QUuid>{trazelPropertyPage.classId});

        const auto page = registry.findProgId(QStringLiteral("TRAZEL.TrazelPropPage.1"));
        QVERIFY(page);
        QCOMPARE(page->classId, trazelPropertyPage.classId);
        QCOMPARE(page->typeName, QStringLiteral("Trazel Property Page"));

        ComponentPtr created;
        QCOMPARE(createInstance(QStringLiteral("TRAZEL.TrazelCtrl.1"), created), hr::ok);
        QVERIFY(created->dispatch());
        QCOMPARE(registerModule(modulePath(), true), hr::ok);
        QVERIFY(registry.classes().empty());
        QVERIFY(registry.typeLibraries().empty());
        QVERIFY(!loadRegisteredTypeLibrary(libraryId, "1.0", loaded));
        QCOMPARE(loaded, HResult(0x8002801D));
    }

    // The type library is written first, so an unwritable registry fails
    // there; a module without one fails at its first class.
    void registryThatCannotBeWritten_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<HResult>("result");
        QTest::newRow("with a type library") << modulePath() << HResult(0x80040200);
        QTest::newRow("classes only") << programDirectory() + "/libfourel.so" << HResult(0x80040201);
    }
    void registryThatCannotBeWritten()
    {
        QFETCH(QString, module);
        QFETCH(HResult, result);
        // A registry that does not parse is never rewritten.
        QTemporaryDir dir;
        QFile damaged(dir.filePath("components.json"));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write("{");
        damaged.close();
        const QByteArray previous = qgetenv(ComponentRegistry::pathVariable);
        qputenv(ComponentRegistry::pathVariable, damaged.fileName().toLocal8Bit());
        const HResult registered = registerModule(module);
        const HResult unregistered = registerModule(module, true);
        qputenv(ComponentRegistry::pathVariable, previous);
        QCOMPARE(registered, result);
        QCOMPARE(unregistered, result);
    }

    void creationFailures_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QUuid>("classId");
        QTest::addColumn<int>("result");
        const QUuid stranger = QUuid::createUuid();
        QTest::newRow("unknown class") << QString() << stranger << hr::classNotRegistered;
        QTest::newRow("class not in the module") << modulePath() << stranger << hr::classNotAvailable;
        QTest::newRow("missing module") << programDirectory() + "/libnowhere.so" << trazelChart.classId
                                        << hr::moduleNotFound;
        QTest::newRow("not a module") << QStringLiteral("not-a-module.so") << trazelChart.classId
                                      << hr::errorInModule;
    }

    void creationFailures()
    {
        QFETCH(QString, path);
        QFETCH(QUuid, classId);
        QFETCH(int, result);
        QTemporaryDir dir;
        if (path == QLatin1String("not-a-module.so")) {
            path = dir.filePath(path);
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("this is text, not code");
        }
        ComponentPtr object;
        QCOMPARE(
            path.isEmpty() ? createInstance(classId, object) : createInstanceFromModule(path, classId, object), result);
        QVERIFY(!object);
    }

    void propertyPage()
    {
        ChartHost chart;
        const std::span<const QUuid> pages = chart.object->control()->propertyPages();
        QCOMPARE(pages.size(), size_t(1));
        ComponentPtr page;
        QCOMPARE(createInstance(pages[0], page, "trazel"), hr::ok);
        QCOMPARE(pages[0], trazelPropertyPage.classId);
        QVERIFY(page->propertyPage());
        QCOMPARE(page->propertyPage()->caption(), QStringLiteral("General"));
        QVERIFY(page->propertyPage()->widget());
        QCOMPARE(page->propertyPage()->apply(), hr::unexpected);  // no chart to apply to yet

        Component* const charts[] = {chart.object.get()};
        QCOMPARE(page->propertyPage()->setObjects(charts), hr::ok);
        QByteArray before, after;
        QCOMPARE(chart.stream().save(before), hr::ok);
        QCOMPARE(page->propertyPage()->apply(), hr::ok);
        QVERIFY(!chart.isDirty());
        QCOMPARE(chart.stream().save(after), hr::ok);
        QCOMPARE(after, before);
        QCOMPARE(page->propertyPage()->setObjects({}), hr::ok);
    }

    void unloadsOnlyWithoutObjectsOrLocks()
    {
        {
            ChartHost chart;
            QCOMPARE(moduleCanUnloadNow(modulePath()), hr::falseResult);
        }
        QCOMPARE(moduleCanUnloadNow(modulePath()), hr::ok);
        ClassFactory* factory = nullptr;
        QCOMPARE(moduleClassFactory(modulePath(), trazelChart.classId, factory), hr::ok);
        QCOMPARE(factory->lockServer(true), hr::ok);
        QCOMPARE(moduleCanUnloadNow(modulePath()), hr::falseResult);
        QCOMPARE(factory->lockServer(false), hr::ok);
        QCOMPARE(moduleCanUnloadNow(modulePath()), hr::ok);
    }

    // The interface as hosts compiled against it call it and a type browser
    // shows it: numbers, kinds, types, parameters, help and hidden marks
    // written out here, held against what a live chart lists and against the
    // type library the module carries.
    void interfaceConforms_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("typeName");
        QTest::addColumn<Params>("params");
        QTest::addColumn<QByteArray>("help");
        QTest::addColumn<bool>("hidden");
        const int property = int(MemberKind::Property), indexed = int(MemberKind::IndexedProperty),
                  method = int(MemberKind::Method), event = int(MemberKind::Event);
        // A colour travels as a 32-bit integer, a boolean as the 16-bit automation boolean.
        const int shortType = vtI2, longType = vtI4, boolType = vtBool, text = vtBstr, colour = vtI4;
        const QByteArray plain, colourName = "OLE_COLOR";
        const Params none, index{{"Idx", shortType}}, position{{"X", shortType}, {"Y", shortType}};
        const auto add = [](const char* name, int number, int kind, int type, const QByteArray& typeName,
                            const Params& params, const char* help, bool hidden = false) {
            QTest::newRow(name) << number << kind << type << typeName << params << QByteArray(help) << hidden;
        };
        add("ActiveChannel", 1, property, shortType, plain, none, "The channel to follow mouse scaling and offset operations");
        add("BaseLineLegend", 2, property, boolType, plain, none, "The legends will be placed at the 0 instead of the upper left corner");
        add("Channel", 3, property, shortType, plain, none, "To specify a channel to plot");
        add("ChannelMask", 4, property, longType, plain, none, "To select the plotting channels");
        add("ChartText", 5, property, text, plain, none, "The text in the chart");
        add("DigitalMask", 6, property, shortType, "enumDigitalMask", none, "To select a digital bit for digital plot");
        add("GridSpacingX", 7, property, shortType, plain, none, "The spacing between X gridlines in pixels");
        add("GridSpacingY", 8, property, shortType, plain, none, "The spacing between Y gridlines in pixels");
        add("GroupSetting", 9, property, boolType, plain, none, "Mouse scaling and offset operations will apply to all channels");
        add("Lock", 10, property, boolType, plain, none, "When set, mouse offset operations will not be allowed");
        add("MarkEvents", 11, property, boolType, plain, none, "", true);
        add("PEraseBar", 12, property, colour, colourName, none, "Color of the erase bar");
        add("PGrid", 13, property, colour, colourName, none, "Color of the grids");
        add("PText", 14, property, colour, colourName, none, "Color ot the text in the chart");
        add("PenSize", 15, property, shortType, plain, none, "", true);
        add("ScrollMode", 16, property, boolType, plain, none, "Scroll or scope mode");
        add("ShowEraseBar", 17, property, boolType, plain, none, "Show erase bar in scope mode");
        add("ShowLegend", 18, property, boolType, plain, none, "Show legends on the chart");
        add("SolidBaseLine", 19, property, boolType, plain, none, "Solid center line");
        add("Step", 20, property, shortType, plain, none, "Number of data points to skip when plotting");
        add("Xmax", 21, property, longType, plain, none, "Returns the width of the chart in number of pixels");
        add("SumWaveforms", 22, property, boolType, plain, none, "Do not erase old waveforms");
        add("DoubleActiveTrace", 23, property, boolType, plain, none, "Highlight the active trance");
        add("Persist", 24, property, shortType, plain, none, "");
        add("Key", 25, property, text, plain, none, "");
        add("Chart", 26, method, vtEmpty, plain, {{"Data", vtVariant}}, "");
        add("ChartEx", 27, method, vtEmpty, plain,
            {{"Buffer", vtByRef | vtI2}, {"Channel", shortType}, {"Total", shortType}}, "");
        add("CopyToClipboard", 28, method, vtEmpty, plain, none, "");
        add("SetTextPos", 29, method, vtEmpty, plain, position, "");
        add("AuxCrossHair", 30, method, vtEmpty, plain, position, "");
        add("EvenSpacing", 31, method, vtEmpty, plain, none, "", true);
        add("PLine", 32, indexed, colour, colourName, index, "");
        add("Ymax", 33, indexed, longType, plain, index, "");
        add("Ymin", 34, indexed, longType, plain, index, "");
        add("BaseLine", 35, indexed, longType, plain, index, "");
        add("ChartChanged", 1, event, vtEmpty, plain, {{"Min", longType}, {"Max", longType}}, "");
        add("CrossHair", 2, event, vtEmpty, plain, {{"Offset", longType}}, "");
    }
    void interfaceConforms()
    {
        QFETCH(int, number);
        QFETCH(int, kind);
        QFETCH(int, type);
        QFETCH(QByteArray, typeName);
        QFETCH(Params, params);
        QFETCH(QByteArray, help);
        QFETCH(bool, hidden);
        ChartHost chart;
        const bool isEvent = kind == int(MemberKind::Event);
        const InterfaceDescription* described = libraryInterface(isEvent ? "_DTrazelEvents" : "_DTrazel");
        QVERIFY(described);
        const std::span<const MemberInfo> lists[] = {
            isEvent ? chart.object->connectionPoint()->events() : chart.dispatch().members(), described->members};
        for (const std::span<const MemberInfo> listed : lists) {
            QCOMPARE(listed.size(), size_t(isEvent ? 2 : 35));
            const auto member = std::find_if(listed.begin(), listed.end(), [](const MemberInfo& m) {
                return qstrcmp(m.name, QTest::currentDataTag()) == 0;
            });
            QVERIFY(member != listed.end());
            QCOMPARE(member->id, number);
            QCOMPARE(int(member->kind), kind);
            QCOMPARE(int(member->valueType), type);
            QCOMPARE(QByteArray(member->typeName), typeName);
            QCOMPARE(QByteArray(member->help), help);
            QCOMPARE(member->hidden, hidden);
            Params actual;
            for (const ParamInfo& p : member->params)
                actual.append({QByteArray(p.name), int(p.type)});
            QCOMPARE(actual, params);
        }
    }

    // Read from the module alone: no chart is made for it.
    void typeLibraryAndVersion()
    {
        const TypeLibrary& library = typeLibrary();
        QCOMPARE(moduleCanUnloadNow(modulePath()), hr::ok);
        QCOMPARE(library.name, "TRAZELLib");
        QCOMPARE(library.libraryId, libraryId);
        QCOMPARE(library.version(), QStringLiteral("1.0"));
        QCOMPARE(library.locale, 1033u);
        QCOMPARE(library.help, "Trazel Control");

        QCOMPARE(library.enums.size(), size_t(1));
        QCOMPARE(library.enums[0].name, "enumDigitalMask");
        QStringList values;
        for (const EnumValue& v : library.enums[0].values)
            values << QStringLiteral("%1=%2").arg(v.name).arg(v.value);
        QStringList expected{"Disabled=0"};
        for (int bit = 0; bit < 16; ++bit)
            expected << QStringLiteral("PlotBit%1=%2").arg(bit).arg(1 << bit);
        QCOMPARE(values, expected);

        const InterfaceDescription* dispatch = libraryInterface("_DTrazel");
        const InterfaceDescription* events = libraryInterface("_DTrazelEvents");
        QVERIFY(dispatch && events);
        QCOMPARE(library.interfaces.size(), size_t(2));
        QCOMPARE(dispatch->help, "Dispatch interface for Trazel Control");
        QVERIFY(dispatch->hidden);
        QCOMPARE(events->help, "Event interface for Trazel Control");
        QVERIFY(!events->hidden);

        QCOMPARE(library.classes.size(), size_t(1));
        const CoClassDescription& chart = library.classes[0];
        QCOMPARE(chart.name, "Trazel");
        QCOMPARE(chart.classId, trazelChart.classId);
        QCOMPARE(chart.help, "Trazel Control");
        QCOMPARE(chart.defaultInterface, "_DTrazel");
        QCOMPARE(chart.defaultEventSource, "_DTrazelEvents");

        HResult r = hr::fail;
        const ModuleVersion* version = moduleVersion(modulePath(), r);
        QVERIFY(version);
        QCOMPARE(version->file, "1, 1, 0, 2");
        QCOMPARE(version->product, "1, 1, 0, 2");
        QCOMPARE(moduleCanUnloadNow(modulePath()), hr::ok);
    }

    void eventSinksConnect()
    {
        ChartHost chart;
        QCOMPARE(chart.dispatch().idOfName(u"ChartEx"), id::ChartEx);
        ConnectionPoint* events = chart.object->connectionPoint();
        NullSink sink;
        QCOMPARE(events->unadvise(events->advise(&sink)), hr::ok);
    }
};

QTEST_MAIN(TestChartModule)
#include "test_chart_module.moc"
