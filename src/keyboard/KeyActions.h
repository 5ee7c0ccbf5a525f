// What a key press asks of the desktop besides bytes for the host, which the
// session sends itself.  The terminal view supplies it; the calls come on
// the GUI thread without the session lock held.
#pragma once

#include <string_view>

namespace tamsivane {

class KeyActions {
public:
    virtual ~KeyActions() = default;

    // A command for the session's own window (Hold Screen, Print Page).
    virtual void PostToSessionWindow(int command) = 0;
    // A command for the main window (Settings, and menu commands of the key map).
    virtual void PostToMainWindow(int command) = 0;
    // The key map's scripts: a script text, or the path of a script file.
    virtual void RunScript(std::string_view text) = 0;
    virtual void RunScriptFile(std::string_view path) = 0;
    // The typed character landed eight columns before the right margin.
    virtual void MarginBell() = 0;
    // Num Lock switched the keypad between numeric and application mode.
    virtual void KeypadModeChanged(bool numeric) = 0;
};

} // namespace tamsivane
