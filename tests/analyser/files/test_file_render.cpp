// The whole-file render: a picture of the size asked for, with its scales
// labelled, in which a tone lies on the row of its frequency; and the
// command that writes it.
#include "file_render.h"
#include "render_picture.h"
#include "render_scales.h"

#include <sound_fixtures.h>

#include <interfaces/waterfall_colours.h>

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <unordered_map>

using namespace vellarin;
using namespace test_support;

namespace {

// The waterfall value a pixel's colour stands for, or -1 for a colour off the scale.
int valueOf(QRgb colour)
{
    static const auto table = [] {
        std::unordered_map<QRgb, int> t;
        for (int v = 32767; v >= 0; v -= 8)
            t.emplace(cascadra::WaterfallColours::instance().colourOf(int16_t(v)), v);
        return t;
    }();
    const auto it = table.find(colour | 0xFF000000u);
    return it == table.end() ? -1 : it->second;
}

bool hasLabel(const RenderedFile& r, const QString& text)
{
    return std::any_of(r.labels.begin(), r.labels.end(), [&](const PlacedLabel& l) { return l.text == text; });
}

}  // namespace

class TestFileRender : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString toneFile(double hz, int rate = 44100, double seconds = 4)
    {
        const QString path = m_dir.filePath(QStringLiteral("tone-%1-%2.wav").arg(hz).arg(rate));
        writeBytes(path, waveBytes(rate, 1, sine(hz, rate, int(rate * seconds), 16000)));
        return path;
    }

