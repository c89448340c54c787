#pragma once
// The menu's section for how readings are shown: the level unit ("dB
// (design)", "dBFS", and "dB SPL" while the input has a calibration) and the
// octave grid of C notes on the logarithmic axis. Each choice goes into the
// settings, which keep it; the window is handed the unit chosen for its
// cross-hair reading, and the other readers are told when it changes.
#include "analysis_settings.h"
#include "level_unit.h"

#include <QObject>

#include <functional>
#include <vector>

class QAction;
class QMenu;

namespace vellarin {

class Form1;

class ReadingMenu final : public QObject {
public:
    // Adds its items to `menu`.
    ReadingMenu(Form1& window, QMenu& menu, QObject* parent);
    ~ReadingMenu() override;

    const ChosenLevelUnit& levelUnit() const { return m_unit; }
    void setLevelUnit(LevelUnitChoice unit);
    bool noteGrid() const;
    void setNoteGrid(bool on);

    // Called after the unit levels are read in has changed.
    void onUnitChanged(std::function<void()> listener) { m_listeners.push_back(std::move(listener)); }

private:
    void follow(const SettingsChange& change);
    void refreshChecks();

    Form1& m_window;
    ChosenLevelUnit m_unit;
    std::vector<std::pair<LevelUnitChoice, QAction*>> m_unitActions;
    QAction* m_noteGridAction = nullptr;
    std::vector<std::function<void()>> m_listeners;
};

}  // namespace vellarin
