// Names from outside the program, made safe to print: what a terminal would
// act on, or what would break a line or turn the reading direction, becomes a
// blank; every other character stays, however far from ASCII.
#include <wavein/printable_text.h>

#include <QTest>

class TestPrintableText : public QObject {
    Q_OBJECT
private slots:
    void replacesWhatDrivesATerminal_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shown");
        QTest::newRow("escape sequence") << QString("Mic\x1b]0;owned\x07 A") << QString("Mic ]0;owned  A");
        QTest::newRow("clear screen") << QString("\x1b[2JMic") << QString(" [2JMic");
        QTest::newRow("eight-bit CSI") << (QString("Mic") + QChar(0x9B) + "31m") << QString("Mic 31m");
        QTest::newRow("line feed and return") << QString("USB\nMic\r") << QString("USB Mic ");
        QTest::newRow("tab and delete") << QString("USB\tMic\x7f") << QString("USB Mic ");
        QTest::newRow("right-to-left override") << (QString("Mic") + QChar(0x202E) + "cod.exe") << QString("Mic cod.exe");
        QTest::newRow("isolate") << (QString(QChar(0x2066)) + "Mic" + QChar(0x2069)) << QString(" Mic ");
        QTest::newRow("line separator") << (QString("USB") + QChar(0x2028) + "Mic") << QString("USB Mic");
        QTest::newRow("plain") << QString("Monitor of Built-in Audio") << QString("Monitor of Built-in Audio");
        QTest::newRow("accents and scripts") << QString::fromUtf8("Micro Écoute – 麦克风") << QString::fromUtf8("Micro Écoute – 麦克风");
        // Beyond 16 bits a character is two code units; it is kept whole, and so is a joined emoji.
        QTest::newRow("emoji") << QString::fromUtf8("Mic \U0001F3A4") << QString::fromUtf8("Mic \U0001F3A4");
        QTest::newRow("joined emoji") << QString::fromUtf8("\U0001F469\u200D\U0001F3A4") << QString::fromUtf8("\U0001F469\u200D\U0001F3A4");
        QTest::newRow("empty") << QString() << QString();
    }

    void replacesWhatDrivesATerminal()
    {
        QFETCH(QString, name);
        QTEST(wavein::printableText(name), "shown");
    }
};

QTEST_GUILESS_MAIN(TestPrintableText)
#include "test_printable_text.moc"
