// Where the remembered settings land when the base directories are named
// relative to wherever the program was started.
#include "base_directories.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class BaseDirectoriesTest : public QObject {
    Q_OBJECT

private slots:
    void settingsFile_data()
    {
        QTest::addColumn<QString>("configHome");  // "<tmp>" stands for an absolute folder
        QTest::addColumn<QString>("expectedFolder");
        QTest::newRow("relative") << "config" << "<home>/.config";
        QTest::newRow("relative, dotted") << "./config" << "<home>/.config";
        QTest::newRow("relative, climbing") << "../config" << "<home>/.config";
        QTest::newRow("absolute") << "<tmp>/elsewhere" << "<tmp>/elsewhere";
        QTest::newRow("unset") << "" << "<home>/.config";
    }
    void settingsFile()
    {
        QFETCH(QString, configHome);
        QFETCH(QString, expectedFolder);
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        const QString home = tmp.filePath("home");
        const auto expand = [&](QString s) { return s.replace("<home>", home).replace("<tmp>", tmp.path()); };
        qputenv("HOME", home.toLocal8Bit());
        if (configHome.isEmpty())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", expand(configHome).toLocal8Bit());

        vellarin::ignoreRelativeBaseDirectories();
        // The folder QSettings puts a user's file in; asked of QStandardPaths,
        // as QSettings keeps its first answer for the life of the process.
        QCOMPARE(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation), expand(expectedFolder));
    }
};

QTEST_GUILESS_MAIN(BaseDirectoriesTest)
#include "test_base_directories.moc"
