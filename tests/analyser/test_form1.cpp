// The main window: start-up, the two run states, the layout on resize, and
// the frequency view, with a scripted device list and the real components.
#include "component_site.h"
#include "form1.h"

#include <recorded_messages.h>
#include <scripted_wavein.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <QFile>
#include <QTemporaryDir>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <automation/registry.h>

#include <algorithm>
#include <memory>

using namespace vellarin;

namespace {

// Two sound server sources: their descriptions, then their server names.
const QStringList sources{"Mic|a.mic", "Monitor of Speakers|s.monitor"};

using test_support::RecordedMessages;

// Allocation that runs out after `available` blocks.
BufferAllocator allocatorWith(int available)
{
    auto left = std::make_shared<int>(available);
    return [left](size_t bytes) -> std::unique_ptr<char[]> {
        if ((*left)-- <= 0)
            return nullptr;
        return allocateZeroed(bytes);
    };
}

struct Fixture {
    wavein::ScriptedWaveIn waveIn;
    RecordedMessages messages;
    std::unique_ptr<Form1> window;

    explicit Fixture(QStringList devices = {"Scripted microphone"}, BufferAllocator allocate = allocateZeroed)
        : waveIn(devices)
    {
        window = std::make_unique<Form1>(Form1Services{waveIn, messages, std::move(allocate)});
    }

    void show()
    {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    QWidget* control(const QString& name) const { return window->findChild<QWidget*>(name); }
};

QString captionOf(QWidget* w)
{
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return b->text();
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text();
    if (auto* g = qobject_cast<QGroupBox*>(w))
        return g->title();
    if (auto* c = qobject_cast<QComboBox*>(w))
        return c->currentText();
    return {};
}

QStringList itemsOf(QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

// Design geometry in twips, as pixels of this window's screen.
QRect twipsRect(const Form1& window, double left, double top, double width, double height)
{
    return TwipsScale::of(&window).toPixels(left, top, width, height);
}

}  // namespace

class Form1Test : public QObject {
    Q_OBJECT
private slots:
    void startUp_data()
    {
        QTest::addColumn<QStringList>("devices");
        QTest::addColumn<int>("blocksAvailable");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("sourceText");
        QTest::addColumn<bool>("poolReady");

        const QString longName = "USB Audio Device with a rather long product name";  // no cut at 31
        QTest::newRow("no device") << QStringList{} << 256 << QStringList{"No microphone detected!"} << QStringList{}
                                   << "0 (default)" << true;
        QTest::newRow("three devices") << QStringList{"Built-in Mic", longName, "Line In"} << 256 << QStringList{}
                                       << QStringList{"0 Built-in Mic", "1 " + longName, "2 Line In"}
                                       << "0 Built-in Mic" << true;
        QTest::newRow("allocation fails half-way")
            << QStringList{"Built-in Mic"} << 100
            << QStringList{"Failed to allocate memory for sound input device!"} << QStringList{"0 Built-in Mic"}
            << "0 Built-in Mic" << false;
        QTest::newRow("no device and no memory")
            << QStringList{} << 0
            << QStringList{"No microphone detected!", "Failed to allocate memory for sound input device!"}
            << QStringList{} << "0 (default)" << false;
    }

    void startUp()
    {
        QFETCH(QStringList, devices);
        QFETCH(int, blocksAvailable);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, items);
        QFETCH(QString, sourceText);
        QFETCH(bool, poolReady);

        Fixture f(devices, allocatorWith(blocksAvailable));
        const AnalyserState& s = f.window->state();
        QCOMPARE(f.messages.shown, messages);
        QCOMPARE(itemsOf(f.window->List1), items);
        QCOMPARE(f.window->List1->currentText(), sourceText);
        // Listing the devices opens none of them.
        QCOMPARE(f.waveIn.callCount(wavein::ScriptedWaveIn::Op::open), 0);

        QCOMPARE(s.BufferPoolReady, poolReady);
        QCOMPARE(f.window->Command1->isEnabled(), poolReady);
        f.window->setControlsForRunState(RunState::Stopped);
        QCOMPARE(f.window->Command1->isEnabled(), poolReady);
        const auto allocated = std::count_if(s.BufferMemory.begin(), s.BufferMemory.end(),
                                             [](const auto& block) { return block != nullptr; });
        QCOMPARE(int(allocated), std::min(blocksAvailable, 256));
        QVERIFY(!s.BufferMemory[256]);
        for (int i = 0; i < allocated; ++i)
            QVERIFY(std::all_of(s.BufferMemory[i].get(), s.BufferMemory[i].get() + 1024, [](char c) { return c == 0; }));

