// The tool bar and the program's pictures: each command's icon from the
// desktop's icon theme (freedesktop names), else a picture drawn here; the
// program's own icon, from the installed theme or drawn likewise.
#pragma once

#include <QIcon>
#include <QToolBar>

#include "app/CommandActions.h"

namespace tamsivane {

// The icon for a command of the table (its theme name, else a drawn one).
QIcon CommandIcon(int id);
// Adds the tool bar's commands with their icons and tool tips.
void FillToolBar(QToolBar& bar, CommandActions& commands);
// The program's icon ("tamsivane" in the icon theme, else drawn).
QIcon ProgramIcon();

} // namespace tamsivane
