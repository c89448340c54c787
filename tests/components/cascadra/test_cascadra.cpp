#include "waterfall_probe.h"

#include <automation/events.h>

#include <QApplication>
#include <QClipboard>
#include <QScreen>
#include <QTest>
#include <QWidget>

using namespace automation;
namespace dispid = cascadra::dispid;

namespace {

const QSize pictureSize(120, 90);

// Distinct in every element of every line, and far apart in colour.
int16_t levelAt(int line, int i) { return static_cast<int16_t>(1000 + 9000 * line + 16 * i); }

std::vector<int16_t> lineOf(int line, int length)
{
    std::vector<int16_t> levels(static_cast<size_t>(length));
    for (int i = 0; i < length; ++i)
        levels[static_cast<size_t>(i)] = levelAt(line, i);
    return levels;
}

bool inside(QPoint p, QSize s) { return p.x() >= 0 && p.y() >= 0 && p.x() < s.width() && p.y() < s.height(); }

// Steps from the base to the first pixel in the level's own colour: the crest
// of its relief (0 for a flat line), or -1 if there is none within the depth.
int crestHeight(const QImage& image, QPoint base, QPoint rise, QRgb colour, int depth)
{
    for (int k = 0; k <= depth && inside(base + k * rise, image.size()); ++k)
        if (image.pixel(base + k * rise) == colour)
            return k;
    return -1;
}

struct CursorSink : EventSink {
    std::vector<std::tuple<DispId, int, int>> received;
    void onEvent(DispId event, std::span<const Variant> args) override
    {
        received.emplace_back(event, args.size() > 0 ? asShort(args[0]) : -1, args.size() > 1 ? asShort(args[1]) : -1);
    }
};

void addDirections()
{
    QTest::addColumn<int>("direction");
    QTest::addColumn<bool>("view3D");
    static const char* names[] = {"45 degree", "Bottom to Top", "Right to Left", "Top to Bottom", "-45 degree",
                                  "i Right to Left"};
    for (int d = 0; d <= 5; ++d)
        for (bool view3D : {false, true})
            QTest::addRow("%s, %s", names[d], view3D ? "3D" : "flat") << d << view3D;
}

}  // namespace

class TestCascadra : public QObject {
    Q_OBJECT
private slots:
    void linesLieWhereTheReadoutLooks_data() { addDirections(); }
    void linesLieWhereTheReadoutLooks()
    {
        QFETCH(int, direction);
        QFETCH(bool, view3D);
        WaterfallProbe waterfall(pictureSize, direction, view3D);
        const int lines = 3, depth = waterfall.depth();
        for (int line = 0; line < lines; ++line)
            QCOMPARE(waterfall.addLine(lineOf(line, 200)), hr::ok);

        const QImage image = waterfall.picture();
        for (int line = 0; line < lines; ++line) {
            const int age = lines - 1 - line;
            // In 3D a relief may cover lines behind it: the front one must show whole.
            if (view3D && line != (newestInFront(direction) ? lines - 1 : 0))
                continue;
            for (int i = 0;; ++i) {
                const QPoint base = basePixel(direction, view3D, depth, pictureSize, age, i);
                if (!inside(base, pictureSize))
                    break;
                const int crest = crestHeight(image, base, reliefRise(direction), waterfall.colourOf(levelAt(line, i)),
                                              view3D ? depth : 0);
                if (crest < 0)
                    QFAIL(qPrintable(QStringLiteral("line %1 element %2 missing at (%3, %4)")
                                         .arg(line).arg(i).arg(base.x()).arg(base.y())));
            }
        }
    }

