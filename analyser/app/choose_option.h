#pragma once
// Sets an option through its own click handler, as the user would have set
// it, even while the stopped window greys it out.
#include <QAbstractButton>

namespace vellarin {

inline void chooseOption(QAbstractButton* button, bool checked)
{
    if (button->isChecked() == checked)
        return;
    const bool enabled = button->isEnabled();
    button->setEnabled(true);
    button->click();
    button->setEnabled(enabled);
}

}  // namespace vellarin
