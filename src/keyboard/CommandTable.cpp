#include "keyboard/CommandTable.h"

#include <algorithm>
#include <iterator>
#include <optional>

#include "keyboard/AsciiCase.h"
#include "keyboard/KeyMap.h"
#include "keyboard/PcKeys.h"

namespace tamsivane {
namespace {

constexpr CommandInfo kCommands[] = {
#define TAMSIVANE_COMMAND(name, id, menu, caption, icon) {id, menu, caption, icon},
#define TAMSIVANE_SEPARATOR(menu) {0, menu, "", ""},
#include "../../resources/Commands.inc"
#undef TAMSIVANE_COMMAND
#undef TAMSIVANE_SEPARATOR
};

std::string_view Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

std::span<const CommandInfo> CommandTable() { return kCommands; }

const CommandInfo* FindCommand(int id) {
    if (id == 0) return nullptr;
    const auto found = std::ranges::find(kCommands, id, &CommandInfo::id);
    return found != std::end(kCommands) ? &*found : nullptr;
}

std::string MenuText(std::string_view caption) {
    caption = caption.substr(0, caption.find('\t'));
    std::string text;
    for (const char c : caption) {
        if (c != '&') text += c;
    }
    return text;
}

std::string MenuPath(const CommandInfo& command) {
    return MenuText(command.menu) + ": " + MenuText(command.caption);
}

std::vector<std::string_view> CaptionShortcuts(std::string_view caption) {
    std::vector<std::string_view> shortcuts;
    const size_t tab = caption.find('\t');
    if (tab == std::string_view::npos) return shortcuts;
    std::string_view rest = caption.substr(tab + 1);
    for (;;) {
        const size_t comma = rest.find(", ");
        shortcuts.push_back(rest.substr(0, comma));
        if (comma == std::string_view::npos) return shortcuts;
        rest.remove_prefix(comma + 2);
    }
}

int ShortcutCommand(uint8_t key, uint8_t modifiers) {
    modifiers &= Modifier::kLookupMask;
    for (const CommandInfo& command : kCommands) {
        for (const std::string_view shortcut : CaptionShortcuts(command.caption)) {
            const std::optional<KeyCombination> combination = ParseKeyCombination(shortcut);
            if (combination && combination->key == key && combination->modifiers == modifiers) {
                return command.id;
            }
        }
    }
    return 0;
}

int FindMenuCommand(std::string_view path) {
    // The table has one level of pop-up menus: exactly one ":" reaches a command.
    const size_t colon = path.find(':');
    if (colon == std::string_view::npos || path.find(':', colon + 1) != std::string_view::npos) {
        return 0;
    }
    const std::string_view menu = Trim(path.substr(0, colon));
    const std::string_view caption = Trim(path.substr(colon + 1));
    for (const CommandInfo& command : kCommands) {
        if (command.id != 0 && EqualIgnoringAsciiCase(MenuText(command.menu), menu) &&
            EqualIgnoringAsciiCase(MenuText(command.caption), caption)) {
            return command.id;
        }
    }
    return 0;
}

} // namespace tamsivane
