#include "keyboard/KeyMap.h"

#include <gtest/gtest.h>

#include <string>

namespace tamsivane {
namespace {

using Modifier::Alt;
using Modifier::CapsLock;
using Modifier::Ctrl;
using Modifier::Shift;

constexpr uint8_t kAdd = 0x6B;
constexpr uint8_t kF1 = 0x70;
constexpr uint8_t kF6 = 0x75;

void ExpectAction(const KeyMap& map, uint8_t key, uint8_t modifiers, uint8_t action,
                  const std::string& text = {}) {
    const KeyLookup found = map.LookUp(key, modifiers);
    EXPECT_EQ(found.action, action) << "key " << int(key) << " modifiers " << int(modifiers);
    EXPECT_EQ(found.text, text) << "key " << int(key) << " modifiers " << int(modifiers);
}

TEST(KeyMapTest, SetAndRemoveEntries) {
    KeyMap map;
    ASSERT_TRUE(map.SetEntry('Q', 0, KeyAction::Send, "\x1b[Q"));
    EXPECT_EQ(map.KeyTable()['Q' - 1], KeyAction::LookInEntries);
    ExpectAction(map, 'Q', 0, KeyAction::Send, "\x1b[Q");
    ExpectAction(map, 'Q', Shift, KeyAction::None);

    // Replacing keeps the entry's place; a VT key goes into the table, and its text is not given.
    const size_t place = map.Entries().size() - 1;
    ASSERT_TRUE(map.SetEntry('Q', 0, 35, "ignored"));
    EXPECT_EQ(map.Entries().size(), place + 1);
    EXPECT_EQ(map.Entries()[place].action, 35);
    EXPECT_EQ(map.KeyTable()['Q' - 1], 35);
    ExpectAction(map, 'Q', 0, 35);

    ASSERT_TRUE(map.SetEntry('Q', Alt | Ctrl, KeyAction::ExecuteScript, "term.Send(\"x\");"));
    ExpectAction(map, 'Q', Alt | Ctrl, KeyAction::ExecuteScript, "term.Send(\"x\");");
    // Codes without a meaning still hand out their text.
    ASSERT_TRUE(map.SetEntry('W', Alt, 245, "w"));
    ExpectAction(map, 'W', Alt, 245, "w");

    EXPECT_TRUE(map.RemoveEntry('Q', 0));
    EXPECT_EQ(map.KeyTable()['Q' - 1], KeyAction::None);
    ExpectAction(map, 'Q', 0, KeyAction::None);
    ExpectAction(map, 'Q', Alt | Ctrl, KeyAction::ExecuteScript, "term.Send(\"x\");");
    EXPECT_FALSE(map.RemoveEntry('Q', 0));
    // A table mapping without an entry is removed too.
    EXPECT_TRUE(map.RemoveEntry(kF6, 0));
    ExpectAction(map, kF6, 0, KeyAction::None);

    // Menu entries return only to key states left unmapped.
    map.RemoveEntry(kF1, 0);
    map.AddMenuEntries();
    ExpectAction(map, kF1, 0, KeyAction::MenuCommand, "Window: Hold Screen");
    EXPECT_EQ(map.KeyTable()[kF1 - 1], KeyAction::LookInEntries);
}

TEST(KeyMapTest, BoundsAreKept) {
    KeyMap map;
    const KeyMap before = map;
    EXPECT_FALSE(map.SetEntry(0, 0, KeyAction::Send, "x"));
    EXPECT_FALSE(
        map.SetEntry('A', 0, KeyAction::Send, std::string(KeyMap::kMaxTextLength + 1, 'x')));
    EXPECT_FALSE(map.RemoveEntry(0, 0));
    EXPECT_EQ(map, before);
    EXPECT_TRUE(map.SetEntry('A', 0, KeyAction::Send, std::string(KeyMap::kMaxTextLength, 'x')));

    // The list fills up with distinct key states, then refuses new ones but still replaces.
    for (int modifiers = 0; map.Entries().size() < KeyMap::kMaxEntries; ++modifiers) {
        for (int key = 1; key < 256 && map.Entries().size() < KeyMap::kMaxEntries; ++key) {
            map.SetEntry(static_cast<uint8_t>(key), static_cast<uint8_t>(16 + modifiers), 1, "");
        }
    }
    EXPECT_FALSE(map.SetEntry('Z', Alt | Shift, KeyAction::Send, "z"));
    EXPECT_TRUE(map.SetEntry(kAdd, Ctrl, 106, ""));

    std::vector<KeyMapEntry> tooMany(KeyMap::kMaxEntries + 1, KeyMapEntry{'A', 0, 1, ""});
    const KeyMap full = map;
    EXPECT_FALSE(map.Assign(KeyMap::Table{}, tooMany));
    EXPECT_FALSE(map.Assign(
        KeyMap::Table{}, {KeyMapEntry{'A', 0, 255, std::string(KeyMap::kMaxTextLength + 1, 'x')}}));
    EXPECT_EQ(map, full);
}

// What each template sends is in the key cases; here what they replace.
TEST(KeyMapTest, TemplatesReplaceTheWholeMap) {
    KeyMap map;
    map.SetEntry('A', Alt, KeyAction::Send, "gone");
    ASSERT_TRUE(map.ApplyTemplate(1));
    ExpectAction(map, 'A', Alt, KeyAction::None);
    ASSERT_TRUE(map.ApplyTemplate(0));
    EXPECT_EQ(map, KeyMap());
    EXPECT_FALSE(map.ApplyTemplate(5));
    EXPECT_FALSE(map.ApplyTemplate(-1));
    // Caps Lock plays no part in lookups.
    ExpectAction(map, kF1, CapsLock, 1);
    ExpectAction(map, 0x61, Ctrl | CapsLock, KeyAction::MenuCommand, "View: Scroll to Bottom");
}

} // namespace
} // namespace tamsivane