private slots:
    void pictureHasTheSizeAskedFor_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("fft");
        QTest::newRow("wide") << QSize(1600, 800) << 4096;
        QTest::newRow("small") << QSize(640, 360) << 1024;
        QTest::newRow("smallest") << smallestRender << 16384;
        QTest::newRow("more columns than frames") << QSize(2000, 300) << 16384;
    }
    void pictureHasTheSizeAskedFor()
    {
        QFETCH(QSize, size);
        QFETCH(int, fft);
        RenderOptions options;
        options.size = size;
        options.fftSize = fft;
        const RenderedFile r = renderFile(toneFile(1000), options);
        QVERIFY2(!r.image.isNull(), qPrintable(r.error));
        QCOMPARE(r.image.size(), size);
        QVERIFY(r.image.rect().contains(r.layout.plot));
        QVERIFY(r.image.rect().contains(r.layout.colourBar));
        QVERIFY(!r.layout.plot.intersects(r.layout.colourBar));
        // Every pixel of the plot is a value's colour: no column or row left out.
        for (int y = r.layout.plot.top(); y <= r.layout.plot.bottom(); y += 7)
            for (int x = r.layout.plot.left(); x <= r.layout.plot.right(); ++x)
                QVERIFY2(valueOf(r.image.pixel(x, y)) >= 0, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
    }

    // Each scale is labelled, inside the picture, and its labels are drawn.
    void scalesAreLabelled_data()
    {
        QTest::addColumn<bool>("logarithmic");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("log") << true << QStringList{"100 Hz", "1 kHz", "10 kHz", "0:00", "0:04", "0 dB", "90 dB"};
        QTest::newRow("full-fit") << false << QStringList{"0 Hz", "10 kHz", "20 kHz", "0:00", "0 dB", "90 dB"};
    }
    void scalesAreLabelled()
    {
        QFETCH(bool, logarithmic);
        QFETCH(QStringList, expected);
        RenderOptions options;
        options.logarithmic = logarithmic;
        const QString file = toneFile(1000);
        const RenderedFile r = renderFile(file, options);
        QVERIFY2(!r.image.isNull(), qPrintable(r.error));
        for (const QString& text : expected)
            QVERIFY2(hasLabel(r, text), qPrintable(text));
        QVERIFY(hasLabel(r, QFileInfo(file).fileName()));
        const QRgb ground = r.image.pixel(1, r.image.height() - 1);
        for (const PlacedLabel& l : r.labels) {
            QVERIFY2(r.image.rect().contains(l.box), qPrintable(l.text));
            QVERIFY2(!l.box.intersects(r.layout.plot), qPrintable(l.text));
            int inked = 0;
            for (int y = l.box.top(); y <= l.box.bottom(); ++y)
                for (int x = l.box.left(); x <= l.box.right(); ++x)
                    inked += r.image.pixel(x, y) != ground;
            QVERIFY2(inked > 3, qPrintable(l.text));
        }
    }

    // The loudest row of a column lies at the tone's frequency, to within
    // the width of a row or a bin, whichever is wider there.
    void aToneLiesOnItsRow_data()
    {
        QTest::addColumn<double>("hz");
        QTest::addColumn<bool>("logarithmic");
        QTest::addColumn<int>("window");
        QTest::addColumn<int>("rate");
        QTest::newRow("1 kHz, log, Hann") << 1000.0 << true << int(WindowFunction::hann) << 44100;
        QTest::newRow("5 kHz, log, flat top") << 5000.0 << true << int(WindowFunction::flatTop) << 44100;
        QTest::newRow("200 Hz, log, Blackman-Harris") << 200.0 << true << int(WindowFunction::blackmanHarris) << 44100;
        // Rectangular loses up to 4 dB between bins: this tone lies on bin 279.
        QTest::newRow("3 kHz, full-fit, rectangular") << 279 * 44100 / 4096.0 << false << int(WindowFunction::rectangular) << 44100;
        QTest::newRow("15 kHz, full-fit, Hann, 48 kHz") << 15000.0 << false << int(WindowFunction::hann) << 48000;
    }
    void aToneLiesOnItsRow()
    {
        QFETCH(double, hz);
        QFETCH(bool, logarithmic);
        QFETCH(int, window);
        QFETCH(int, rate);
        RenderOptions options;
        options.logarithmic = logarithmic;
        options.window = WindowFunction(window);
        options.size = {800, 500};
        const RenderedFile r = renderFile(toneFile(hz, rate), options);
        QVERIFY2(!r.image.isNull(), qPrintable(r.error));
        const QRect plot = r.layout.plot;
        for (int x : {plot.left() + 3, plot.center().x(), plot.right() - 3}) {
            int loudest = -1, row = -1;
            for (int y = plot.top(); y <= plot.bottom(); ++y)
                if (const int v = valueOf(r.image.pixel(x, y)); v > loudest)
                    loudest = v, row = y;
            // The row's band, from its lower to its upper edge.
            const double below = double(plot.bottom() - row) / plot.height();
            const double above = double(plot.bottom() - row + 1) / plot.height();
            const double binHz = double(rate) / options.fftSize;
            const double lo = frequencyAt(below, r.lowestHz, r.highestHz, logarithmic) - binHz;
            const double hi = frequencyAt(above, r.lowestHz, r.highestHz, logarithmic) + binHz;
            QVERIFY2(hz >= lo && hz <= hi, qPrintable(QStringLiteral("row %1: %2..%3 Hz").arg(row).arg(lo).arg(hi)));
            // A tone of 16000 on the amplitude scale: ln(16000) x 32767 / ln(32767) = 30510, within 1 dB (a tone between bins loses up to 0.83 dB under Blackman-Harris).
            QVERIFY2(std::abs(loudest - 30510) < 363, qPrintable(QString::number(loudest)));
        }
    }

    // The scales are drawn before the spectrogram is done: they never
    // reach into the plot, whatever the size and scaling.
    void frameLeavesThePlotAlone_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("logarithmic");
        QTest::addColumn<double>("seconds");
        QTest::newRow("wide, log") << QSize(1600, 800) << true << 300.0;
        QTest::newRow("smallest, full-fit") << smallestRender << false << 0.25;
        QTest::newRow("tall, log, an hour") << QSize(300, 2000) << true << 3600.0;
    }
    void frameLeavesThePlotAlone()
    {
        QFETCH(QSize, size);
        QFETCH(bool, logarithmic);
        QFETCH(double, seconds);
        RenderOptions options;
        options.size = size;
        options.logarithmic = logarithmic;
        RenderedFile r;
        r.layout = RenderLayout::of(size);
        r.lowestHz = logarithmic ? 10.77 : 0.0;
        r.highestHz = 22050;
        r.seconds = seconds;
        r.image = QImage(size, QImage::Format_RGB32);
        const QRgb mark = qRgb(1, 2, 3);
        r.image.fill(mark);
        drawRenderFrame(r, options, QStringLiteral("a title long enough to run past the plot's right edge.flac"));
        QVERIFY(!r.labels.empty());
        const QRect plot = r.layout.plot;
        for (int y = plot.top(); y <= plot.bottom(); ++y)
            for (int x = plot.left(); x <= plot.right(); ++x)
                QVERIFY2(r.image.pixel(x, y) == mark, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
        // And around it, all is drawn over.
        QVERIFY(r.image.pixel(0, 0) != mark);
        QVERIFY(r.image.pixel(size.width() - 1, size.height() - 1) != mark);
    }

    void badInputIsRefusedNamingTheFile()
    {
        const QString missing = m_dir.filePath("missing.flac");
        const RenderedFile r = renderFile(missing, {});
        QVERIFY(r.image.isNull());
        QVERIFY2(r.error.startsWith(missing + ": "), qPrintable(r.error));
        RenderOptions tiny;
        tiny.size = {100, 50};
        QVERIFY(renderFile(toneFile(1000), tiny).error.contains("no room"));
    }

    void progressRisesAndCancelStops()
    {
        std::vector<double> seen;
        std::atomic<bool> cancel{false};
        const RenderedFile whole = renderFile(toneFile(1000), {}, [&](double d) { seen.push_back(d); }, &cancel);
        QVERIFY(!whole.image.isNull());
        QVERIFY(std::is_sorted(seen.begin(), seen.end()));
        QCOMPARE(seen.back(), 1.0);
        const RenderedFile stopped = renderFile(toneFile(1000), {}, [&](double d) { cancel = d > 0.3; }, &cancel);
        QVERIFY(stopped.image.isNull());
        QCOMPARE(stopped.error, QStringLiteral("cancelled"));
    }

    // The command: a picture written, or a message naming the file and status 1.
    void commandWritesThePicture_data()
    {
        QTest::addColumn<QStringList>("arguments");  // FILE and PICTURE stand for the tone and the output
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said");
        QTest::newRow("written") << QStringList{"--render", "FILE", "-o", "PICTURE", "--size", "640x360", "--fft", "2048",
                                                "--scaling", "fullfit", "--window", "flat-top"}
                                 << 0 << "";
        QTest::newRow("missing file") << QStringList{"--render", "NOFILE", "-o", "PICTURE"} << 1 << "no such file";
        QTest::newRow("no picture") << QStringList{"--render", "FILE"} << 2 << "-o PICTURE";
        QTest::newRow("bad size") << QStringList{"--render", "FILE", "-o", "PICTURE", "--size", "10x10"} << 2 << "--size";
        QTest::newRow("bad window") << QStringList{"--render", "FILE", "-o", "PICTURE", "--window", "kaiser"} << 2
                                    << "--window kaiser";
        QTest::newRow("standard scaling") << QStringList{"--render", "FILE", "-o", "PICTURE", "--scaling", "standard"}
                                          << 2 << "log or fullfit";
        QTest::newRow("unwritable picture") << QStringList{"--render", "FILE", "-o", "/nonexistent-folder/x.png"} << 1
                                            << "/nonexistent-folder/x.png";
    }
    void commandWritesThePicture()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, said);
        const QString file = toneFile(440);
        const QString missing = m_dir.filePath("nothing-here.wav");
        const QString picture = m_dir.filePath("out.png");
        QFile::remove(picture);
        arguments.replaceInStrings(QRegularExpression("^FILE$"), file);
        arguments.replaceInStrings(QRegularExpression("^NOFILE$"), missing);
        arguments.replaceInStrings(QRegularExpression("^PICTURE$"), picture);
        QProcess program;
        program.start(QStringLiteral(VELLARIN_PROGRAM), arguments);
        QVERIFY(program.waitForFinished(120000));
        const QString err = QString::fromLocal8Bit(program.readAllStandardError());
        QCOMPARE(program.exitCode(), status);
        QVERIFY2(err.contains(said), qPrintable(err));
        if (status == 0) {
            QCOMPARE(QImage(picture).size(), QSize(640, 360));
        } else {
            QVERIFY(!QFile::exists(picture));
            if (said == "no such file")
                QVERIFY2(err.contains(missing), qPrintable(err));
        }
    }
};

QTEST_MAIN(TestFileRender)
#include "test_file_render.moc"