    // Hundreds of lines carry the history round and off the picture's edges
    // in both axes: it must still read as one unbroken picture, whole and in
    // any part repainted alone.
    void longHistoryShowsWithoutSeams_data()
    {
        QTest::addColumn<int>("direction");
        for (int d = 0; d <= 5; ++d)
            QTest::addRow("direction %d", d) << d;
    }
    void longHistoryShowsWithoutSeams()
    {
        QFETCH(int, direction);
        WaterfallProbe waterfall(pictureSize, direction, 0);
        const QRgb ground = waterfall.picture().pixel(0, 0);
        const int reach = pictureSize.width() + pictureSize.height(), lines = 2 * reach + 7;
        for (int line = 0; line < lines; ++line)
            QCOMPARE(waterfall.addLine(lineOf(line % 4, 200)), hr::ok);

        QImage expected(pictureSize, QImage::Format_RGB32);
        expected.fill(ground);
        for (int age = 0; age < reach; ++age)
            for (int i = 0; i < 200; ++i)
                if (const QPoint p = basePixel(direction, false, 0, pictureSize, age, i); inside(p, pictureSize))
                    expected.setPixel(p, waterfall.colourOf(levelAt((lines - 1 - age) % 4, i)));
        QCOMPARE(waterfall.picture(), expected);
        const QRect part(pictureSize.width() / 3, pictureSize.height() / 4, pictureSize.width() / 2,
                         pictureSize.height() / 2);
        QCOMPARE(waterfall.view()->grab(part).toImage().convertToFormat(QImage::Format_RGB32), expected.copy(part));
    }

    void reliefRisesWithTheLevel_data() { addDirections(); }
    void reliefRisesWithTheLevel()
    {
        QFETCH(int, direction);
        QFETCH(bool, view3D);
        WaterfallProbe waterfall(pictureSize, direction, view3D);
        const std::vector<int16_t> levels{-32768, -500, 0, 8000, 16000, 32767};
        QCOMPARE(waterfall.addLine(levels), hr::ok);
        const QImage image = waterfall.picture();
        const int depth = waterfall.depth();
        int previous = -1;
        for (int i = 0; i < static_cast<int>(levels.size()); ++i) {
            const QPoint base = basePixel(direction, view3D, depth, pictureSize, 0, i);
            const int crest = crestHeight(image, base, reliefRise(direction), waterfall.colourOf(levels[i]), depth);
            QVERIFY2(crest >= 0, qPrintable(QString::number(levels[i])));
            if (!view3D || levels[i] <= 0)
                QCOMPARE(crest, 0);
            else
                QVERIFY(crest > previous);
            previous = crest;
        }
        if (view3D)
            QCOMPARE(previous, depth);  // the full scale rises the whole depth
    }

    // Every flank pixel has its exact shade, 140 + 90 k / height of 256 at
    // step k, the crest its own colour; also after the history has wrapped
    // round the stored picture, so a relief may cross the seam.
    void reliefFlanksDarkenTowardTheGround_data()
    {
        QTest::addColumn<int>("direction");
        QTest::addColumn<int>("linesBefore");
        QTest::newRow("rising up") << int(cascadra::BottomToTop) << 0;
        QTest::newRow("rising up, wrapped") << int(cascadra::BottomToTop) << pictureSize.height() + 30;
        QTest::newRow("rising left, wrapped") << int(cascadra::RightToLeft) << pictureSize.width() + 30;
    }
    void reliefFlanksDarkenTowardTheGround()
    {
        QFETCH(int, direction);
        QFETCH(int, linesBefore);
        WaterfallProbe waterfall(pictureSize, direction, 1);
        for (int line = 0; line < linesBefore; ++line)
            QCOMPARE(waterfall.addLine(lineOf(line % 3, 200)), hr::ok);
        std::vector<int16_t> levels;
        for (int level = 0; level <= 32767; level += 311)
            levels.push_back(static_cast<int16_t>(level));
        QCOMPARE(waterfall.addLine(levels), hr::ok);

        const QImage image = waterfall.picture();
        const int depth = waterfall.depth();
        for (int i = 0; i < static_cast<int>(levels.size()); ++i) {
            const QPoint base = basePixel(direction, true, depth, pictureSize, 0, i);
            if (!inside(base, pictureSize))
                break;
            const QRgb crest = waterfall.colourOf(levels[size_t(i)]);
            const int height = (levels[size_t(i)] * depth + 16383) / 32767;
            for (int k = 0; k <= height; ++k) {
                const int light = 140 + 90 * k / std::max(height, 1);
                const QRgb expected = k == height ? crest
                                                  : qRgb(qRed(crest) * light >> 8, qGreen(crest) * light >> 8,
                                                         qBlue(crest) * light >> 8);
                QCOMPARE(image.pixel(base + k * reliefRise(direction)), expected);
            }
        }
    }

