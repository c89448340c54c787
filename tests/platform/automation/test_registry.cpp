// The registries as files: which module paths they trust, what a rewrite
// keeps and refuses, and what several programs registering at once leave.
#include "sample_component.h"

#include <automation/host.h>
#include <automation/registry.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QLibrary>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
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

// Sets an environment variable (unsets it for a null value) until the end of
// the scope.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const QString& value) : m_name(name), m_was(qgetenv(name)), m_had(qEnvironmentVariableIsSet(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value.toLocal8Bit());
    }
    ~ScopedVariable()
    {
        if (m_had)
            qputenv(m_name, m_was);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    QByteArray m_was;
    bool m_had;
};

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

    // What is written for one user follows the umask, a new folder private
    // to the user; what every user's programs read is readable by all.
    void permissionsFollowWhoReadsTheFile_data()
    {
        QTest::addColumn<QString>("registry");  // under the new folder "new"
        QTest::addColumn<int>("umask");
        QTest::addColumn<int>("fileMode");
        QTest::addColumn<int>("folderMode");
        QTest::newRow("per-user, private umask") << "user/components.json" << 077 << 0600 << 0700;
        QTest::newRow("per-user, usual umask") << "user/components.json" << 022 << 0644 << 0700;
        QTest::newRow("per-user, group umask") << "user/components.json" << 002 << 0664 << 0700;
        QTest::newRow("administrator's, private umask") << "system/components.json" << 077 << 0644 << 0755;
        QTest::newRow("drop-in, private umask") << "system/components.d/p.json" << 077 << 0644 << 0755;
    }
    void permissionsFollowWhoReadsTheFile()
    {
        QFETCH(QString, registry);
        QFETCH(int, umask);
        QFETCH(int, fileMode);
        QFETCH(int, folderMode);
        QTemporaryDir folder;
        const ScopedVariable system(ComponentRegistry::systemPathVariable, folder.filePath("new/system"));
        const QString path = folder.filePath("new/" + registry);
        const mode_t previous = ::umask(mode_t(umask));
        const HResult r = ComponentRegistry(path).registerClass(sampleEntry);
        ::umask(previous);
        QCOMPARE(r, hr::ok);
        QCOMPARE(modeOf(path), fileMode);
        QCOMPARE(modeOf(folder.filePath("new")), folderMode);
        QCOMPARE(modeOf(QFileInfo(path).path()), folderMode);
    }

    // A staged install may reach the system-wide folder through a link.
    void systemWideThroughALink()
    {
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkdir("real"));
        QVERIFY(QFile::link(folder.filePath("real"), folder.filePath("link")));
        const ScopedVariable system(ComponentRegistry::systemPathVariable, folder.filePath("real/system"));
        const mode_t previous = ::umask(077);
        const HResult r = ComponentRegistry(folder.filePath("link/system/components.d/p.json")).registerClass(sampleEntry);
        ::umask(previous);
        QCOMPARE(r, hr::ok);
        QCOMPARE(modeOf(folder.filePath("real/system/components.d/p.json")), 0644);
        QCOMPARE(modeOf(folder.filePath("real/system/components.d")), 0755);
    }

    void existingFileKeepsItsMode()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath("components.json");
        writeFile(path, "{}");
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
        QCOMPARE(ComponentRegistry(path).registerClass(sampleEntry), hr::ok);
        QCOMPARE(modeOf(path), 0640);
    }

    // The per-user registry lives under the XDG configuration home, which a
    // relative XDG_CONFIG_HOME does not name: a registry planted under one,
    // seen from the folder the program starts in, is never read.
    void perUserRegistryFollowsTheConfigurationHome_data()
    {
        QTest::addColumn<QString>("configHome");  // "~" stands for the home folder
        QTest::addColumn<QString>("home");
        QTest::addColumn<QString>("expected");
        const QString unset;
        QTest::newRow("relative configuration home") << "planted" << "~" << "~/.config/vellarin/components.json";
        QTest::newRow("dot-relative configuration home") << "./planted" << "~" << "~/.config/vellarin/components.json";
        QTest::newRow("absolute configuration home") << "~/cfg" << "~" << "~/cfg/vellarin/components.json";
        QTest::newRow("no configuration home") << unset << "~" << "~/.config/vellarin/components.json";
        QTest::newRow("empty configuration home") << "" << "~" << "~/.config/vellarin/components.json";
        QTest::newRow("relative, and no home") << "planted" << unset << QString();
        QTest::newRow("relative, and a relative home") << "planted" << "home" << QString();
        QTest::newRow("relative, and the root as home") << "planted" << "/" << QString();
    }
    void perUserRegistryFollowsTheConfigurationHome()
    {
        QFETCH(QString, configHome);
        QFETCH(QString, home);
        QFETCH(QString, expected);
        QTemporaryDir folder, homeFolder;
        auto tilde = [&](QString s) { return s.isNull() ? s : s.replace(u'~', homeFolder.path()); };
        // The planted registry names a module that is there, so only not
        // reading it keeps the class unknown.
        writeFile(folder.filePath("planted/vellarin/components.json"),
                  q("{'classes':[{'classId':'") + sampleId.toLatin1() + q("','progId':'Sample.Component.1','module':'") +
                      (programDirectory() + "/libsamplecomponent.so").toLocal8Bit() + "'}]}");
        const ScopedVariable mine(ComponentRegistry::pathVariable, QString());
        const ScopedVariable xdg("XDG_CONFIG_HOME", tilde(configHome));
        const ScopedVariable user("HOME", tilde(home));
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folder.path()));
        const auto back = qScopeGuard([&] { QDir::setCurrent(previous); });
        QCOMPARE(ComponentRegistry::defaultPath(), tilde(expected));
        QVERIFY(registeredClasses(sample::classId).empty());
        if (expected.isNull()) {
            QVERIFY(!ComponentRegistry::lookupPaths().contains(QString()));
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^no per-user component registry: "));
            QCOMPARE(ComponentRegistry().registerClass(sampleEntry), hr::classRegistration);
        }
        QVERIFY(!QFile::exists(folder.filePath(".config")));
        QVERIFY(!QFile::exists(folder.filePath("vellarin")));
    }

    // A lock whose owner cannot be asked (an empty file, or one taken on
    // another host) is taken over only when it is far older than any writer
    // holds one; a younger one makes the writer give up after its wait.
    void lockOfAnUnknownOwner_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<int>("ageSeconds");
        QTest::addColumn<bool>("takenOver");
        const QByteArray otherHost = "4242\nregistry_writer\nsome-other-host\n";
        QTest::newRow("empty, abandoned an hour ago") << QByteArray() << 3600 << true;
        QTest::newRow("another host's, abandoned an hour ago") << otherHost << 3600 << true;
        QTest::newRow("empty, a minute old") << QByteArray() << 60 << false;
    }
    void lockOfAnUnknownOwner()
    {
        QFETCH(QByteArray, contents);
        QFETCH(int, ageSeconds);
        QFETCH(bool, takenOver);
        QTemporaryDir folder;
        const QString path = folder.filePath("components.json");
        writeFile(path + ".lock", contents);
        QFile lock(path + ".lock");
        QVERIFY(lock.open(QIODevice::ReadWrite));
        QVERIFY(lock.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-ageSeconds), QFileDevice::FileModificationTime));
        lock.close();
        if (!takenOver)
            QTest::ignoreMessage(QtWarningMsg, qPrintable(path + ": not written: its lock " + path +
                                                          ".lock could not be taken: another program kept it"));
        QCOMPARE(ComponentRegistry(path).registerClass(sampleEntry), takenOver ? hr::ok : hr::classRegistration);
        QCOMPARE(ComponentRegistry(path).classes().size(), size_t(takenOver ? 1 : 0));
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
