// The trazel module as hosts meet it: registration, the class factories, the
// property page, the type listing and failures to create.
#include "test_chart_core_host.h"

#include "../../chart/module/type_library.h"

#include <automation/registry.h>

#include <QFile>
#include <QLibrary>
#include <QTemporaryDir>

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

}  // namespace

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

    void typeListing()
    {
        ChartHost chart;
        std::set<DispId> ids;
        std::set<QString> hidden;
        int methods = 0;
        for (const MemberInfo& m : chart.dispatch().members()) {
            ids.insert(m.id);
            if (m.hidden)
                hidden.insert(QString::fromLatin1(m.name));
            // Indexed properties are listed as accessor methods.
            methods += m.kind == MemberKind::Method || m.kind == MemberKind::IndexedProperty;
        }
        QCOMPARE(ids.size(), size_t(35));
        QCOMPARE(*ids.rbegin(), 35);
        QCOMPARE(methods, 10);
        QCOMPARE(hidden, (std::set<QString>{"MarkEvents", "PenSize", "EvenSpacing"}));
        QCOMPARE(chart.dispatch().idOfName(u"ChartEx"), id::ChartEx);

        ConnectionPoint* events = chart.object->connectionPoint();
        QCOMPARE(events->events().size(), size_t(2));
        QCOMPARE(events->events()[0].params.size(), size_t(2));
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
