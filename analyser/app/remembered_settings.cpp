#include "remembered_settings.h"

#include "device_list.h"
#include "form1.h"
#include "choose_option.h"
#include "launch_options.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QScrollBar>
#include <QSettings>

#include <array>

namespace vellarin {

namespace {

// In the order of the waterfall's direction numbers, from 1.
std::array<QRadioButton*, 6> directionOptions(const Form1& w)
{
    return {w.Option1, w.Option2, w.Option3, w.Option4, w.Option5, w.Option6};
}

}  // namespace

void restoreSettings(Form1& w, const QSettings& s)
{
    if (s.contains("geometry"))
        w.restoreGeometry(s.value("geometry").toByteArray());
    if (const QString device = entryForKey(*w.List1, s.value("device").toString()); !device.isEmpty())
        w.List1->setEditText(device);
    w.settings().edit([&s](AnalysisSettings& a) {
        if (s.contains("rate"))
            a.rateText = s.value("rate").toString();
        if (s.contains("fftSize"))
            a.fftSizeText = s.value("fftSize").toString();
        if (s.contains("scaling")) {
            const int scaling = s.value("scaling").toInt();
            a.scaling = scaling == LogScaling || scaling == FullFitScaling ? int16_t(scaling) : int16_t(StandardScaling);
        }
        // An unknown unit reads as the design's; "spl" is kept for when the
        // input is calibrated again.
        if (s.contains("levelUnit"))
            a.levelUnit = s.value("levelUnit").toString();
        if (s.contains("noteGrid"))
            a.noteGrid = s.value("noteGrid").toBool();
    });
    if (s.contains("direction")) {
        const auto options = directionOptions(w);
        const int direction = s.value("direction").toInt();
        if (direction >= 1 && direction <= int(options.size())) {
            // The horizontal directions are chosen in the flat view.
            chooseOption(w.Check1, false);
            chooseOption(options[direction - 1], true);
        }
    }
    if (s.contains("view3D"))
        chooseOption(w.Check1, s.value("view3D").toBool());
    if (s.contains("opacity"))
        w.HScroll2->setValue(s.value("opacity").toInt());
    if (s.contains("persist"))
        chooseOption(w.Persist, s.value("persist").toBool());
}

void rememberSettings(const Form1& w, QSettings& s)
{
    s.setValue("geometry", w.saveGeometry());
    // The server's name for a source, else the device's name, never the
    // number: the list may be in another order next time.
    s.setValue("device", selectedDeviceKey(*w.List1));
    const AnalysisSettings& a = w.settings().value();
    s.setValue("rate", a.rateText);
    s.setValue("fftSize", a.fftSizeText);
    s.setValue("scaling", a.scaling);
    s.setValue("levelUnit", a.levelUnit);
    s.setValue("noteGrid", a.noteGrid);
    const auto options = directionOptions(w);
    for (size_t i = 0; i < options.size(); ++i)
        if (options[i]->isChecked())
            s.setValue("direction", int(i) + 1);
    s.setValue("view3D", w.Check1->isChecked());
    s.setValue("persist", w.Persist->isChecked());
    s.setValue("opacity", w.HScroll2->value());
    s.sync();
}

SettingsKeeper::SettingsKeeper(Form1& window, QSettings& settings, bool useRemembered)
    : m_window(window), m_settings(settings), m_use(useRemembered)
{
    if (m_use)
        restoreSettings(m_window, m_settings);
}

// The settings that still hold what the command line gave.
QStringList SettingsKeeper::heldKeys() const
{
    const Form1& w = m_window;
    const LaunchOptions& g = m_given;
    const bool held[] = {
        !g.device.isEmpty() && w.List1->currentText() == deviceEntry(w, g.device),
        g.rate && w.settings().value().rateText == QString::number(*g.rate),
        g.fftSize && w.settings().value().fftSizeText == QString::number(*g.fftSize),
        g.scaling && w.settings().value().scaling == *g.scaling,
    };
    const char* const keys[] = {"device", "rate", "fftSize", "scaling"};
    QStringList found;
    for (size_t i = 0; i < std::size(keys); ++i)
        if (held[i])
            found << QString::fromLatin1(keys[i]);
    return found;
}

SettingsKeeper::~SettingsKeeper()
{
    if (!m_use)
        return;
    const QStringList held = heldKeys();
    QVariantMap before;
    for (const QString& key : held)
        if (m_settings.contains(key))
            before.insert(key, m_settings.value(key));
    rememberSettings(m_window, m_settings);
    for (const QString& key : held) {
        if (before.contains(key))
            m_settings.setValue(key, before.value(key));
        else
            m_settings.remove(key);
    }
    m_settings.sync();
}

}  // namespace vellarin
