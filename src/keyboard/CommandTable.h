// The menu commands as one table: what the desktop builds its menus and tool
// bar from, and what menu paths ("View: Scroll Page Down") of the key map and
// of scripts resolve against.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tamsivane {

struct CommandInfo {
    int id;              // 0 for a separator
    const char* menu;    // the pop-up menu's caption, with its "&"
    const char* caption; // "&" marks the mnemonic; a tab starts the accelerator text
    const char* icon;    // theme icon name, empty when the command has no picture
};

// Every row in menu order, separators included; pop-up menus appear in the
// order of their first rows.
std::span<const CommandInfo> CommandTable();

// The row of a command id; nullptr for 0 or an id not in the table.
const CommandInfo* FindCommand(int id);

// A caption as menu paths name it: without "&" and without the text from a
// tab on ("Scroll Page &Up\tCTRL-PgUp" gives "Scroll Page Up").
std::string MenuText(std::string_view caption);
// The path naming a command: "View: Scroll Page Up".
std::string MenuPath(const CommandInfo& command);

// A menu path ("pop-up: command") to its command id: each part, trimmed of
// blanks, is compared case-insensitively with the menu texts; the first match
// counts.  0 when any part is not found.
int FindMenuCommand(std::string_view path);

// The accelerator text of a caption, split at ", ": the key combinations
// that run the command ("Ctrl+Shift+V, Shift+Insert").
std::vector<std::string_view> CaptionShortcuts(std::string_view caption);
// The command whose caption lists the PC key with that modifier state among
// its shortcuts, or 0.
int ShortcutCommand(uint8_t key, uint8_t modifiers);

} // namespace tamsivane
