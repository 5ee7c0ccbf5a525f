// What a key press on the PC keyboard does on the terminal: the key map's
// action for the key and its modifiers, the bytes of a VT key in the
// session's keyboard modes, the local functions of F1-F5, the strings the
// host programmed into F6-F20, and the 7-bit or 8-bit form of what is sent.
// Combinations the key map leaves alone run the menus' shortcuts or send
// what programs on a PC expect of them: Shift+Tab, Ctrl+Space, the cursor
// and editing keys with modifiers, and Alt as a prefix of ESC.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tamsivane {

class KeyMap;

// The session's keyboard settings, read under the session lock.
struct KeyboardModes {
    // Per F1-F5: 0 a local function, 1 its sequence, 2 nothing, 3 the PF
    // key of the same number (F5, which has none, its sequence).
    std::array<int32_t, 5> functionKeys{};
    bool cursorKeysNormal = true;       // CursorKeys 1; application mode when false
    bool numericKeypad = true;          // NumericKeypad 1; application keypad when false
    bool backArrowDelete = true;        // BackArrow 1 sends DEL, 0 BS
    bool newLine = true;                // NewLine not 0: Return sends CR LF
    bool eightBit = false;              // 8BitChars 1
    bool marginBell = false;            // MarginBell
    bool numLockSwitchesKeypad = false; // NumLock 1
    bool altSendsEscape = true;         // AltEscape: Alt+key sends ESC and the key
    int cursorColumn = 0;               // 0-based
    int rightMargin = 79;               // 0-based
};

namespace VtKey {
inline constexpr int F1 = 1;
inline constexpr int F5 = 5;
inline constexpr int F6 = 6;
inline constexpr int F20 = 20;
inline constexpr int Count = 108;
} // namespace VtKey

// The name of VT key 1-108 ("F1", "Do", "Numpad ,"), nullptr otherwise.
const char* VtKeyName(int vtKey);

struct KeyOutcome {
    enum class Kind : uint8_t {
        Nothing,       // handled, nothing to do
        Unmapped,      // not handled: the key's character goes to the host instead
        Send,          // text holds the bytes
        PostToSession, // command for the session's window
        PostToMain,    // command for the main window
        RunScript,     // text holds the script
        RunScriptFile, // text holds the path
        SendBreak,
        KeypadMode, // Num Lock set NumericKeypad to numericKeypad
    };
    Kind kind = Kind::Nothing;
    std::string text;
    int command = 0;
    bool numericKeypad = false;
    bool marginBell = false; // with Send: ring the margin bell
    // With Unmapped: the key's character goes, and it goes after an ESC (Alt
    // held); without it, a key pressed with Alt types nothing.
    bool escapePrefix = false;

    bool operator==(const KeyOutcome&) const = default;
};

// Strings the host programmed into F6-F20, by the selector of "CSI sel ~".
using UserKeyLookup = std::function<std::string_view(int selector)>;

class KeyboardInput {
public:
    KeyboardInput(const KeyMap& keys, const KeyboardModes& modes, UserKeyLookup userKeys = {});

    // A press of PC key code key (normalised, 0 ignored) with a modifier
    // state.  numLockOn: the platform's Num Lock after the press, when known;
    // otherwise Num Lock flips the keypad mode.
    KeyOutcome KeyDown(uint8_t key, uint8_t modifiers, std::optional<bool> numLockOn = {}) const;

    // The bytes of VT key 1-108 pressed with a modifier state, unconverted
    // (the on-screen keyboard sends them so); F1-F5 may give a local function.
    KeyOutcome PressVtKey(int vtKey, uint8_t modifiers) const;

private:
    KeyOutcome SendText(std::string_view bytes) const;
    // A combination the key map does not bind.
    KeyOutcome Unbound(uint8_t key, uint8_t modifiers) const;

    const KeyMap& keys_;
    KeyboardModes modes_;
    UserKeyLookup userKeys_;
};

// 8-bit: ESC followed by 0x40-0x5F becomes the C1 byte; 7-bit: each C1 byte
// 0x80-0x9F becomes ESC and its 7-bit final.  Other bytes pass unchanged.
std::string ConvertControls(std::string_view bytes, bool eightBit);

// The character a U.S. keyboard types with a PC key that the key map leaves
// alone, by the rules of the VT typewriter keys (Esc types ESC); 0 for none.
char TypedCharacter(uint8_t key, uint8_t modifiers);

// What an Unmapped outcome types with that key: its character, after an ESC
// when the outcome asks for one; "" for nothing.
std::string TypedText(const KeyOutcome& outcome, uint8_t key, uint8_t modifiers);

// Whether one typed byte is a printable character landing on the margin-bell
// column (eight before the right margin) with the bell enabled.
bool RingsMarginBell(std::string_view sent, const KeyboardModes& modes);

} // namespace tamsivane
