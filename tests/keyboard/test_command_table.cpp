#include "keyboard/CommandIds.h"
#include "keyboard/CommandTable.h"
#include "keyboard/KeyMap.h"
#include "keyboard/PcKeys.h"

#include <gtest/gtest.h>

#include <set>
#include <optional>
#include <string>
#include <vector>

namespace tamsivane {
namespace {

TEST(CommandTableTest, KeyMapMenuEntriesResolve) {
    const KeyMap map;
    int menuEntries = 0;
    for (const KeyMapEntry& entry : map.Entries()) {
        if (entry.action != KeyAction::MenuCommand) continue;
        ++menuEntries;
        EXPECT_NE(FindMenuCommand(entry.text), 0) << entry.text;
    }
    EXPECT_GT(menuEntries, 0);
}

TEST(CommandTableTest, PathsCompareLooselyButWhole) {
    EXPECT_EQ(FindMenuCommand("  view :scroll PAGE up  "), 103);
    // Paths name menus by their texts, not by their captions.
    EXPECT_EQ(FindMenuCommand("&View: Scroll Page &Up"), 0);
    EXPECT_EQ(FindMenuCommand("Print: Print Setup"), 57606);
    // The accelerator text is not part of the name; nor is a partial caption.
    EXPECT_EQ(FindMenuCommand("View: Scroll Page Up\tCtrl+Page Up"), 0);
    EXPECT_EQ(FindMenuCommand("View: Scroll Page"), 0);
    EXPECT_EQ(FindMenuCommand("Edit: Scroll Page Up"), 0);
    EXPECT_EQ(FindMenuCommand("Scroll Page Up"), 0);
    EXPECT_EQ(FindMenuCommand("View: Scroll Page Up: More"), 0);
    EXPECT_EQ(FindMenuCommand("View:"), 0);
    EXPECT_EQ(FindMenuCommand(""), 0);
}

TEST(CommandTableTest, RowsAreWellFormed) {
    const std::set<std::string> menus = {"&Connection", "&Edit",  "&View",
                                         "&Window",     "&Print", "&Help"};
    std::set<int> ids;
    std::set<std::string> paths;
    for (const CommandInfo& command : CommandTable()) {
        EXPECT_TRUE(menus.contains(command.menu)) << command.menu;
        if (command.id == 0) continue;
        EXPECT_TRUE(ids.insert(command.id).second) << command.id;
        const std::string path = MenuPath(command);
        EXPECT_TRUE(paths.insert(path).second) << path;
        EXPECT_EQ(FindMenuCommand(path), command.id) << path;
        EXPECT_EQ(FindCommand(command.id), &command);
        // Every shortcut names a key combination, runs this command alone,
        // and leaves Ctrl with a letter to the host.
        for (const std::string_view shortcut : CaptionShortcuts(command.caption)) {
            const std::optional<KeyCombination> key = ParseKeyCombination(shortcut);
            ASSERT_TRUE(key) << shortcut;
            EXPECT_EQ(ShortcutCommand(key->key, key->modifiers), command.id) << shortcut;
            EXPECT_FALSE(key->modifiers == Modifier::Ctrl && key->key >= 'A' && key->key <= 'Z')
                << shortcut;
        }
    }
    EXPECT_EQ(CaptionShortcuts("&Paste\tCtrl+Shift+V, Shift+Insert"),
              (std::vector<std::string_view>{"Ctrl+Shift+V", "Shift+Insert"}));
    EXPECT_EQ(FindCommand(0), nullptr);
    EXPECT_EQ(FindCommand(Command::ResetTerminalButton), nullptr);
    EXPECT_EQ(MenuText("Scroll Page &Up\tCtrl+Page Up"), "Scroll Page Up");
}

} // namespace
} // namespace tamsivane
