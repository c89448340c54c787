// The window and the analysis settings: the drop-downs and the scaling
// options write the settings as the user changes them, and follow them when
// anything else (the command line, the remembered settings, an add-on)
// changes them. Each control writes only its own part, so a change made
// elsewhere comes back to the controls once and stops there.
#include "device_list.h"
#include "form1.h"

#include <QComboBox>
#include <QLabel>
#include <QRadioButton>

namespace vellarin {

namespace {

void showText(QComboBox* combo, const QString& text)
{
    if (combo->currentText() != text)
        combo->setEditText(text);
}

}  // namespace

void Form1::connectSettings()
{
    connect(Combo1, &QComboBox::editTextChanged, this,
            [this](const QString& text) { m_settings->edit([&](AnalysisSettings& s) { s.rateText = text; }); });
    connect(Combo2, &QComboBox::editTextChanged, this,
            [this](const QString& text) { m_settings->edit([&](AnalysisSettings& s) { s.fftSizeText = text; }); });
    connect(List1, &QComboBox::editTextChanged, this, [this](const QString& text) {
        m_settings->edit([&](AnalysisSettings& s) {
            s.inputEntry = text;
            s.inputKey = selectedDeviceKey(*List1);
        });
    });
    connect(m_settings, &SettingsModel::changed, this, [this](const SettingsChange& change) { settingsChanged(change); });
    // The controls' design texts are where the settings start.
    m_settings->edit([this](AnalysisSettings& s) {
        s.rateText = Combo1->currentText();
        s.fftSizeText = Combo2->currentText();
        s.inputEntry = List1->currentText();
        s.inputKey = selectedDeviceKey(*List1);
    });
}

void Form1::settingsChanged(const SettingsChange& change)
{
    const AnalysisSettings& now = change.now;
    showText(Combo1, now.rateText);
    showText(Combo2, now.fftSizeText);
    showText(List1, now.inputEntry);
    // A reading taken on the old axis no longer names what is under the pointer.
    if (change.frequencyAxis())
        Label5->setText(QStringLiteral(" "));
    if (change.before.scaling != now.scaling) {
        QRadioButton* chosen = now.scaling == LogScaling       ? LogX
                               : now.scaling == FullFitScaling ? FullFreqX
                                                               : StandardX;
        chosen->setChecked(true);
        m_state->FreqScaling = now.scaling;
        sendAxisCommand(now.scaling);
        formResize();
    } else if (change.before.noteGrid != now.noteGrid) {
        sendAxisCommand(now.scaling);
    }
}

}  // namespace vellarin
