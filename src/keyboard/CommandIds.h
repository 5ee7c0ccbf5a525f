// Named ids of the menu and tool-bar commands (Command::Copy, ...), from the
// command table in resources/Commands.inc, and of the commands outside the
// menus.
#pragma once

namespace tamsivane::Command {

#define TAMSIVANE_COMMAND(name, id, menu, caption, icon) inline constexpr int name = id;
#define TAMSIVANE_SEPARATOR(menu)
#include "../../resources/Commands.inc"
#undef TAMSIVANE_COMMAND
#undef TAMSIVANE_SEPARATOR

// The tool bar's reset button ("Reset terminal to initial status"); does what
// Reset Terminal does.
inline constexpr int ResetTerminalButton = 32776;
// The button bar: the eight shown buttons, the page steps and the chat line's
// send.
inline constexpr int FirstButton = 1174;
inline constexpr int LastButton = 1181;
inline constexpr int ButtonPageDown = 1213;
inline constexpr int ButtonPageUp = 1214;
inline constexpr int ChatLineSend = 1215;
// F10 with "F10 Opens the Menu Bar" on: the menu bar takes the keyboard.
inline constexpr int OpenMenuBar = 1216;

} // namespace tamsivane::Command
