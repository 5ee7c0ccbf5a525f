// PC keys: the platform's virtual-key codes normalised so that the keypad
// and the dedicated editing keys stay apart whatever Num Lock says, the
// modifier state of a key press, and the built-in "U.S. 101 Key" layout's
// key table.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace tamsivane {

namespace PcKey {
inline constexpr uint8_t Backspace = 0x08;
inline constexpr uint8_t Tab = 0x09;
inline constexpr uint8_t Clear = 0x0C;
inline constexpr uint8_t Enter = 0x0D;
inline constexpr uint8_t Shift = 0x10;
inline constexpr uint8_t Ctrl = 0x11;
inline constexpr uint8_t Alt = 0x12;
inline constexpr uint8_t Pause = 0x13;
inline constexpr uint8_t CapsLock = 0x14;
inline constexpr uint8_t Escape = 0x1B;
inline constexpr uint8_t Space = 0x20;
inline constexpr uint8_t PageUp = 0x21;
inline constexpr uint8_t PageDown = 0x22;
inline constexpr uint8_t End = 0x23;
inline constexpr uint8_t Home = 0x24;
inline constexpr uint8_t Left = 0x25;
inline constexpr uint8_t Up = 0x26;
inline constexpr uint8_t Right = 0x27;
inline constexpr uint8_t Down = 0x28;
inline constexpr uint8_t NumpadEnter = 0x2B;
inline constexpr uint8_t PrintScreen = 0x2C;
inline constexpr uint8_t Insert = 0x2D;
inline constexpr uint8_t Delete = 0x2E;
inline constexpr uint8_t Numpad0 = 0x60;
inline constexpr uint8_t Numpad5 = 0x65;
inline constexpr uint8_t Numpad9 = 0x69;
inline constexpr uint8_t Multiply = 0x6A;
inline constexpr uint8_t Add = 0x6B;
inline constexpr uint8_t Subtract = 0x6D;
inline constexpr uint8_t Decimal = 0x6E;
inline constexpr uint8_t Divide = 0x6F;
inline constexpr uint8_t F1 = 0x70;
inline constexpr uint8_t F12 = 0x7B;
inline constexpr uint8_t NumLock = 0x90;
inline constexpr uint8_t ScrollLock = 0x91;
inline constexpr uint8_t RightShift = 0xA1;
inline constexpr uint8_t RightCtrl = 0xA3;
inline constexpr uint8_t RightAlt = 0xA5;
} // namespace PcKey

// A key going down, as the platform reports it.
struct PcKeyPress {
    int virtualKey = 0; // the platform's virtual-key code
    bool extended = false;
    bool alt = false;
    bool ctrl = false;
    bool shift = false;
    bool capsLock = false;         // Caps Lock toggled on
    std::optional<bool> numLockOn; // Num Lock toggled on, when known
};

// The PC key code of a platform key: codes below 48 other than the editing,
// cursor, Enter, modifier, Backspace, Tab, Esc and Space keys are ignored
// (0), as are codes of 256 and above.  Without the extended flag the editing
// and cursor keys are the keypad's (Home is Numpad 7); with it Enter is the
// keypad's Enter and Shift, Ctrl and Alt are the right-hand ones.
uint8_t NormalizeKey(int virtualKey, bool extended);

// The modifier state (Modifier:: bits of KeyMap.h) of a press of key; a
// modifier key does not count as modifying itself.
uint8_t ModifierState(uint8_t key, bool alt, bool ctrl, bool shift, bool capsLock);

struct PcKeyInfo {
    uint8_t code;
    const char* name;
    uint8_t mappable; // bit m: may be mapped with modifier state m
};

// The built-in layout's 101 keys, in its order.
std::span<const PcKeyInfo> BuiltInLayoutKeys();
// The key of that name (case-insensitive), or 0.
uint8_t PcKeyByName(std::string_view name);
// The key's name, or nullptr when the layout has no such key.
const char* PcKeyName(uint8_t code);

struct KeyCombination {
    uint8_t key = 0;
    uint8_t modifiers = 0;
};
// A key name with optional "Alt+", "Ctrl+" and "Shift+" before it, in any
// order ("Ctrl+Page Down"); nullopt when the name is not a key's.
std::optional<KeyCombination> ParseKeyCombination(std::string_view text);

} // namespace tamsivane
