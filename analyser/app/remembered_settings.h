#pragma once
// The window as the user left it: device, rate, FFT size, scaling, the
// level unit and the note grid, the waterfall's direction and 3D view, Persist and its opacity, and the
// window's place and size. With nothing remembered the window stays exactly
// as it opens by design; a remembered device that has gone is passed over.
#include "launch_options.h"

class QSettings;

namespace vellarin {

class Form1;

void restoreSettings(Form1& window, const QSettings& settings);
void rememberSettings(const Form1& window, QSettings& settings);

// Restores on construction and remembers on destruction, or neither when
// told to leave the remembered settings alone.
class SettingsKeeper {
public:
    SettingsKeeper(Form1& window, QSettings& settings, bool useRemembered);
    ~SettingsKeeper();
    SettingsKeeper(const SettingsKeeper&) = delete;
    SettingsKeeper& operator=(const SettingsKeeper&) = delete;

    // What the command line gave is for this run: what was remembered before
    // stays, unless the user changes the setting in the window.
    void holdForThisRun(const LaunchOptions& given) { m_given = given; }

private:
    QStringList heldKeys() const;

    Form1& m_window;
    QSettings& m_settings;
    bool m_use;
    LaunchOptions m_given;
};

}  // namespace vellarin
