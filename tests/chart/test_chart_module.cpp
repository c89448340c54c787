// The trazel module as hosts meet it: registration, the class factories, the
// property page, the type listing and failures to create.
#include "test_chart_core_host.h"

#include "../../chart/module/type_library.h"

#include <automation/registry.h>

#include <QFile>
#include <QLibrary>
#include <QTemporaryDir>

#include <algorithm>
#include <set>

using namespace charttest;

namespace {

QString modulePath()
{
    return programDirectory() + QStringLiteral("/libtrazel.so");
}

struct NullSink : EventSink {
    void onEvent(DispId, std::span<const Variant>) override { }
};

using Params = QList<std::pair<QByteArray, int>>;  // name and type of each parameter

}  // namespace

Q_DECLARE_METATYPE(Params)

class TestChartModule : public QObject {
    Q_OBJECT
private slots:
    void init() { QFile::remove(ComponentRegistry::defaultPath()); }

    void registersAndUnregistersBothClasses()
    {
        QCOMPARE(registerModule(modulePath()), hr::ok);
        for (const KnownClass* k : {&classes::trazelChart, &classes::trazelPropertyPage}) {
            const auto entry = ComponentRegistry().findProgId(QString::fromLatin1(k->progId));
            QVERIFY(entry);
            QCOMPARE(entry->classId, k->classId);
            QCOMPARE(entry->typeName, QString::fromLatin1(k->typeName));
            QCOMPARE(entry->modulePath, modulePath());
        }
        ComponentPtr chart;
        QCOMPARE(createInstance(QStringLiteral("TRAZEL.TrazelCtrl.1"), chart), hr::ok);
        QVERIFY(chart->dispatch());
        QCOMPARE(registerModule(modulePath(), true), hr::ok);
        QVERIFY(ComponentRegistry().classes().empty());
    }