        // Whether or not start-up ran to its end, nothing is left half-set.
        QCOMPARE(s.FFTSize, 1024);
        QCOMPARE(s.FreqScaling, int16_t(0));
        QCOMPARE(s.LevelMin, 0);
        QCOMPARE(s.LevelMax, 32767);
        QCOMPARE(s.LevelSpan, 32767);
        QCOMPARE(s.LevelZoomed, False);
        QCOMPARE(s.Capturing, False);
        QCOMPARE(s.LastBuffer, int16_t(255));
        QCOMPARE(s.BufferBytes, int16_t(1024));
        QCOMPARE(s.BufferSamples, int16_t(512));
        QVERIFY(qAbs(s.LevelScale - 3151.528477) < 1e-6);
        QVERIFY(!f.window->Timer1->isActive());
        QCOMPARE(f.window->Timer1->interval(), 20);
    }

    // The list is read afresh whenever it drops down; the chosen source keeps
    // its place by its server name.
    void deviceListReadAgain_data()
    {
        QTest::addColumn<QStringList>("later");
        QTest::addColumn<bool>("captureFirst");  // plugged in while capturing
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("sourceText");
        const QStringList usb{"USB Mic|u.usb"};
        QTest::newRow("plugged in while capturing")
            << usb + sources << true << QStringList{"0 USB Mic", "1 Mic", "2 Monitor of Speakers"} << "2 Monitor of Speakers";
        QTest::newRow("the chosen one gone") << QStringList{"Mic|a.mic"} << true << QStringList{"0 Mic"} << "0 Mic";
        QTest::newRow("plugged in while stopped")
            << usb + sources << false << QStringList{"0 USB Mic", "1 Mic", "2 Monitor of Speakers"} << "2 Monitor of Speakers";
    }

    void deviceListReadAgain()
    {
        QFETCH(QStringList, later);
        QFETCH(bool, captureFirst);
        QFETCH(QStringList, items);
        QFETCH(QString, sourceText);
        Fixture f(sources);
        f.window->List1->setEditText("1 Monitor of Speakers");
        if (captureFirst) {
            f.window->Command1->click();
            QVERIFY(f.window->state().Capturing == True);
        }
        f.waveIn.setDevices(later);
        f.window->Command2->click();
        f.window->List1->showPopup();
        f.window->List1->hidePopup();
        QCOMPARE(itemsOf(f.window->List1), items);
        QCOMPARE(f.window->List1->currentText(), sourceText);
    }

    void chartStartsFromItsStoredSettings()
    {
        Fixture f;
        TrazelBinding& chart = f.window->chart();
        QVERIFY(chart.isAvailable());
        QVERIFY(f.window->waterfall().isAvailable());
        QVERIFY(f.window->fft().isAvailable());
        QCOMPARE(chart.ymin(0), 0);
        QVERIFY(chart.lock());
        QCOMPARE(chart.widget()->parentWidget(), f.window->Trazel1);
        QCOMPARE(f.window->waterfall().widget()->parentWidget(), f.window->Cascadra1);
    }

    void designTexts_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("toolTip");

        const struct {
            const char *control, *caption, *toolTip;
        } rows[] = {
            {"Command1", "", "Start"},
            {"Command2", "", "Stop"},
            {"Command3", "", "Copy Spectrum To Clipboard"},
            {"Command4", "", "Copy Waterfall To Clipboard"},
            {"Command5", "", "Best Dynamic Range"},
            {"Combo1", "22050", "Sample rate"},
            {"Combo2", "1024", ""},
            {"Label1", "Sample Rate:", ""},
            {"Label2", "Input Source:", ""},
            {"Label6", "FFT Size:", "FFT Size"},
            {"Label5", " ", ""},
            {"Frame1", "Spectrum", ""},
            {"Frame2", "Waterfall", ""},
            {"StandardX", "Standard Freq Scaling", "One pixel line for each frequency component"},
            {"FullFreqX", "Full-Fit Freq Scaling", "Compress or strech the spectrum to fit the chart"},
            {"LogX", "Logarithmic Freq Scaling", "Fit the chart with logarithmic scaling"},
            {"Option1", "Bottom to Top", ""},
            {"Option2", "-45 degree", ""},
            {"Option3", "45 degree", ""},
            {"Option4", "Right to Left", ""},
            {"Option5", "Top to Bottom", ""},
            {"Option6", "i Right to Left", ""},
            {"Check1", "3D", ""},
            {"Persist", "Persist", ""},
        };
        for (const auto& r : rows)
            QTest::newRow(r.control) << r.control << r.caption << r.toolTip;
    }

