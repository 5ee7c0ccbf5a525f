// The desktop program from its command line to its event loop: the fault
// handlers, the main window with its recent files and New Connection, the
// desktop's default handlers, the sessions the command line asks for, and the
// support options (screenshot, page dump, quitting after a time).
#pragma once

#include <QStringList>

#include <span>
#include <string>

namespace tamsivane {

// Whether a window system is reachable at all (DISPLAY, WAYLAND_DISPLAY or
// QT_QPA_PLATFORM set).
bool HaveDisplay();
// The message for a start without one, naming the headless program.
extern const char* const kNoDisplayMessage;

// Shows a fault report (written by the fault handler) in a box; returns the
// exit status.
int ShowFaultReport(const std::string& path);

// Runs the program inside an existing QApplication; arguments as Qt left
// them (its own options taken), without the program's name, then the words
// kept from Qt as they were given ("-e COMMAND [ARG...]").  Returns the exit
// status.
int RunDesktop(const QStringList& arguments, std::span<const std::string> programWords = {});

} // namespace tamsivane
