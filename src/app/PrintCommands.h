// The Print menu's commands for the active session: Print Page, Print
// Selection, Print All, Print, Printing Mode and Print Setup, enabled while
// the session prints nothing else.  Where the session prints into a PDF
// file (by its choice, or as no printer is installed) each asks for the file.
#pragma once

#include <functional>

class QWidget;

namespace tamsivane {

class CommandActions;
class CVT420Doc;
class CVT420View;

struct PrintCommandTargets {
    std::function<CVT420Doc*()> document; // the active session, or nullptr
    std::function<CVT420View*()> view;    // its active view, or nullptr
    QWidget* dialogParent = nullptr;
};

void InstallPrintCommands(CommandActions& commands, PrintCommandTargets targets);

} // namespace tamsivane