    void designTexts()
    {
        QFETCH(QString, control);
        QFETCH(QString, caption);
        QFETCH(QString, toolTip);
        Fixture f;
        QWidget* w = f.control(control);
        QVERIFY(w);
        QCOMPARE(captionOf(w), caption);
        QCOMPARE(w->toolTip(), toolTip);
    }

    void designStates()
    {
        Fixture f;
        Form1& w = *f.window;
        QCOMPARE(w.windowTitle(), QString("Vellarin II"));
        QCOMPARE(itemsOf(w.Combo1), QStringList({"44100", "22050", "11025", "8000"}));
        QCOMPARE(itemsOf(w.Combo2), QStringList({"1024", "2048", "4096", "8192", "16384"}));
        QVERIFY(w.Combo1->isEditable() && w.Combo2->isEditable() && w.List1->isEditable());
        QVERIFY(w.StandardX->isChecked() && !w.FullFreqX->isChecked() && !w.LogX->isChecked());
        QVERIFY(w.Option2->isChecked());
        QVERIFY(w.Check1->isChecked());
        QVERIFY(!w.Persist->isChecked());
        for (QAbstractButton* b : {w.Command1, w.Command2, w.Command3, w.Command4, w.Command5})
            QVERIFY(!b->icon().isNull());
        QCOMPARE(w.Command3->parentWidget(), w.Frame1);
        QCOMPARE(w.Command4->parentWidget(), w.Frame2);
        // The persistence bar spans the chart's opacities.
        QCOMPARE(w.HScroll2->minimum(), 0);
        QCOMPARE(w.HScroll2->maximum(), 255);
        QCOMPARE(w.HScroll2->value(), 0);
    }

    void runStates_data()
    {
        QTest::addColumn<bool>("capturing");
        QTest::addColumn<bool>("threeD");
        QTest::addColumn<QStringList>("enabled");

        const QStringList always{"Command3", "Command4", "Persist"};
        const QStringList stopped = always + QStringList{"Command1", "Combo1", "Combo2", "List1"};
        const QStringList capturing = always + QStringList{"Command2", "StandardX", "FullFreqX", "LogX", "Command5",
                                                           "Option1", "Option2", "Option3", "Option5", "Check1"};
        QTest::newRow("stopped") << false << true << stopped;
        QTest::newRow("stopped, flat") << false << false << stopped;
        QTest::newRow("capturing, 3D") << true << true << capturing;
        QTest::newRow("capturing, flat") << true << false << capturing + QStringList{"Option4", "Option6"};
    }

    void runStates()
    {
        QFETCH(bool, capturing);
        QFETCH(bool, threeD);
        QFETCH(QStringList, enabled);

        Fixture f;
        Form1& w = *f.window;
        w.Check1->setChecked(threeD);
        w.setControlsForRunState(RunState::Capturing);
        w.setControlsForRunState(capturing ? RunState::Capturing : RunState::Stopped);
        const QStringList switched{"Command1", "Command2", "Command3", "Command4", "Command5", "Combo1", "Combo2",
                                   "List1", "StandardX", "FullFreqX", "LogX", "Option1", "Option2", "Option3",
                                   "Option4", "Option5", "Option6", "Check1", "Persist"};
        for (const QString& name : switched) {
            QVERIFY2(f.control(name), qPrintable(name));
            QVERIFY2(f.control(name)->isEnabled() == enabled.contains(name), qPrintable(name));
        }
        QVERIFY(!w.HScroll2->isEnabled());  // follows Persist, not the run state
    }

    void closing_data()
    {
        QTest::addColumn<bool>("capturing");
        QTest::newRow("while stopped the device is left alone") << false;
        QTest::newRow("while capturing Stop runs first") << true;
    }

