// The registration tool as a user runs it: each row one command, in order,
// on the test's own registry.
#include <automation/host.h>

#include <QProcess>
#include <QTest>

using namespace automation;

class TestRegisterTool : public QObject {
    Q_OBJECT
private slots:
    void commands_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("shown");  // a line the output holds
        QTest::addColumn<bool>("absent");    // ...or must not hold
        const QString chart = programDirectory() + "/libtrazel.so";
        QTest::newRow("register") << QStringList{"register", chart} << 0 << QString() << false;
        QTest::newRow("list") << QStringList{"list"} << 0
                              << "{6c1f3a53-94d1-4e8b-a107-3d52f09c2e41} TRAZEL.TrazelPropPage.1 \"Trazel Property Page\" " + chart
                              << false;
        QTest::newRow("type library by name") << QStringList{"typelib", "trazel"} << 0
                                              << "    [27] method void ChartEx(short* Buffer, short Channel, short Total)"
                                              << false;
        QTest::newRow("version") << QStringList{"typelib", chart} << 0 << "module version 1, 1, 0, 2" << false;
        QTest::newRow("unregister") << QStringList{"unregister", chart} << 0 << QString() << false;
        QTest::newRow("list after") << QStringList{"list"} << 0 << "TRAZEL" << true;
        QTest::newRow("no module") << QStringList{"register", "/nonexistent/libx.so"} << 1 << "0x800401f8" << false;
        QTest::newRow("registry unwritable") << QStringList{"--registry", "/proc/none/r.json", "register", chart} << 1
                                             << "0x80040200" << false;
        QTest::newRow("no command") << QStringList{} << 2 << QString() << false;
    }
    void commands()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, shown);
        QFETCH(bool, absent);
        QProcess tool;
        tool.start(programDirectory() + "/vellarin-register", arguments);
        QVERIFY(tool.waitForFinished());
        const QString output = QString::fromLocal8Bit(tool.readAllStandardOutput() + tool.readAllStandardError());
        QCOMPARE(tool.exitCode(), exitCode);
        QCOMPARE(output.contains(shown), !absent);
    }
};

QTEST_GUILESS_MAIN(TestRegisterTool)
#include "test_register_tool.moc"
