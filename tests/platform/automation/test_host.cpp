#include "sample_component.h"

#include <automation/host.h>
#include <automation/registry.h>

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

using namespace automation;

namespace {

QString sampleModulePath() { return programDirectory() + QStringLiteral("/libsamplecomponent.so"); }

struct RecordingSink : EventSink {
    std::vector<std::pair<DispId, int>> received;
    ConnectionPoint* disconnectFrom = nullptr;
    uint32_t cookie = 0;
    void onEvent(DispId event, std::span<const Variant> args) override
    {
        received.emplace_back(event, args.empty() ? 0 : asLong(args[0]));
        if (disconnectFrom)
            disconnectFrom->unadvise(cookie);
    }
};

}  // namespace

class TestHost : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QFile::remove(ComponentRegistry::defaultPath());
        QCOMPARE(ComponentRegistry().registerClass({sample::classId, sample::progId, "Sample", sampleModulePath()}),
                 hr::ok);
    }

    void createsByClassIdentityAndByName_data()
    {
        QTest::addColumn<QString>("identity");
        QTest::newRow("class identity") << sample::classId.toString();
        QTest::newRow("programmatic identifier") << QString::fromLatin1(sample::progId);
        QTest::newRow("identifier in other case") << QString::fromLatin1(sample::progId).toLower();
    }

    void createsByClassIdentityAndByName()
    {
        QFETCH(QString, identity);
        ComponentPtr object;
        QCOMPARE(createInstance(identity, object), hr::ok);
        QVERIFY(object && object->dispatch());
        Variant level;
        QCOMPARE(object->dispatch()->get(sample::level, level), hr::ok);
        QCOMPARE(asShort(level), int16_t(7));
    }

    // The per-user registry, then the administrator's file, then the drop-ins
    // in name order, then the module the caller names: the first entry whose
    // module file is there decides. A module here is "sample", "missing"
    // (a deleted build tree) or "text" (there, but no module).
    void findsTheModule_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("admin");
        QTest::addColumn<QStringList>("dropIns");  // "file name=module"
        QTest::addColumn<QString>("named");
        QTest::addColumn<int>("expected");
        QTest::newRow("system-wide only") << "" << "sample" << QStringList{} << "" << hr::ok;
        QTest::newRow("per-user beats system-wide") << "text" << "sample" << QStringList{} << "" << hr::errorInModule;
        QTest::newRow("stale per-user falls through") << "missing" << "sample" << QStringList{} << "" << hr::ok;
        QTest::newRow("stale system-wide falls through to the named")
            << "" << "missing" << QStringList{} << "samplecomponent" << hr::ok;
        QTest::newRow("stale everywhere") << "missing" << "missing" << QStringList{"a.json=missing"} << ""
                                          << hr::classNotRegistered;
        QTest::newRow("administrator's file beats drop-ins") << "" << "text" << QStringList{"a.json=sample"} << ""
                                                             << hr::errorInModule;
        QTest::newRow("drop-in first by name decides") << "" << "" << QStringList{"20-b.json=sample", "10-a.json=text"}
                                                       << "" << hr::errorInModule;
        QTest::newRow("drop-in first by name decides, other way")
            << "" << "" << QStringList{"20-b.json=text", "10-a.json=sample"} << "" << hr::ok;
        QTest::newRow("registered beats named") << "" << "text" << QStringList{} << "samplecomponent"
                                                << hr::errorInModule;
        QTest::newRow("named, beside the program") << "" << "" << QStringList{} << "samplecomponent" << hr::ok;
        QTest::newRow("named by path") << "" << "" << QStringList{} << sampleModulePath() << hr::ok;
        QTest::newRow("nowhere") << "" << "" << QStringList{} << "" << hr::classNotRegistered;
    }
    void findsTheModule()
    {
        QFETCH(QString, user);
        QFETCH(QString, admin);
        QFETCH(QStringList, dropIns);
        QFETCH(QString, named);
        QFETCH(int, expected);
        QTemporaryDir dir;
        const QString text = dir.filePath("libtext.so");
        QFile(text).open(QIODevice::WriteOnly);
        const QMap<QString, QString> modules{
            {"sample", sampleModulePath()}, {"missing", "/nonexistent/libnothing.so"}, {"text", text}};
        auto enter = [&](const QString& registry, const QString& module) {
            if (!module.isEmpty())
                QCOMPARE(ComponentRegistry(registry).registerClass({sample::classId, sample::progId, "Sample", modules[module]}),
                         hr::ok);
        };
        QVERIFY(QFile::remove(ComponentRegistry::defaultPath()));
        QDir(ComponentRegistry::systemDirectory()).removeRecursively();
        enter(ComponentRegistry::defaultPath(), user);
        enter(ComponentRegistry::systemPath(), admin);
        for (const QString& dropIn : dropIns)
            enter(ComponentRegistry::dropInDirectory() + u'/' + dropIn.section(u'=', 0, 0), dropIn.section(u'=', 1));
        ComponentPtr object;
        const HResult byId = createInstance(sample::classId, object, named);
        QDir(ComponentRegistry::systemDirectory()).removeRecursively();
        QCOMPARE(byId, expected);
        QCOMPARE(bool(object), expected == hr::ok);
    }

    void creationFailures_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<QString>("identity");
        QTest::addColumn<int>("expected");
        QTest::newRow("unknown class") << QString() << QUuid::createUuid().toString() << hr::classNotRegistered;
        QTest::newRow("unknown name") << QString() << "No.Such.Thing" << hr::invalidClassString;
        QTest::newRow("missing module") << "/nonexistent/libnothing.so" << sample::classId.toString() << hr::moduleNotFound;
        QTest::newRow("not a module") << "TEXTFILE" << sample::classId.toString() << hr::errorInModule;
        QTest::newRow("class the module lacks") << sampleModulePath() << QUuid::createUuid().toString()
                                                << hr::classNotAvailable;
    }

    void creationFailures()
    {
        QFETCH(QString, module);
        QFETCH(QString, identity);
        QFETCH(int, expected);
        QTemporaryDir dir;
        if (module == QLatin1String("TEXTFILE")) {
            module = dir.filePath("libfake.so");
            QFile f(module);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("this is not a shared library");
        }
        ComponentPtr object;
        const HResult r = module.isEmpty() ? createInstance(identity, object)
                                           : createInstanceFromModule(module, QUuid::fromString(identity), object);
        QCOMPARE(r, expected);
        QVERIFY(!object);
    }

    void dispatchByNumber_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QList<Variant>>("args");
        QTest::addColumn<int>("expected");
        QTest::addColumn<int>("levelAfter");  // a failed call changes nothing
        using K = InvokeKind;
        QTest::newRow("put then coerced") << sample::level << int(K::PropertyPut) << QList<Variant>{Variant(12.5)} << hr::ok << 12;
        QTest::newRow("unknown member") << 99 << int(K::PropertyGet) << QList<Variant>{} << hr::memberNotFound << 7;
        QTest::newRow("property called as method") << sample::level << int(K::Method) << QList<Variant>{} << hr::memberNotFound << 7;
        QTest::newRow("too many arguments") << sample::level << int(K::PropertyGet) << QList<Variant>{Variant(int16_t(1))}
                                            << hr::badParamCount << 7;
        QTest::newRow("wrong type") << sample::level << int(K::PropertyPut) << QList<Variant>{Variant("loud")}
                                    << hr::typeMismatch << 7;
        QTest::newRow("overflow") << sample::level << int(K::PropertyPut) << QList<Variant>{Variant(int32_t(70000))}
                                  << hr::overflow << 7;
        QTest::newRow("write-only get") << sample::command << int(K::PropertyGet) << QList<Variant>{}
                                        << hr::getNotSupported << 7;
        QTest::newRow("indexed get") << sample::cell << int(K::PropertyGet) << QList<Variant>{Variant(int16_t(99))} << hr::ok << 7;
        QTest::newRow("method wants a reference") << sample::sum << int(K::Method)
                                                  << QList<Variant>{Variant(int16_t(1)), Variant(int16_t(1))}
                                                  << hr::typeMismatch << 7;
        static int16_t word = 1;
        QTest::newRow("method refuses with its own result") << sample::sum << int(K::Method)
                                                            << QList<Variant>{Variant::refShorts(&word), Variant(int16_t(-1))}
                                                            << hr::invalidArg << 7;
        QTest::newRow("method missing argument") << sample::sum << int(K::Method) << QList<Variant>{Variant(int16_t(1))}
                                                 << hr::badParamCount << 7;
    }

    void dispatchByNumber()
    {
        QFETCH(int, id);
        QFETCH(int, kind);
        QFETCH(QList<Variant>, args);
        QFETCH(int, expected);
        QFETCH(int, levelAfter);
        ComponentPtr object;
        QCOMPARE(createInstance(sample::classId, object), hr::ok);
        Variant result;
        QCOMPARE(object->dispatch()->invoke(id, static_cast<InvokeKind>(kind), args, &result), expected);
        Variant level;
        QCOMPARE(object->dispatch()->get(sample::level, level), hr::ok);
        QCOMPARE(int(asShort(level)), levelAfter);
    }

    void byReferenceAndIndexedMembers()
    {
        ComponentPtr object;
        QCOMPARE(createInstance(sample::classId, object), hr::ok);
        Dispatch* d = object->dispatch();
        int16_t data[3] = {5, -2, 40};
        Variant args[2] = {Variant::refShorts(data), Variant(int32_t(3))};
        Variant sum;
        QCOMPARE(d->call(sample::sum, args, &sum), hr::ok);
        QCOMPARE(asLong(sum), 43);
        QCOMPARE(d->putIndexed(sample::cell, Variant(int16_t(-5)), Variant(int32_t(11))), hr::ok);
        Variant cell;
        QCOMPARE(d->getIndexed(sample::cell, Variant(int16_t(0)), cell), hr::ok);
        QCOMPARE(asLong(cell), 11);
        QCOMPARE(d->idOfName(u"cell"), sample::cell);
        QCOMPARE(d->members().size(), size_t(4));
    }

    void eventsReachConnectedSinksOnly()
    {
        ComponentPtr object;
        QCOMPARE(createInstance(sample::classId, object), hr::ok);
        ConnectionPoint* cp = object->connectionPoint();
        QVERIFY(cp);
        QCOMPARE(cp->advise(nullptr), 0u);
        RecordingSink first, second;
        const uint32_t a = cp->advise(&first);
        second.disconnectFrom = cp;
        second.cookie = cp->advise(&second);
        QVERIFY(a != 0 && second.cookie != a);
        QCOMPARE(object->dispatch()->put(sample::level, Variant(int16_t(3))), hr::ok);
        QCOMPARE(object->dispatch()->put(sample::level, Variant(int16_t(4))), hr::ok);
        QCOMPARE(first.received.size(), size_t(2));
        QCOMPARE(first.received[1].second, 4);
        QCOMPARE(second.received.size(), size_t(1));  // disconnected itself while handling the first
        QCOMPARE(cp->unadvise(a), hr::ok);
        QCOMPARE(cp->unadvise(a), hr::invalidArg);
    }

    void moduleKnowsWhenItCanUnload()
    {
        {
            ComponentPtr object;
            QCOMPARE(createInstance(sample::classId, object), hr::ok);
            QCOMPARE(moduleCanUnloadNow(sampleModulePath()), hr::falseResult);
        }
        QCOMPARE(moduleCanUnloadNow(sampleModulePath()), hr::ok);
    }
};

QTEST_GUILESS_MAIN(TestHost)
#include "test_host.moc"
