// The tool bar: its commands in their fixed order, each with the desktop
// theme's icon or a built-in picture when the theme has none.
#pragma once

#include <QIcon>
#include <QToolBar>

#include "app/CommandActions.h"

namespace tamsivane {

// The icon for a command of the table (its theme name, else a built-in one).
QIcon CommandIcon(int id);
// Adds the tool bar's commands with their icons and tool tips.
void FillToolBar(QToolBar& bar, CommandActions& commands);

} // namespace tamsivane
