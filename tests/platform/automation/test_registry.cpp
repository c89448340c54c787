// The registries as files: which module paths they trust, what a rewrite
// keeps and refuses, and what several programs registering at once leave.
#include "sample_component.h"

#include <automation/host.h>
#include <automation/registry.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QLibrary>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace automation;

namespace {

// JSON written with ' for ", to keep the rows readable.
QByteArray q(const char* json) { return QByteArray(json).replace('\'', '"'); }

const QString sampleId = sample::classId.toString();
const ClassRegistration sampleEntry{sample::classId, sample::progId, "Sample", "/opt/sample/libsample.so"};
const QByteArray sampleJson = q("{'classId':'") + sampleId.toLatin1() +
                              q("','progId':'Sample.Component.1','typeName':'Sample','module':'/opt/sample/libsample.so'");

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int modeOf(const QString& path)
{
    struct stat s {};
    return ::stat(QFile::encodeName(path).constData(), &s) == 0 ? int(s.st_mode & 0777) : -1;
}

}  // namespace

class TestRegistry : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QFile::remove(ComponentRegistry::defaultPath());
        QFile::remove(ComponentRegistry::systemPath());
    }

    // A registry naming "lib/libplanted.so", and a program started in a
    // folder that holds one: the stranger's library must not be loaded.
    void relativeModuleIsNeverLoaded_data()
    {
        QTest::addColumn<bool>("systemWide");
        QTest::addColumn<QString>("identity");
        QTest::addColumn<int>("expected");
        QTest::newRow("per-user, by class identity") << false << sampleId << hr::classNotRegistered;
        QTest::newRow("system-wide, by programmatic identifier") << true << QString(sample::progId)
                                                                 << hr::invalidClassString;
    }
    void relativeModuleIsNeverLoaded()
    {
        QFETCH(bool, systemWide);
        QFETCH(QString, identity);
        QFETCH(int, expected);
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkdir("lib"));
        QVERIFY(QFile::copy(programDirectory() + "/libplanted.so", folder.filePath("lib/libplanted.so")));
        const QString registry = systemWide ? ComponentRegistry::systemPath() : ComponentRegistry::defaultPath();
        writeFile(registry, q("{'classes':[{'classId':'") + sampleId.toLatin1() +
                                q("','progId':'Sample.Component.1','module':'lib/libplanted.so'}]}"));
        QTest::ignoreMessage(QtWarningMsg, qPrintable(registry + ": ignored the entry for " + sampleId +
                                                      ": its module path \"lib/libplanted.so\" is not absolute"));
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folder.path()));
        ComponentPtr object;
        const HResult r = createInstance(identity, object);
        QDir::setCurrent(previous);
        QCOMPARE(r, expected);
        QVERIFY(!QFile::exists(folder.filePath("planted-module-ran")));
        // The planted library does leave its mark when it is loaded.
        QVERIFY(QDir::setCurrent(folder.path()));
        const bool loaded = QLibrary(folder.filePath("lib/libplanted.so")).load();
        QDir::setCurrent(previous);
        QVERIFY(loaded && QFile::exists(folder.filePath("planted-module-ran")));
    }

    void relativeModuleIsRefusedWhenWritten_data()
    {
        QTest::addColumn<bool>("library");
        QTest::addColumn<int>("expected");
        QTest::newRow("class") << false << hr::classRegistration;
        QTest::newRow("type library") << true << hr::typeLibRegistration;
    }
    void relativeModuleIsRefusedWhenWritten()
    {
        QFETCH(bool, library);
        QFETCH(int, expected);
        ComponentRegistry registry;
        const QUuid id = QUuid::createUuid();
        QTest::ignoreMessage(QtWarningMsg, qPrintable(registry.path() + ": not written: the module path \"lib/x.so\" of " +
                                                      id.toString() + " is not absolute"));
        const HResult r = library ? registry.registerTypeLibrary({id, "1.0", 1033, {}, "lib/x.so"})
                                  : registry.registerClass({id, "X.Y.1", "X", "lib/x.so"});
        QCOMPARE(r, expected);
        QVERIFY(!QFile::exists(registry.path()));
    }

    // Four programs, each registering 25 classes one at a time, all at once.
    void concurrentWritersLoseNothing()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath("components.json");
        std::vector<std::unique_ptr<QProcess>> writers;
        for (int w = 1; w <= 4; ++w) {
            writers.push_back(std::make_unique<QProcess>());
            writers.back()->setProcessChannelMode(QProcess::ForwardedChannels);
            writers.back()->start(programDirectory() + "/registry_writer", {path, QString::number(w), "25"});
        }
        for (auto& w : writers) {
            QVERIFY(w->waitForFinished(120000));
            QCOMPARE(w->exitCode(), 0);
        }
        QCOMPARE(ComponentRegistry(path).classes().size(), size_t(100));
    }

    void damagedRegistryIsNeverWritten_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("problem");
        QTest::newRow("not JSON") << QByteArray("{ damaged") << "not a component registry: unterminated object at byte 3";
        QTest::newRow("a list at the top") << QByteArray("[]") << "not a component registry: the top level is not an object";
        QTest::newRow("classes not a list") << q("{'classes':{}}")
                                            << "not a component registry: \"classes\" is not a list";
    }
    void damagedRegistryIsNeverWritten()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, problem);
        ComponentRegistry registry;
        writeFile(registry.path(), contents);
        const QByteArray message = (registry.path() + ": not written: " + problem).toLocal8Bit();
        QTest::ignoreMessage(QtWarningMsg, message.constData());
        QCOMPARE(registry.registerClass(sampleEntry), hr::classRegistration);
        QTest::ignoreMessage(QtWarningMsg, message.constData());
        QCOMPARE(registry.unregisterClass(sample::classId), hr::classRegistration);
        QCOMPARE(readFile(registry.path()), contents);
    }

    // Registering the sample class into each file keeps the rest as it was.
    void rewriteKeepsWhatItDoesNotKnow_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("top-level key") << q("{'comment':'kept by hand','classes':[]}")
                                       << q("{'comment':'kept by hand','classes':[") + sampleJson + "}]}";
        QTest::newRow("extra key of a class entry")
            << q("{'classes':[{'classId':'") + sampleId.toLatin1() + q("','module':'/old.so','vendorNote':'kept'}]}")
            << q("{'classes':[") + sampleJson + q(",'vendorNote':'kept'}]}");
        QTest::newRow("class whose identity does not parse")
            << q("{'classes':[{'classId':'not-an-id','module':'/x.so'}]}")
            << q("{'classes':[{'classId':'not-an-id','module':'/x.so'},") + sampleJson + "}]}";
        const QByteArray library = q("{'libraryId':'{8d3d4f2a-0000-4000-8000-000000000001}','version':'1.0',"
                                   "'locale':1033,'help':'','module':'/x.so','platform':'arm'}");
        QTest::newRow("extra key of a type library entry") << q("{'typeLibraries':[") + library + "]}"
                                                           << q("{'typeLibraries':[") + library + q("],'classes':[") +
                                                                  sampleJson + "}]}";
    }
    void rewriteKeepsWhatItDoesNotKnow()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        ComponentRegistry registry;
        writeFile(registry.path(), before);
        QCOMPARE(registry.registerClass(sampleEntry), hr::ok);
        QCOMPARE(QJsonDocument::fromJson(readFile(registry.path())), QJsonDocument::fromJson(after));
    }

    void filesAreReadableByAllWhateverTheUmask()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath("new/components.json");
        const mode_t previous = ::umask(077);
        const HResult r = ComponentRegistry(path).registerClass(sampleEntry);
        ::umask(previous);
        QCOMPARE(r, hr::ok);
        QCOMPARE(modeOf(path), 0644);
        QCOMPARE(modeOf(folder.filePath("new")), 0755);
    }

    void unregisterCreatesNothing()
    {
        QTemporaryDir folder;
        QCOMPARE(ComponentRegistry(folder.filePath("none/components.json")).unregisterClass(sample::classId), hr::ok);
        QVERIFY(!QFile::exists(folder.filePath("none")));
    }
};

QTEST_GUILESS_MAIN(TestRegistry)
#include "test_registry.moc"
