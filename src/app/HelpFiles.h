// Where the installed user guide is: "help/index.htm" in the shared data
// folder or beside the program.
#pragma once

#include <QString>

namespace tamsivane {

// The profile section of the help address ("HelpURL").
inline constexpr const char* kHelpSection = "Settings";

// The guide's path, or "" when it is not installed.
QString HelpIndexPath();

} // namespace tamsivane
