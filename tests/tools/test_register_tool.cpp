// The registration tool as a user runs it: each row one command, in order,
// on the test's own registries, and a line it must print.
#include <automation/host.h>
#include <automation/registry.h>
#include <interfaces/class_ids.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace automation;

class TestRegisterTool : public QObject {
    Q_OBJECT
    QString garbage() const { return QFileInfo(ComponentRegistry::defaultPath()).path() + "/garbage.json"; }

private slots:
    void initTestCase()
    {
        QFile f(garbage());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("{ damaged");
    }

    void commands_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("shown");  // a line the output holds
        const QString dir = programDirectory(), chart = dir + "/libtrazel.so";
        const QString mine = ComponentRegistry::defaultPath(), system = ComponentRegistry::systemPath();
        const QString chartClass = sdk::classes::trazelChart.classId.toString() + " TRAZEL.TrazelCtrl.1 \"Trazel Control\"";
        const QString library = sdk::interfaces::trazelTypeLibrary.toString() + " version 1.0";
        QTest::newRow("list, empty") << QStringList{"list"} << 0 << "no components registered in " + mine;
        QTest::newRow("register") << QStringList{"register", chart} << 0 << "registered class " + chartClass + " in " + mine;
        QTest::newRow("register writes the library") << QStringList{"register", chart} << 0
                                                     << "registered type library " + library + " in " + mine;
        QTest::newRow("list") << QStringList{"list"} << 0
                              << "{6c1f3a53-94d1-4e8b-a107-3d52f09c2e41} TRAZEL.TrazelPropPage.1 \"Trazel Property Page\" " + chart;
        QTest::newRow("type library by name") << QStringList{"typelib", "trazel"} << 0
                                              << "    [27] method void ChartEx(short* Buffer, short Channel, short Total)";
        QTest::newRow("version") << QStringList{"typelib", chart} << 0 << "module version 1, 1, 0, 2";
        QTest::newRow("unregister") << QStringList{"unregister", chart} << 0 << "removed class " + chartClass + " from " + mine;
        QTest::newRow("unregister again") << QStringList{"unregister", chart} << 0
                                          << "nothing of " + chart + " was registered in " + mine;
        QTest::newRow("list after") << QStringList{"list"} << 0 << "no components registered in " + mine;
        QTest::newRow("system-wide") << QStringList{"--system", "register", chart} << 0
                                     << "registered class " + chartClass + " in " + system;
        QTest::newRow("system-wide, removed") << QStringList{"--system", "unregister", chart} << 0
                                              << "removed class " + chartClass + " from " + system;
        QTest::newRow("no module") << QStringList{"register", "/nonexistent/libx.so"} << 1
                                   << "vellarin-register: cannot register /nonexistent/libx.so: there is no such file (0x800401f8)";
        QTest::newRow("bare name found nowhere") << QStringList{"typelib", "nosuch"} << 1
                                                 << "vellarin-register: no module \"nosuch\": looked for " + dir + "/libnosuch.so and ";
        QTest::newRow("module without a type library") << QStringList{"typelib", "samplecomponent"} << 1
                                                       << "vellarin-register: " + dir + "/libsamplecomponent.so carries no type library";
        QTest::newRow("registry unwritable")
            << QStringList{"--registry", "/proc/none/r.json", "register", chart} << 1
            << "vellarin-register: cannot register " + chart +
                   ": its type library could not be written to /proc/none/r.json (0x80040200)";
        QTest::newRow("installed path not absolute") << QStringList{"--installed-path", "opt/x.so", "register", chart} << 1
                                                     << "vellarin-register: --installed-path wants an absolute path, not \"opt/x.so\"";
        QTest::newRow("garbage registry listed") << QStringList{"--registry", garbage(), "list"} << 1
                                                 << "vellarin-register: " + garbage() +
                                                        ": not a component registry: unterminated object at byte 3";
        QTest::newRow("garbage registry kept") << QStringList{"--registry", garbage(), "register", chart} << 1
                                               << garbage() + ": not written: not a component registry: unterminated object at byte 3";
        QTest::newRow("no command") << QStringList{} << 2 << "Usage: ";
        QTest::newRow("unknown command") << QStringList{"bogus"} << 2 << "vellarin-register: unknown command \"bogus\"";
        QTest::newRow("unknown command, with the usage") << QStringList{"bogus", chart} << 2 << "Usage: ";
    }
    void commands()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, shown);
        QProcess tool;
        tool.start(programDirectory() + "/vellarin-register", arguments);
        QVERIFY(tool.waitForFinished());
        const QString output = QString::fromLocal8Bit(tool.readAllStandardOutput() + tool.readAllStandardError());
        QVERIFY2(output.contains(shown), qPrintable(output));
        QCOMPARE(tool.exitCode(), exitCode);
    }

    // Without an absolute home or configuration folder there is no per-user
    // registry: nothing lands in the working folder or in "/.config".
    void noRegistryOfYourOwnWithoutAHome_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("list") << QStringList{"list"};
        QTest::newRow("register") << QStringList{"register", "trazel"};
    }
    void noRegistryOfYourOwnWithoutAHome()
    {
        QFETCH(QStringList, arguments);
        QTemporaryDir folder;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(ComponentRegistry::pathVariable);
        environment.insert("HOME", "home");
        environment.insert("XDG_CONFIG_HOME", "config");
        QProcess tool;
        tool.setProcessEnvironment(environment);
        tool.setWorkingDirectory(folder.path());
        tool.start(programDirectory() + "/vellarin-register", arguments);
        QVERIFY(tool.waitForFinished());
        const QString output = QString::fromLocal8Bit(tool.readAllStandardOutput() + tool.readAllStandardError());
        QVERIFY2(output.contains("vellarin-register: you have no registry of your own"), qPrintable(output));
        QCOMPARE(tool.exitCode(), 1);
        QVERIFY(QDir(folder.path()).isEmpty());
    }

    // Run in a folder where someone left a library named "trazel": a bare
    // name means the installed or shipped module, never that file.
    void bareNameNeverLoadsFromTheWorkingFolder_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("register") << QStringList{"register", "trazel"};
        QTest::newRow("unregister") << QStringList{"unregister", "trazel"};
        QTest::newRow("typelib") << QStringList{"typelib", "trazel"};
        QTest::newRow("system-wide register") << QStringList{"--system", "register", "trazel"};
    }
    void bareNameNeverLoadsFromTheWorkingFolder()
    {
        QFETCH(QStringList, arguments);
        QTemporaryDir folder;
        QVERIFY(QFile::copy(programDirectory() + "/libplanted.so", folder.filePath("trazel")));
        QProcess tool;
        tool.setWorkingDirectory(folder.path());
        tool.start(programDirectory() + "/vellarin-register", arguments);
        QVERIFY(tool.waitForFinished());
        const QString output = QString::fromLocal8Bit(tool.readAllStandardOutput() + tool.readAllStandardError());
        QVERIFY2(!QFile::exists(folder.filePath("planted-module-ran")), qPrintable(output));
        QVERIFY2(tool.exitCode() == 0, qPrintable(output));
        QVERIFY2(!output.contains(folder.path()), qPrintable(output));
    }
};

QTEST_GUILESS_MAIN(TestRegisterTool)
#include "test_register_tool.moc"