    void closing()
    {
        QFETCH(bool, capturing);
        Fixture f;
        Form1& w = *f.window;
        w.show();
        w.chart().setLock(false);
        if (capturing)
            w.setControlsForRunState(RunState::Capturing);
        f.waveIn.clearCalls();
        w.close();
        // Stop leaves the chart locked and the window stopped.
        QCOMPARE(w.chart().lock(), capturing);
        QVERIFY(!w.Command2->isEnabled());
        QVERIFY(w.Command1->isEnabled());
        QVERIFY(!w.LogX->isEnabled());
        QCOMPARE(w.state().Capturing, False);
        if (!capturing)
            QVERIFY(f.waveIn.calls().empty());
    }

    void layout_data()
    {
        QTest::addColumn<double>("outerWidth");
        QTest::addColumn<double>("outerHeight");
        QTest::addColumn<double>("extraWidth");
        QTest::addColumn<double>("extraHeight");

        QTest::newRow("smaller than the minimum") << 6000.0 << 4500.0 << 0.0 << 0.0;
        QTest::newRow("minimum") << 10740.0 << 10065.0 << 0.0 << 0.0;
        QTest::newRow("1500 wider") << 12240.0 << 10065.0 << 1500.0 << 0.0;
        QTest::newRow("1500 taller") << 10740.0 << 11565.0 << 0.0 << 1500.0;
        QTest::newRow("both") << 12240.0 << 11565.0 << 1500.0 << 1500.0;
    }

    void layout()
    {
        QFETCH(double, outerWidth);
        QFETCH(double, outerHeight);
        QFETCH(double, extraWidth);
        QFETCH(double, extraHeight);

        Fixture f;
        f.show();
        Form1& w = *f.window;
        w.setOuterSizeTwips({outerWidth, outerHeight});
        QTRY_COMPARE(w.outerSizeTwips(), QSizeF(10740 + extraWidth, 10065 + extraHeight));
        const double dw = extraWidth, dh = extraHeight;

        const struct {
            QWidget* control;
            double left, top, width, height;
        } expected[] = {
            {w.Command1, 120, 120, 495, 375},
            {w.List1, 3120, 120, 2535, 315},
            {w.Combo2, 9480, 120, 1095, 315},
            {w.Trazel1, 120, 600, 7695 + dw, 3615},
            {w.LogX, 7920 + dw, 600, 2415, 255},
            {w.FullFreqX, 7920 + dw, 840, 2415, 255},
            {w.StandardX, 7920 + dw, 1080, 2415, 255},
            {w.Frame1, 7920 + dw, 1560, 2535, 975},
            {w.Frame2, 7920 + dw, 2760, 2535, 2295},
            {w.HScroll1, 120, 4320, 7695 + dw, 135},
            {w.Label3, 120, 4680, 975, 255},
            {w.Label5, 3000 + dw / 2, 4680, 2175, 255},
            {w.Label4, 6840 + dw, 4680, 975, 255},
            {w.Cascadra1, 120, 5160, 10335 + dw, 4215 + dh},
            // Group-box children stay where they are in their box.
            {w.Command4, 2040, 1800, 375, 375},
            {w.HScroll2, 1080, 600, 1335, 135},
        };
        for (const auto& e : expected)
            QCOMPARE(e.control->geometry(), twipsRect(w, e.left, e.top, e.width, e.height));

        QCOMPARE(w.Trazel1->widthTwips(), float(7695 + dw));
        QCOMPARE(w.Cascadra1->heightTwips(), float(4215 + dh));
        // The chart fills its site, and its columns follow.
        QCOMPARE(w.chart().widget()->size(), w.Trazel1->size());
        QCOMPARE(w.chart().xmax(), w.Trazel1->width());
        // The bin maps follow the new sizes.
        QCOMPARE(int(w.state().ChartFitMap[512][0]), w.chart().xmax());
        const double waterfallPixels = (4215 + dh) / TwipsScale::of(&w).perPixelY;
        QCOMPARE(int(w.state().WaterfallLogMap[512][0]), int(std::nearbyint(waterfallPixels)));
    }

    // The frame line runs just below the group box's title; no child sits on it.
    void groupBoxChildrenBelowTheFrameLine()
    {
        Fixture f;
        f.show();
        for (const QGroupBox* box : {f.window->Frame1, f.window->Frame2}) {
            QStyleOptionGroupBox option;
            option.initFrom(box);
            option.text = box->title();
            option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
            const int frameLine =
                box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box).bottom() + 1;
            for (const QWidget* child : box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                QVERIFY2(child->geometry().top() > frameLine, qPrintable(child->objectName()));
        }
    }

