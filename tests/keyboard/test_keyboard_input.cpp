#include "keyboard/KeyMap.h"
#include "keyboard/KeyboardInput.h"
#include "keyboard/PcKeys.h"

#include <gtest/gtest.h>

#include <string>

namespace tamsivane {
namespace {

using Kind = KeyOutcome::Kind;

TEST(PcKeys, NormalisationTellsKeypadFromDedicatedKeys) {
    struct Case {
        int virtualKey;
        uint8_t keypad;    // extended flag clear
        uint8_t dedicated; // extended flag set
    };
    const Case cases[] = {
        {0x2D, 0x60, 0x2D}, {0x23, 0x61, 0x23}, {0x28, 0x62, 0x28}, {0x22, 0x63, 0x22},
        {0x25, 0x64, 0x25}, {0x0C, 0x65, 0x65}, {0x27, 0x66, 0x27}, {0x24, 0x67, 0x24},
        {0x26, 0x68, 0x26}, {0x21, 0x69, 0x21}, {0x2E, 0x6E, 0x2E}, {0x0D, 0x0D, 0x2B},
        {0x11, 0x11, 0xA3}, {0x12, 0x12, 0xA5}, {0x10, 0x10, 0xA1},
        // Keypad codes that arrive as such (Num Lock on) and other keys.
        {0x67, 0x67, 0x24}, {0x6E, 0x6E, 0x2E}, {0x65, 0x65, 0x65}, {0x41, 0x41, 0x41},
        {0x08, 0x08, 0x08}, {0x09, 0x09, 0x09}, {0x1B, 0x1B, 0x1B}, {0x20, 0x20, 0x20},
        {0x14, 0x14, 0x14}, {0x90, 0x90, 0x90},
        // Ignored: unlisted codes below 48, codes beyond a byte.
        {0x2C, 0, 0}, {0x2B, 0, 0}, {0x05, 0, 0}, {0, 0, 0}, {256, 0, 0}, {-1, 0, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(NormalizeKey(c.virtualKey, false), c.keypad) << c.virtualKey;
        EXPECT_EQ(NormalizeKey(c.virtualKey, true), c.dedicated) << c.virtualKey;
    }
}

TEST(PcKeys, ModifierKeysDoNotModifyThemselves) {
    EXPECT_EQ(ModifierState(0x41, true, true, true, true), 15);
    EXPECT_EQ(ModifierState(PcKey::Ctrl, true, true, true, false), Modifier::Alt | Modifier::Shift);
    EXPECT_EQ(ModifierState(PcKey::RightAlt, true, true, false, false), Modifier::Ctrl);
    EXPECT_EQ(ModifierState(PcKey::RightShift, false, false, true, true), Modifier::CapsLock);
}

TEST(PcKeys, KeyCombinationsByLayoutName) {
    const auto parsed = [](std::string_view text) {
        const auto key = ParseKeyCombination(text);
        return key ? std::to_string(key->key) + "/" + std::to_string(key->modifiers) : "none";
    };
    EXPECT_EQ(parsed("Up"), "38/0");
    EXPECT_EQ(parsed("shift+ctrl+page down"), "34/6");
    EXPECT_EQ(parsed("Alt+Numpad 5"), "101/1");
    EXPECT_EQ(parsed("Ctrl+Right Ctrl"), "163/0");
    EXPECT_EQ(parsed("Shift+-"), "189/4");
    EXPECT_EQ(parsed("Print Screen/SysRq"), "44/0");
    EXPECT_EQ(parsed("Shift+"), "none");
    EXPECT_EQ(parsed("Hyper+A"), "none");
    EXPECT_EQ(parsed("PageDown"), "none");
    EXPECT_EQ(BuiltInLayoutKeys().size(), 101u);
    EXPECT_STREQ(PcKeyName(0x2B), "Numpad Enter");
    EXPECT_EQ(PcKeyName(0x2A), nullptr);
}

TEST(KeyboardInput, CapsLockTurnsLettersOnly) {
    KeyMap map;
    ASSERT_TRUE(map.SetEntry(0x70, 0, 35, {}));               // F1 -> "A"
    ASSERT_TRUE(map.SetEntry(0x70, Modifier::Shift, 35, {})); // Shift+F1 -> "A"
    ASSERT_TRUE(map.SetEntry(0x71, 0, 22, {}));               // F2 -> "1"
    const KeyboardModes modes;
    const KeyboardInput input(map, modes);
    const uint8_t caps = Modifier::CapsLock;
    EXPECT_EQ(input.KeyDown(0x70, caps).text, "A");
    EXPECT_EQ(input.KeyDown(0x70, caps | Modifier::Shift).text, "a");
    EXPECT_EQ(input.KeyDown(0x71, caps).text, "1");
    EXPECT_EQ(TypedCharacter('Q', caps), 'Q');
    EXPECT_EQ(TypedCharacter('Q', caps | Modifier::Shift), 'q');
    EXPECT_EQ(TypedCharacter('4', caps), '4');
    EXPECT_EQ(TypedCharacter('Q', caps | Modifier::Ctrl), 0x11);
}

TEST(KeyboardInput, MarginBellRingsForOnePrintableByteAtItsColumn) {
    KeyMap map;
    ASSERT_TRUE(map.SetEntry(0x70, 0, 35, {}));
    ASSERT_TRUE(map.SetEntry(0x71, 0, KeyAction::Send, "ab"));
    const auto rings = [&](uint8_t key, int column, bool enabled) {
        KeyboardModes modes;
        modes.marginBell = enabled;
        modes.rightMargin = 79;
        modes.cursorColumn = column;
        return KeyboardInput(map, modes).KeyDown(key, 0).marginBell;
    };
    EXPECT_TRUE(rings(0x70, 72, true));
    EXPECT_FALSE(rings(0x71, 72, true)); // two bytes
    EXPECT_FALSE(rings(0x0D, 72, true)); // CR LF
    EXPECT_FALSE(rings(0x70, 73, true));
    EXPECT_FALSE(rings(0x70, 72, false));
    KeyboardModes modes;
    modes.marginBell = true;
    modes.cursorColumn = 72;
    EXPECT_TRUE(RingsMarginBell("x", modes));
    EXPECT_FALSE(RingsMarginBell("\t", modes));
}

TEST(KeyboardInput, NumLockFollowsThePlatformWhenKnown) {
    const KeyMap map;
    KeyboardModes modes;
    modes.numLockSwitchesKeypad = true;
    const KeyboardInput input(map, modes);
    EXPECT_EQ(input.KeyDown(PcKey::NumLock, 0, true).numericKeypad, true);
    EXPECT_EQ(input.KeyDown(PcKey::NumLock, 0, false).numericKeypad, false);
    EXPECT_EQ(input.KeyDown(PcKey::NumLock, 0).numericKeypad, false); // flips numeric mode
    EXPECT_EQ(input.KeyDown(PcKey::NumLock, 0).kind, Kind::KeypadMode);
    EXPECT_EQ(input.KeyDown(PcKey::NumLock, Modifier::CapsLock).kind, Kind::KeypadMode);
    EXPECT_EQ(input.KeyDown(PcKey::NumLock, Modifier::Ctrl).kind, Kind::Unmapped);
}

TEST(KeyboardInput, VtKeysOutsideTheRangeSendNothing) {
    const KeyMap map;
    const KeyboardModes modes;
    const KeyboardInput input(map, modes);
    for (const int key : {-1, 0, 73, 80, 109, 255}) {
        EXPECT_EQ(input.PressVtKey(key, 0).kind, Kind::Nothing) << key;
    }
    EXPECT_EQ(input.KeyDown(0, 0).kind, Kind::Nothing);
    EXPECT_STREQ(VtKeyName(16), "Do");
    EXPECT_STREQ(VtKeyName(106), "Numpad ,");
    EXPECT_EQ(VtKeyName(109), nullptr);
}

TEST(KeyboardInput, ControlConversionBothWays) {
    EXPECT_EQ(ConvertControls("\x1b[A\x1bOP", true),
              "\x9b"
              "A\x8fP");
    EXPECT_EQ(ConvertControls("\x1b"
                              "a\x1b",
                              true),
              "\x1b"
              "a\x1b"); // not a C1 final; lone ESC
    EXPECT_EQ(ConvertControls("\x9b"
                              "A\x8f\x9f\xa0",
                              false),
              "\x1b[A\x1bO\x1b_\xa0");
    EXPECT_EQ(ConvertControls("\x1b[A", false), "\x1b[A");
    EXPECT_EQ(ConvertControls("\x9b", true), "\x9b");
}

} // namespace
} // namespace tamsivane