    void lineLengthIsClippedOrPadded_data()
    {
        QTest::addColumn<int>("direction");
        QTest::addColumn<int>("length");
        QTest::newRow("empty line") << int(cascadra::BottomToTop) << 0;
        QTest::newRow("short line across") << int(cascadra::TopToBottom) << 17;
        QTest::newRow("short line along the height") << int(cascadra::InvertedRightToLeft) << 17;
        QTest::newRow("short diagonal line") << int(cascadra::Diagonal45) << 17;
        QTest::newRow("huge line") << int(cascadra::DiagonalMinus45) << (1 << 20);
    }
    void lineLengthIsClippedOrPadded()
    {
        QFETCH(int, direction);
        QFETCH(int, length);
        WaterfallProbe waterfall(pictureSize, direction, 0);
        QCOMPARE(waterfall.addLine(lineOf(0, 50)), hr::ok);
        QCOMPARE(waterfall.addLine(std::vector<int16_t>(static_cast<size_t>(length), 32767)), hr::ok);
        const QImage image = waterfall.picture();
        for (int i = 0; inside(basePixel(direction, false, 0, pictureSize, 0, i), pictureSize); ++i) {
            const int16_t expected = i < length ? int16_t(32767) : int16_t(-32768);
            QCOMPARE(image.pixel(basePixel(direction, false, 0, pictureSize, 0, i)), waterfall.colourOf(expected));
        }
        // The line before moved on, untouched.
        QCOMPARE(image.pixel(basePixel(direction, false, 0, pictureSize, 1, 3)), waterfall.colourOf(levelAt(0, 3)));
    }

    void colourScaleRunsFromDarkToBright()
    {
        WaterfallProbe waterfall(pictureSize, 1, 0);
        auto lightness = [](QRgb c) { return 0.2126 * qRed(c) + 0.7152 * qGreen(c) + 0.0722 * qBlue(c); };
        double previous = -1;
        for (int level = 0; level <= 32767; level += 64) {
            const double l = lightness(waterfall.colourOf(static_cast<int16_t>(level)));
            QVERIFY2(l >= previous - 1.0,  // 8-bit rounding
                      qPrintable(QString::number(level)));
            previous = l;
        }
        QVERIFY(lightness(waterfall.colourOf(0)) < 20);
        QVERIFY(lightness(waterfall.colourOf(32767)) > 200);
        // Negative raw levels are the bottom of the scale; no data is its own colour.
        QCOMPARE(waterfall.colourOf(-1), waterfall.colourOf(0));
        QCOMPARE(waterfall.colourOf(-31211), waterfall.colourOf(0));
        for (int16_t level : {int16_t(0), int16_t(16384), int16_t(32767)})
            QVERIFY(waterfall.colourOf(-32768) != waterfall.colourOf(level));
    }

    void propertiesReadBackWhatWasPut_data()
    {
        QTest::addColumn<DispId>("member");
        QTest::addColumn<Variant>("value");
        QTest::addColumn<HResult>("outcome");
        QTest::addColumn<int32_t>("readBack");
        QTest::newRow("direction 0") << dispid::ScrollDirection << Variant(int32_t(0)) << hr::ok << 0;
        QTest::newRow("direction 5") << dispid::ScrollDirection << Variant(int32_t(5)) << hr::ok << 5;
        QTest::newRow("direction as short") << dispid::ScrollDirection << Variant(int16_t(2)) << hr::ok << 2;
        QTest::newRow("direction 7 ignored") << dispid::ScrollDirection << Variant(int32_t(7)) << hr::ok << 4;
        QTest::newRow("direction not a number") << dispid::ScrollDirection << Variant("left") << hr::typeMismatch << 4;
        QTest::newRow("3D off") << dispid::View3D << Variant(int32_t(0)) << hr::ok << 0;
        QTest::newRow("3D as any non-zero") << dispid::View3D << Variant(int32_t(2)) << hr::ok << 2;
        QTest::newRow("depth is read-only") << dispid::Depth3D << Variant(int16_t(10)) << HResult(0x800A017F) << 48;
    }
    void propertiesReadBackWhatWasPut()
    {
        QFETCH(DispId, member);
        QFETCH(Variant, value);
        QFETCH(HResult, outcome);
        QFETCH(int32_t, readBack);
        WaterfallProbe waterfall(pictureSize, 4, 1);
        QCOMPARE(waterfall.dispatch().put(member, value), outcome);
        QCOMPARE(waterfall.getLong(member), readBack);
    }

