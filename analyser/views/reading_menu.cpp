#include "reading_menu.h"

#include "form1.h"

#include <QActionGroup>
#include <QMenu>

namespace vellarin {

ReadingMenu::ReadingMenu(Form1& window, QMenu& menu, QObject* parent) : QObject(parent), m_window(window)
{
    m_unit.follow(window.settings().value());
    window.setLevelNotation(&m_unit);

    QMenu* units = menu.addMenu(QStringLiteral("Level Unit"));
    auto* group = new QActionGroup(units);
    const std::pair<LevelUnitChoice, const char*> choices[] = {
        {LevelUnitChoice::design, "dB (design)"},
        {LevelUnitChoice::fullScale, "dBFS"},
        {LevelUnitChoice::soundPressure, "dB SPL"},
    };
    for (const auto& [unit, name] : choices) {
        QAction* action = units->addAction(QLatin1String(name));
        action->setCheckable(true);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, unit = unit] { setLevelUnit(unit); });
        m_unitActions.emplace_back(unit, action);
    }
    m_noteGridAction = menu.addAction(QStringLiteral("Note Grid"));
    m_noteGridAction->setCheckable(true);
    connect(m_noteGridAction, &QAction::triggered, this, [this](bool on) { setNoteGrid(on); });

    connect(&window.settings(), &SettingsModel::changed, this, [this](const SettingsChange& change) { follow(change); });
    refreshChecks();
}

ReadingMenu::~ReadingMenu()
{
    if (m_window.levelNotation() == &m_unit)
        m_window.setLevelNotation(nullptr);
}

void ReadingMenu::setLevelUnit(LevelUnitChoice unit)
{
    m_window.settings().edit([unit](AnalysisSettings& s) { s.levelUnit = levelUnitKey(unit); });
}

bool ReadingMenu::noteGrid() const { return m_window.settings().value().noteGrid; }

void ReadingMenu::setNoteGrid(bool on)
{
    m_window.settings().edit([on](AnalysisSettings& s) { s.noteGrid = on; });
}

void ReadingMenu::follow(const SettingsChange& change)
{
    const LevelUnitChoice was = m_unit.choice();
    const bool offsetMoved = change.before.splOffset != change.now.splOffset;
    m_unit.follow(change.now);
    if (m_unit.choice() != was || (offsetMoved && m_unit.choice() == LevelUnitChoice::soundPressure))
        for (const auto& listener : m_listeners)
            listener();
    refreshChecks();
}

void ReadingMenu::refreshChecks()
{
    const bool calibrated = m_window.settings().value().splOffset.has_value();
    for (const auto& [unit, action] : m_unitActions) {
        action->setChecked(unit == m_unit.choice());
        // dB SPL means something only while the input has a calibration.
        if (unit == LevelUnitChoice::soundPressure)
            action->setVisible(calibrated);
    }
    m_noteGridAction->setChecked(noteGrid());
}

}  // namespace vellarin
