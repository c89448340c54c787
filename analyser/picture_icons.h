#pragma once
// Pictures of the window's picture buttons.
#include <QIcon>

class QStyle;

namespace vellarin::icons {

QIcon start(const QStyle* style);
QIcon stop(const QStyle* style);
QIcon copyPicture();     // two overlapping sheets
QIcon bestDynamicRange();  // a level span between two arrows

}  // namespace vellarin::icons