    void aNewReadingOfTheLinesStartsAFreshPicture_data()
    {
        QTest::addColumn<DispId>("member");
        QTest::addColumn<int32_t>("value");
        QTest::addColumn<bool>("kept");
        QTest::newRow("same direction") << dispid::ScrollDirection << 1 << true;
        QTest::newRow("ignored direction") << dispid::ScrollDirection << 9 << true;
        QTest::newRow("3D put back unchanged") << dispid::View3D << 0 << true;
        QTest::newRow("other direction") << dispid::ScrollDirection << 3 << false;
        QTest::newRow("3D on") << dispid::View3D << 1 << false;
    }
    void aNewReadingOfTheLinesStartsAFreshPicture()
    {
        QFETCH(DispId, member);
        QFETCH(int32_t, value);
        QFETCH(bool, kept);
        WaterfallProbe waterfall(pictureSize, 1, 0);
        QCOMPARE(waterfall.addLine(lineOf(1, 200)), hr::ok);
        const QImage before = waterfall.picture();
        waterfall.dispatch().put(member, Variant(value));
        QCOMPARE(waterfall.picture() == before, kept);
    }

    void badLinesAreRefusedAndChangeNothing_data()
    {
        QTest::addColumn<std::vector<Variant>>("args");
        QTest::addColumn<HResult>("outcome");
        SafeArray lowerBoundOne = SafeArray::shorts1D({1, 2, 3}, 1);
        SafeArray understated = SafeArray::shorts1D({1, 2, 3});
        understated.bounds[0].count = 1000;
        SafeArray negativeCount = SafeArray::shorts1D({});
        negativeCount.bounds[0].count = -5;
        SafeArray doubles;
        doubles.elementType = vtR8;
        doubles.bounds = {{2, 0}};
        doubles.numbers = {1.0, 2.0};
        QTest::newRow("two-dimensional") << std::vector{Variant(SafeArray::shorts2D(4, 3, {}))} << hr::invalidArg;
        QTest::newRow("no dimensions") << std::vector{Variant(SafeArray{})} << hr::invalidArg;
        QTest::newRow("lower bound 1") << std::vector{Variant(lowerBoundOne)} << hr::invalidArg;
        QTest::newRow("count past the elements") << std::vector{Variant(understated)} << hr::invalidArg;
        QTest::newRow("negative count") << std::vector{Variant(negativeCount)} << hr::invalidArg;
        QTest::newRow("array of doubles") << std::vector{Variant(doubles)} << hr::typeMismatch;
        QTest::newRow("a single short") << std::vector{Variant(int16_t(5))} << hr::typeMismatch;
        QTest::newRow("nothing") << std::vector<Variant>{} << hr::badParamCount;
    }
    void badLinesAreRefusedAndChangeNothing()
    {
        QFETCH(std::vector<Variant>, args);
        QFETCH(HResult, outcome);
        for (int direction = 0; direction <= 5; ++direction) {
            WaterfallProbe waterfall(pictureSize, direction, 1);
            QCOMPARE(waterfall.addLine(lineOf(0, 200)), hr::ok);
            const QImage before = waterfall.picture();
            QCOMPARE(waterfall.call(dispid::AddLine, args), outcome);
            QVERIFY(waterfall.picture() == before);
        }
    }

