#include <gtest/gtest.h>

#include "keyboard/KeyMapping.h"

namespace tamsivane {
namespace {

TEST(KeyMappingTest, StateByWhereTheKeyIsMapped) {
    KeyMap keys;
    EXPECT_EQ(MappingState(keys, 0x41), KeyMappingState::None);  // "A"
    EXPECT_EQ(MappingState(keys, 0x7B), KeyMappingState::Plain); // F12: the table only
    EXPECT_EQ(MappingState(keys, 0x70), KeyMappingState::Both);  // F1 and Shift+F1
    EXPECT_EQ(MappingState(keys, 0x22), KeyMappingState::Both);  // Page Down, Ctrl+Page Down
    ASSERT_TRUE(keys.SetEntry(0x41, Modifier::Ctrl, KeyAction::Send, "x"));
    EXPECT_EQ(MappingState(keys, 0x41), KeyMappingState::WithModifiers);
    // A text mapping without modifiers lives in the entry list.
    ASSERT_TRUE(keys.SetEntry(0x41, 0, KeyAction::ExecuteScript, "sys.Beep();"));
    EXPECT_EQ(MappingState(keys, 0x41), KeyMappingState::Both);
    keys.RemoveEntry(0x41, Modifier::Ctrl);
    EXPECT_EQ(MappingState(keys, 0x41), KeyMappingState::Plain);
    EXPECT_EQ(MappingState(keys, 0), KeyMappingState::None);
}

TEST(KeyMappingTest, KindsAndActionsRoundTrip) {
    EXPECT_EQ(KindOfAction(0), MappingKind::None);
    EXPECT_EQ(KindOfAction(108), MappingKind::VtKey);
    EXPECT_EQ(KindOfAction(150), MappingKind::None); // no meaning
    EXPECT_EQ(KindOfAction(245), MappingKind::Sequence);
    for (const MappingKind kind : {MappingKind::Sequence, MappingKind::MenuItem,
                                   MappingKind::ScriptText, MappingKind::ScriptFile}) {
        EXPECT_EQ(KindOfAction(ActionOfKind(kind)), kind);
    }
    EXPECT_EQ(ActionOfKind(MappingKind::VtKey, 72), 72);
    EXPECT_EQ(ActionOfKind(MappingKind::None), 0);
}

} // namespace
} // namespace tamsivane