    void registryThatCannotBeWritten()
    {
        QTemporaryDir dir;
        QFile blocker(dir.filePath("file"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        const QByteArray previous = qgetenv(ComponentRegistry::pathVariable);
        qputenv(ComponentRegistry::pathVariable, dir.filePath("file/components.json").toLocal8Bit());
        const HResult registered = registerModule(modulePath());
        const HResult unregistered = registerModule(modulePath(), true);
        qputenv(ComponentRegistry::pathVariable, previous);
        QCOMPARE(registered, hr::classRegistration);
        QCOMPARE(unregistered, hr::classRegistration);
    }

    void creationFailures_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QUuid>("classId");
        QTest::addColumn<int>("result");
        const QUuid stranger = QUuid::createUuid();
        QTest::newRow("unknown class") << QString() << stranger << hr::classNotRegistered;
        QTest::newRow("class not in the module") << modulePath() << stranger << hr::classNotAvailable;
        QTest::newRow("missing module") << programDirectory() + "/libnowhere.so" << classes::trazelChart.classId
                                        << hr::moduleNotFound;
        QTest::newRow("not a module") << QStringLiteral("not-a-module.so") << classes::trazelChart.classId
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
        QCOMPARE(createInstance(pages[0], page), hr::ok);
        QCOMPARE(pages[0], classes::trazelPropertyPage.classId);
        QVERIFY(page->propertyPage());
        QCOMPARE(page->propertyPage()->caption(), QStringLiteral("General"));
        QVERIFY(page->propertyPage()->widget());
        QCOMPARE(page->propertyPage()->apply(), hr::ok);
        QVERIFY(!chart.isDirty());
    }

    void unloadsOnlyWithoutObjects()
    {
        {
            ChartHost chart;
            QCOMPARE(moduleCanUnloadNow(modulePath()), hr::falseResult);
        }
        QCOMPARE(moduleCanUnloadNow(modulePath()), hr::ok);
    }

    // The interface as hosts compiled against it call it: numbers, kinds and
    // types written out here, held against what a live chart lists.
    void interfaceConforms_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("type");
        QTest::addColumn<Params>("params");
        const int property = int(MemberKind::Property), indexed = int(MemberKind::IndexedProperty),
                  method = int(MemberKind::Method), event = int(MemberKind::Event);
        // A colour travels as a 32-bit integer, a boolean as the 16-bit automation boolean.
        const int shortType = vtI2, longType = vtI4, boolType = vtBool, text = vtBstr, colour = vtI4;
        const Params none, index{{"Idx", shortType}}, position{{"X", shortType}, {"Y", shortType}};
        const auto add = [](const char* name, int number, int kind, int type, const Params& params) {
            QTest::newRow(name) << number << kind << type << params;
        };
        add("ActiveChannel", 1, property, shortType, none);
        add("BaseLineLegend", 2, property, boolType, none);
        add("Channel", 3, property, shortType, none);
        add("ChannelMask", 4, property, longType, none);
        add("ChartText", 5, property, text, none);
        add("DigitalMask", 6, property, shortType, none);
        add("GridSpacingX", 7, property, shortType, none);
        add("GridSpacingY", 8, property, shortType, none);
        add("GroupSetting", 9, property, boolType, none);
        add("Lock", 10, property, boolType, none);
        add("MarkEvents", 11, property, boolType, none);
        add("PEraseBar", 12, property, colour, none);
        add("PGrid", 13, property, colour, none);
        add("PText", 14, property, colour, none);
        add("PenSize", 15, property, shortType, none);
        add("ScrollMode", 16, property, boolType, none);
        add("ShowEraseBar", 17, property, boolType, none);
        add("ShowLegend", 18, property, boolType, none);
        add("SolidBaseLine", 19, property, boolType, none);
        add("Step", 20, property, shortType, none);
        add("Xmax", 21, property, longType, none);
        add("SumWaveforms", 22, property, boolType, none);
        add("DoubleActiveTrace", 23, property, boolType, none);
        add("Persist", 24, property, shortType, none);
        add("Key", 25, property, text, none);
        add("Chart", 26, method, vtEmpty, {{"Data", vtVariant}});
        add("ChartEx", 27, method, vtEmpty, {{"Buffer", vtByRef | vtI2}, {"Channel", shortType}, {"Total", shortType}});
        add("CopyToClipboard", 28, method, vtEmpty, none);
        add("SetTextPos", 29, method, vtEmpty, position);
        add("AuxCrossHair", 30, method, vtEmpty, position);
        add("EvenSpacing", 31, method, vtEmpty, none);
        add("PLine", 32, indexed, colour, index);
        add("Ymax", 33, indexed, longType, index);
        add("Ymin", 34, indexed, longType, index);
        add("BaseLine", 35, indexed, longType, index);
        add("ChartChanged", 1, event, vtEmpty, {{"Min", longType}, {"Max", longType}});
        add("CrossHair", 2, event, vtEmpty, {{"Offset", longType}});
    }
    void interfaceConforms()
    {
        QFETCH(int, number);
        QFETCH(int, kind);
        QFETCH(int, type);
        QFETCH(Params, params);
        ChartHost chart;
        const bool isEvent = kind == int(MemberKind::Event);
        const std::span<const MemberInfo> listed =
            isEvent ? chart.object->connectionPoint()->events() : chart.dispatch().members();
        QCOMPARE(listed.size(), size_t(isEvent ? 2 : 35));
        const auto member = std::find_if(listed.begin(), listed.end(),
                                         [](const MemberInfo& m) { return qstrcmp(m.name, QTest::currentDataTag()) == 0; });
        QVERIFY(member != listed.end());
        QCOMPARE(member->id, number);
        QCOMPARE(int(member->kind), kind);
        QCOMPARE(int(member->valueType), type);
        Params actual;
        for (const ParamInfo& p : member->params)
            actual.append({QByteArray(p.name), int(p.type)});
        QCOMPARE(actual, params);
    }

    void typeListing()
    {
        ChartHost chart;
        std::set<QString> hidden;
        for (const MemberInfo& m : chart.dispatch().members())
            if (m.hidden)
                hidden.insert(QString::fromLatin1(m.name));
        QCOMPARE(hidden, (std::set<QString>{"MarkEvents", "PenSize", "EvenSpacing"}));
        QCOMPARE(chart.dispatch().idOfName(u"ChartEx"), id::ChartEx);

        ConnectionPoint* events = chart.object->connectionPoint();
        NullSink sink;
        QCOMPARE(events->unadvise(events->advise(&sink)), hr::ok);

        QLibrary module(modulePath());
        auto library = reinterpret_cast<trazel::GetTypeLibraryFn>(module.resolve(trazel::getTypeLibrarySymbol));
        QVERIFY(library);
        QCOMPARE(library()->name, "TRAZELLib");
        QCOMPARE(library()->enumValues[16].value, 32768);
    }
};

QTEST_MAIN(TestChartModule)
#include "test_chart_module.moc"