    void resizingKeepsWhatFits_data()
    {
        QTest::addColumn<int>("direction");
        QTest::addColumn<QSize>("newSize");
        for (int d = 0; d <= 5; ++d) {
            QTest::addRow("direction %d larger", d) << d << QSize(200, 150);
            QTest::addRow("direction %d smaller", d) << d << QSize(70, 60);
        }
    }
    void resizingKeepsWhatFits()
    {
        QFETCH(int, direction);
        QFETCH(QSize, newSize);
        WaterfallProbe waterfall(pictureSize, direction, 0);
        for (int line = 0; line < 3; ++line)
            QCOMPARE(waterfall.addLine(lineOf(line, 300)), hr::ok);
        waterfall.view()->resize(newSize);
        const QImage image = waterfall.picture();
        QCOMPARE(image.size(), newSize);
        for (int line = 0; line < 3; ++line)
            for (int i = 0; i < 40; ++i)
                QCOMPARE(image.pixel(basePixel(direction, false, 0, newSize, 2 - line, i)),
                         waterfall.colourOf(levelAt(line, i)));
    }

    void cursorMovedCarriesThePointer_data()
    {
        QTest::addColumn<QPoint>("position");
        QTest::addColumn<bool>("click");
        QTest::newRow("left edge") << QPoint(0, 5) << false;  // (0, 0) would mean the centre to QTest
        QTest::newRow("inside") << QPoint(37, 12) << false;
        QTest::newRow("bottom-right corner") << QPoint(119, 89) << false;
        QTest::newRow("click") << QPoint(64, 70) << true;
    }
    void cursorMovedCarriesThePointer()
    {
        QFETCH(QPoint, position);
        QFETCH(bool, click);
        WaterfallProbe waterfall(pictureSize, 4, 1);
        waterfall.view()->show();
        QVERIFY(QTest::qWaitForWindowExposed(waterfall.view()));
        QTest::mouseMove(waterfall.view(), QPoint(60, 45));
        CursorSink sink;
        waterfall.component().connectionPoint()->advise(&sink);
        if (click)
            QTest::mouseClick(waterfall.view(), Qt::LeftButton, {}, position);
        else
            QTest::mouseMove(waterfall.view(), position);
        QVERIFY(!sink.received.empty());
        QCOMPARE(sink.received.back(), std::make_tuple(cascadra::eventid::CursorMoved, position.x(), position.y()));
    }

    // On screen the history moves with the window system's scrolling and only
    // the new line is painted: what the window shows must stay the picture,
    // also when several lines arrive between two repaints.
    void theWindowFollowsThePicture_data() { addDirections(); }
    void theWindowFollowsThePicture()
    {
        QFETCH(int, direction);
        QFETCH(bool, view3D);
        WaterfallProbe waterfall(pictureSize, direction, view3D);
        QWidget* view = waterfall.view();
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view));
        for (int burst = 0; burst < 40; ++burst) {
            for (int line = 0; line <= burst % 3; ++line)
                QCOMPARE(waterfall.addLine(lineOf((burst + line) % 4, 1 + burst * 7 % 200)), hr::ok);
            QCoreApplication::processEvents();
        }
        const QImage onScreen = view->screen()->grabWindow(view->winId()).toImage();
        QCOMPARE(onScreen.convertToFormat(QImage::Format_RGB32), waterfall.picture());
    }

    void clipboardHoldsThePicture()
    {
        WaterfallProbe waterfall(pictureSize, 0, 1);
        for (int line = 0; line < 20; ++line)
            waterfall.addLine(lineOf(line % 3, 200));
        QGuiApplication::clipboard()->clear();
        QCOMPARE(waterfall.call(dispid::ClipboardCopy, {}), hr::ok);
        QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), waterfall.picture());
    }

    void aPictureWithoutPixelsTakesLinesSafely()
    {
        WaterfallProbe waterfall(QSize(0, 0), 2, 0);
        QCOMPARE(waterfall.addLine(lineOf(0, 100)), hr::ok);
        QCOMPARE(waterfall.call(dispid::ClipboardCopy, {}), hr::fail);
        waterfall.view()->resize(1, 1);
        QCOMPARE(waterfall.addLine(lineOf(2, 100)), hr::ok);
        QCOMPARE(waterfall.picture().pixel(0, 0), waterfall.colourOf(levelAt(2, 0)));
        // The host may destroy the widget before the control.
        delete waterfall.view();
        QCOMPARE(waterfall.addLine(lineOf(0, 100)), hr::ok);
        QCOMPARE(waterfall.call(dispid::ClipboardCopy, {}), hr::ok);
    }
};

QTEST_MAIN(TestCascadra)
#include "test_cascadra.moc"