    void minimizedAndRestored()
    {
        Fixture f;
        f.show();
        Form1& w = *f.window;
        const QRect designed = w.LogX->geometry();
        w.showMinimized();
        QTRY_VERIFY(w.isMinimized());
        w.LogX->move(0, 0);
        w.formResize();
        QCOMPARE(w.LogX->pos(), QPoint(0, 0));
        w.showNormal();
        QTRY_COMPARE(w.LogX->geometry(), designed);
    }

    void frequencyViewAtStartUp()
    {
        Fixture f;
        f.show();
        Form1& w = *f.window;
        const int columns = w.chart().xmax();
        QVERIFY(columns > 0);
        // N = 1024: nothing to pan, whatever the width.
        QVERIFY(!w.HScroll1->isEnabled());
        QCOMPARE(w.HScroll1->maximum(), 512);
        QCOMPARE(w.HScroll1->value(), 0);
        QCOMPARE(w.Label3->text(), QString("0.0Hz"));
        QCOMPARE(w.Label4->text(), QString::number((columns - 1) * 22050.0 / 1024, 'f', 1) + "Hz");
    }

    void switchingTheScaling()
    {
        Fixture f;
        f.show();
        Form1& w = *f.window;
        w.setControlsForRunState(RunState::Capturing);
        w.Combo1->setEditText("11025");

        w.LogX->click();
        QCOMPARE(w.state().FreqScaling, int16_t(LogScaling));
        QCOMPARE(w.Label3->text(), QString("0.0Hz"));
        QCOMPARE(w.Label4->text(), QString("5512.5Hz"));
        QVERIFY(!w.HScroll1->isEnabled());
        QCOMPARE(w.selectedScaling(), int16_t(LogScaling));

        w.FullFreqX->click();
        QCOMPARE(w.state().FreqScaling, int16_t(FullFitScaling));
        QCOMPARE(w.selectedScaling(), int16_t(FullFitScaling));

        w.StandardX->click();
        QCOMPARE(w.state().FreqScaling, int16_t(StandardScaling));
        QCOMPARE(w.Label4->text(), QString::number((w.chart().xmax() - 1) * 11025.0 / 1024, 'f', 1) + "Hz");

        // Clicking the option already chosen keeps it chosen, in both groups.
        w.StandardX->click();
        QVERIFY(w.StandardX->isChecked());
        QCOMPARE(w.selectedScaling(), int16_t(StandardScaling));
        w.Option2->click();
        QVERIFY(w.Option2->isChecked());
    }

    void panningRelabelsAndTheRateIsReadFromTheText()
    {
        Fixture f;
        f.show();
        Form1& w = *f.window;
        w.Combo1->setEditText("  44100 Hz");
        w.HScroll1->setValue(100);  // a user move; the bar is disabled only for the user
        QCOMPARE(w.Label3->text(), QString("4306.6Hz"));
        w.Combo1->setEditText("1e9999");
        w.HScroll1->setValue(101);
        QCOMPARE(w.Label3->text(), QString("0.0Hz"));
    }

    void missingComponentsLeaveAWorkingWindow()
    {
        // Every component class points at a file that is no module.
        QTemporaryDir dir;
        QFile(dir.filePath("lib.so")).open(QIODevice::WriteOnly);
        automation::ComponentRegistry registry;
        for (const sdk::ClassIdentity* k : sdk::classes::all)
            registry.registerClass({k->classId, k->progId, k->typeName, dir.filePath("lib.so")});
        Fixture f({"Built-in Mic"});
        for (const sdk::ClassIdentity* k : sdk::classes::all)
            registry.unregisterClass(k->classId);

        Form1& w = *f.window;
        QVERIFY(!w.chart().isAvailable());
        QVERIFY(!w.waterfall().isAvailable());
        QVERIFY(!w.fft().isAvailable());
        f.show();
        w.setOuterSizeTwips({12240, 11565});
        QTRY_COMPARE(w.Cascadra1->heightTwips(), float(5715));
        w.setControlsForRunState(RunState::Capturing);
        w.LogX->click();
        w.HScroll1->setValue(3);
        w.close();
        QCOMPARE(w.state().Capturing, False);
        QVERIFY(w.Trazel1->findChild<QLabel*>());
    }
};

QTEST_MAIN(Form1Test)
#include "test_form1.moc"
