#include "help_windows.h"

#include <automation/host.h>
#include <automation/registry.h>
#include <interfaces/class_ids.h>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QVBoxLayout>

namespace vellarin {

namespace {

constexpr KeyHelp keys[] = {
    {"F5", "Start or stop capturing"},
    {"Ctrl+W", "Next window function: Rectangular, Hann, Blackman-Harris, Flat-Top"},
    {"Ctrl+T", "Next averaging: Off, Fast (125 ms), Slow (1 s)"},
    {"Ctrl+L", "Frequency and dB scales on or off"},
    {"Ctrl+N", "Peak readout (frequency, level, note) on or off"},
    {"Ctrl+P", "Peak hold on or off"},
    {"Ctrl+S", "Save the window as a picture"},
    {"Ctrl+Shift+E", "Export the spectrum as CSV"},
    {"F1", "This list"},
    {"Right-click the frequency labels", "The menu of pictures, exports, analysis and help"},
    {"Chart, capturing: drag up or down", "Move the level range"},
    {"Chart, capturing: wheel", "Zoom the level range in or out"},
    {"Chart, capturing: double-click, right double-click", "Zoom the level range out, in"},
    {"Chart, capturing: Shift+double-click", "The full level range again"},
    {"Chart: hold the right button", "Cross-hair: frequency and level under it"},
    {"Chart, stopped: hold the left button", "Cross-hair: frequency and level under it"},
    {"Waterfall: point", "The frequency under the pointer"},
};

const struct {
    const char* role;
    const sdk::ClassIdentity* identity;
} components[] = {
    {"Chart", &sdk::classes::trazelChart},
    {"Waterfall", &sdk::classes::cascadra},
    {"FFT", &sdk::classes::fourel},
};

QString programVersion()
{
    const QString version = QApplication::applicationVersion();
    return version.isEmpty() ? QStringLiteral(VELLARIN_VERSION) : version;
}

}  // namespace

std::span<const KeyHelp> keyHelp() { return keys; }

QString componentVersion(const QString& moduleName, const QUuid& classId)
{
    // The module the window's components come from: the registered one, else the one beside the program.
    const auto registered = automation::registeredClasses(classId);
    const QString path =
        registered.empty() ? automation::modulePathForName(moduleName) : registered.front().modulePath;
    automation::HResult result = automation::hr::ok;
    const automation::ModuleVersion* version = automation::moduleVersion(path, result);
    if (!version)
        return automation::failed(result) ? QStringLiteral("not found") : QStringLiteral("no version given");
    return QString::fromLatin1(version->file).remove(u' ').replace(u',', u'.');
}

QString aboutText()
{
    QString text = QStringLiteral("<h3>Vellarin II %1</h3>"
                                  "<p>A real-time audio spectrum analyser.</p>"
                                  "<p>Licence: GNU General Public License, version 3 or later.<br>"
                                  "It comes with no warranty.</p><p>Components:<br>")
                       .arg(programVersion().toHtmlEscaped());
    for (const auto& c : components)
        text += QStringLiteral("%1: %2 (%3) %4<br>")
                    .arg(QLatin1String(c.role), QLatin1String(c.identity->progId), QLatin1String(c.identity->module),
                         componentVersion(QLatin1String(c.identity->module), c.identity->classId).toHtmlEscaped());
    return text + QStringLiteral("</p>");
}

HelpWindows::HelpWindows(QWidget* parent) : QObject(parent), m_parent(parent) {}

QDialog* HelpWindows::showAbout()
{
    return show(m_about, QStringLiteral("About Vellarin"), aboutText());
}

QDialog* HelpWindows::showKeys()
{
    QString text = QStringLiteral("<table cellspacing=\"4\">");
    for (const KeyHelp& k : keys)
        text += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>")
                    .arg(QString::fromLatin1(k.keys).toHtmlEscaped(), QString::fromLatin1(k.does).toHtmlEscaped());
    return show(m_keys, QStringLiteral("Keys and Mouse"), text + QStringLiteral("</table>"));
}

QDialog* HelpWindows::show(QPointer<QDialog>& window, const QString& title, const QString& text)
{
    if (!window) {
        window = new QDialog(m_parent);
        window->setWindowTitle(title);
        auto* layout = new QVBoxLayout(window);
        auto* label = new QLabel(text, window);
        label->setObjectName(QStringLiteral("HelpText"));
        label->setTextFormat(Qt::RichText);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(label);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, window);
        connect(buttons, &QDialogButtonBox::rejected, window, &QDialog::close);
        layout->addWidget(buttons);
    }
    // Not modal: the analyser goes on drawing while it is open.
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

}  // namespace vellarin
