// The controls of the main window with their design-time captions, texts,
// items, tool tips and states.
#include "component_site.h"
#include "device_list.h"
#include "form1.h"
#include "form1_layout.h"
#include "picture_icons.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

namespace vellarin {

namespace {

template <class W> W* named(W* widget, const char* name, const char* toolTip = nullptr)
{
    widget->setObjectName(QLatin1String(name));
    if (toolTip)
        widget->setToolTip(QLatin1String(toolTip));
    return widget;
}

QToolButton* pictureButton(QWidget* parent, const char* name, const char* toolTip, const QIcon& icon, bool enabled)
{
    auto* button = named(new QToolButton(parent), name, toolTip);
    button->setIcon(icon);
    button->setAutoRaise(false);
    button->setEnabled(enabled);
    return button;
}

QComboBox* dropDown(QComboBox* combo, const char* name, const char* toolTip, QStringList items, const char* text)
{
    named(combo, name, toolTip);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(items);
    combo->setEditText(QLatin1String(text));
    return combo;
}

QComboBox* dropDown(QWidget* parent, const char* name, const char* toolTip, QStringList items, const char* text)
{
    return dropDown(new QComboBox(parent), name, toolTip, std::move(items), text);
}

QLabel* label(QWidget* parent, const char* name, const char* text, Qt::Alignment align, const char* toolTip = nullptr)
{
    auto* l = named(new QLabel(QLatin1String(text), parent), name, toolTip);
    l->setAlignment(align | Qt::AlignTop);
    return l;
}

QRadioButton* option(QWidget* parent, const char* name, const char* caption, const char* toolTip = nullptr)
{
    auto* button = named(new QRadioButton(QLatin1String(caption), parent), name, toolTip);
    button->setEnabled(false);
    return button;
}

// Qt's automatic exclusivity looks at every radio button below the parent,
// so the waterfall's options inside Frame2 would join the window's scaling
// options; an explicit group keeps each set to itself.
void exclusiveGroup(QWidget* owner, std::initializer_list<QRadioButton*> buttons)
{
    auto* group = new QButtonGroup(owner);
    for (QRadioButton* b : buttons)
        group->addButton(b);
}

}  // namespace

void Form1::buildControls()
{
    setWindowTitle(QString::fromLatin1(applicationTitle));
    // The layout is measured for an 8-point dialog font; larger text would
    // not fit the captions' boxes.
    QFont dialogFont = font();
    dialogFont.setPointSizeF(8);
    setFont(dialogFont);

    Command1 = pictureButton(this, "Command1", "Start", icons::start(style()), true);
    Command2 = pictureButton(this, "Command2", "Stop", icons::stop(style()), false);

    Combo1 = dropDown(this, "Combo1", "Sample rate", {"44100", "22050", "11025", "8000"}, "22050");
    Combo2 = dropDown(this, "Combo2", nullptr, fftSizeItems(), "1024");
    auto* devices = new DeviceList(this);
    devices->setBeforeOpening([this] { listDevices(false); });
    List1 = dropDown(devices, "List1", nullptr, {}, "0 (default)");

    Label1 = label(this, "Label1", "Sample Rate:", Qt::AlignRight);
    Label2 = label(this, "Label2", "Input Source:", Qt::AlignRight);
    Label6 = label(this, "Label6", "FFT Size:", Qt::AlignRight, "FFT Size");
    Label3 = label(this, "Label3", "0 Hz", Qt::AlignLeft);
    Label4 = label(this, "Label4", "11025 Hz", Qt::AlignRight);
    Label5 = label(this, "Label5", " ", Qt::AlignHCenter);

    // The three scaling options form one group on the window itself.
    LogX = option(this, "LogX", "Logarithmic Freq Scaling", "Fit the chart with logarithmic scaling");
    FullFreqX = option(this, "FullFreqX", "Full-Fit Freq Scaling", "Compress or strech the spectrum to fit the chart");
    StandardX = option(this, "StandardX", "Standard Freq Scaling", "One pixel line for each frequency component");
    StandardX->setChecked(true);
    exclusiveGroup(this, {LogX, FullFreqX, StandardX});

    Frame1 = named(new QGroupBox(QStringLiteral("Spectrum"), this), "Frame1");
    Persist = named(new QCheckBox(QStringLiteral("Persist"), Frame1), "Persist");
    HScroll2 = named(new QScrollBar(Qt::Horizontal, Frame1), "HScroll2");
    Command3 = pictureButton(Frame1, "Command3", "Copy Spectrum To Clipboard", icons::copyPicture(), true);
    Command5 = pictureButton(Frame1, "Command5", "Best Dynamic Range", icons::bestDynamicRange(), false);

    // The chart's persistence is an opacity of 0..255; 0 is its own default.
    HScroll2->setRange(0, 255);
    HScroll2->setSingleStep(1);
    HScroll2->setPageStep(16);
    HScroll2->setValue(0);
    HScroll2->setEnabled(false);

    Frame2 = named(new QGroupBox(QStringLiteral("Waterfall"), this), "Frame2");
    Option1 = option(Frame2, "Option1", "Bottom to Top");
    Option2 = option(Frame2, "Option2", "-45 degree");
    Option3 = option(Frame2, "Option3", "45 degree");
    Option4 = option(Frame2, "Option4", "Right to Left");
    Option5 = option(Frame2, "Option5", "Top to Bottom");
    Option6 = option(Frame2, "Option6", "i Right to Left");
    Option2->setChecked(true);
    exclusiveGroup(Frame2, {Option1, Option2, Option3, Option4, Option5, Option6});
    Check1 = named(new QCheckBox(QStringLiteral("3D"), Frame2), "Check1");
    Check1->setChecked(true);
    Check1->setEnabled(false);
    Command4 = pictureButton(Frame2, "Command4", "Copy Waterfall To Clipboard", icons::copyPicture(), true);

    HScroll1 = named(new QScrollBar(Qt::Horizontal, this), "HScroll1");
    HScroll1->setSingleStep(1);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(20);

    Trazel1 = new ComponentSite(QStringLiteral("Trazel1"), this);
    Cascadra1 = new ComponentSite(QStringLiteral("Cascadra1"), this);

    placeGroupBoxChildren();
}

void Form1::placeGroupBoxChildren()
{
    const TwipsScale scale = TwipsScale::of(this);
    for (const layout::Placement& p : layout::groupBoxPlacements())
        if (auto* w = findChild<QWidget*>(QLatin1String(p.control))) {
            QRect at = scale.toPixels(p.left, p.top, p.width, p.height);
            // The design's frame runs through the middle of its title; the
            // desktop's runs below it, so a child placed that high would sit
            // on the frame line: it comes down to the inside of the frame.
            if (const auto* box = qobject_cast<const QGroupBox*>(w->parentWidget()))
                at.moveTop(std::max(at.top(), box->contentsRect().top()));
            // A check box shorter than its box would show it cut off.
            if (qobject_cast<const QCheckBox*>(w))
                at.setHeight(std::max(at.height(), w->minimumSizeHint().height()));
            w->setGeometry(at);
        }
}

}  // namespace vellarin
