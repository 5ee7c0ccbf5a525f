#include "keyboard/PcKeys.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "keyboard/AsciiCase.h"
#include "keyboard/KeyMap.h"

namespace tamsivane {
namespace {

// Platform codes below 48 to PC key codes: the editing and cursor keys as the
// keypad reports them while Num Lock is off; 0 ignores the key.
constexpr std::array<uint8_t, 48> kLowCodes = [] {
    std::array<uint8_t, 48> table{};
    for (const uint8_t kept : {0x08, 0x09, 0x0D, 0x10, 0x11, 0x12, 0x13, 0x14, 0x1B, 0x20}) {
        table[kept] = kept;
    }
    table[PcKey::Insert] = 0x60;
    table[PcKey::End] = 0x61;
    table[PcKey::Down] = 0x62;
    table[PcKey::PageDown] = 0x63;
    table[PcKey::Left] = 0x64;
    table[PcKey::Clear] = 0x65;
    table[PcKey::Right] = 0x66;
    table[PcKey::Home] = 0x67;
    table[PcKey::Up] = 0x68;
    table[PcKey::PageUp] = 0x69;
    table[PcKey::Delete] = PcKey::Decimal;
    return table;
}();

// The dedicated key of each keypad code 0x60-0x69 (Numpad 5 has none).
constexpr uint8_t kDedicatedKeys[10] = {
    PcKey::Insert,  PcKey::End,   PcKey::Down, PcKey::PageDown, PcKey::Left,
    PcKey::Numpad5, PcKey::Right, PcKey::Home, PcKey::Up,       PcKey::PageUp};

constexpr uint8_t kAll = 0xFF;

// clang-format off
constexpr PcKeyInfo kLayoutKeys[] = {
    {0x70, "F1", kAll}, {0x71, "F2", kAll}, {0x72, "F3", kAll}, {0x73, "F4", kAll},
    {0x74, "F5", kAll}, {0x75, "F6", kAll}, {0x76, "F7", kAll}, {0x77, "F8", kAll},
    {0x78, "F9", kAll}, {0x79, "F10", kAll}, {0x7A, "F11", kAll}, {0x7B, "F12", kAll},
    {0x2C, "Print Screen/SysRq", 0}, {0x91, "Scroll Lock", kAll}, {0x13, "Pause", 1},
    {0x14, "Caps Lock", 0}, {0x10, "Left Shift", kAll}, {0xA1, "Right Shift", kAll},
    {0x11, "Left Ctrl", kAll}, {0xA3, "Right Ctrl", kAll}, {0x12, "Left Alt", kAll},
    {0xA5, "Right Alt", kAll}, {0x0D, "Enter", kAll}, {0x08, "Backspace", kAll},
    {0x1B, "Esc", kAll}, {0xC0, "`", kAll},
    {0x31, "1", kAll}, {0x32, "2", kAll}, {0x33, "3", kAll}, {0x34, "4", kAll},
    {0x35, "5", kAll}, {0x36, "6", kAll}, {0x37, "7", kAll}, {0x38, "8", kAll},
    {0x39, "9", kAll}, {0x30, "0", kAll},
    {0xBD, "-", kAll}, {0xBB, "=", kAll}, {0xDC, "\\", kAll}, {0x09, "Tab", kAll},
    {0x41, "A", kAll}, {0x42, "B", kAll}, {0x43, "C", kAll}, {0x44, "D", kAll},
    {0x45, "E", kAll}, {0x46, "F", kAll}, {0x47, "G", kAll}, {0x48, "H", kAll},
    {0x49, "I", kAll}, {0x4A, "J", kAll}, {0x4B, "K", kAll}, {0x4C, "L", kAll},
    {0x4D, "M", kAll}, {0x4E, "N", kAll}, {0x4F, "O", kAll}, {0x50, "P", kAll},
    {0x51, "Q", kAll}, {0x52, "R", kAll}, {0x53, "S", kAll}, {0x54, "T", kAll},
    {0x55, "U", kAll}, {0x56, "V", kAll}, {0x57, "W", kAll}, {0x58, "X", kAll},
    {0x59, "Y", kAll}, {0x5A, "Z", kAll},
    {0xDB, "[", kAll}, {0xDD, "]", kAll}, {0xBA, ";", kAll}, {0xDE, "'", kAll},
    {0xBC, ",", kAll}, {0xBE, ".", kAll}, {0xBF, "/", kAll}, {0x20, "Space", kAll},
    {0x2D, "Insert", kAll}, {0x24, "Home", kAll}, {0x21, "Page Up", kAll},
    {0x2E, "Delete", kAll}, {0x23, "End", kAll}, {0x22, "Page Down", kAll},
    {0x26, "Up", kAll}, {0x25, "Left", kAll}, {0x28, "Down", kAll}, {0x27, "Right", kAll},
    {0x90, "Num Lock", kAll}, {0x6F, "Divide", kAll}, {0x6A, "Multiply", kAll},
    {0x6D, "Subtract", kAll},
    {0x60, "Numpad 0", kAll}, {0x61, "Numpad 1", kAll}, {0x62, "Numpad 2", kAll},
    {0x63, "Numpad 3", kAll}, {0x64, "Numpad 4", kAll}, {0x65, "Numpad 5", kAll},
    {0x66, "Numpad 6", kAll}, {0x67, "Numpad 7", kAll}, {0x68, "Numpad 8", kAll},
    {0x69, "Numpad 9", kAll},
    {0x6B, "Add", kAll}, {0x6E, "Decimal", kAll}, {0x2B, "Numpad Enter", kAll},
};
// clang-format on
static_assert(std::size(kLayoutKeys) == 101);

} // namespace

uint8_t NormalizeKey(int virtualKey, bool extended) {
    if (virtualKey <= 0 || virtualKey > 255) return 0;
    uint8_t key = virtualKey < 48 ? kLowCodes[virtualKey] : static_cast<uint8_t>(virtualKey);
    if (!extended) return key;
    switch (key) {
    case PcKey::Enter:
        return PcKey::NumpadEnter;
    case PcKey::Shift:
        return PcKey::RightShift;
    case PcKey::Ctrl:
        return PcKey::RightCtrl;
    case PcKey::Alt:
        return PcKey::RightAlt;
    case PcKey::Decimal:
        return PcKey::Delete;
    default:
        break;
    }
    if (key >= PcKey::Numpad0 && key <= PcKey::Numpad9) key = kDedicatedKeys[key - PcKey::Numpad0];
    return key;
}

uint8_t ModifierState(uint8_t key, bool alt, bool ctrl, bool shift, bool capsLock) {
    uint8_t state = 0;
    if (alt && key != PcKey::Alt && key != PcKey::RightAlt) state |= Modifier::Alt;
    if (ctrl && key != PcKey::Ctrl && key != PcKey::RightCtrl) state |= Modifier::Ctrl;
    if (shift && key != PcKey::Shift && key != PcKey::RightShift) state |= Modifier::Shift;
    if (capsLock) state |= Modifier::CapsLock;
    return state;
}

std::span<const PcKeyInfo> BuiltInLayoutKeys() { return kLayoutKeys; }

uint8_t PcKeyByName(std::string_view name) {
    for (const PcKeyInfo& key : kLayoutKeys) {
        if (EqualIgnoringAsciiCase(key.name, name)) return key.code;
    }
    return 0;
}

std::optional<KeyCombination> ParseKeyCombination(std::string_view text) {
    struct Prefix {
        std::string_view text;
        bool alt, ctrl, shift;
    };
    constexpr Prefix kPrefixes[] = {{"Alt+", true, false, false},
                                    {"Ctrl+", false, true, false},
                                    {"Shift+", false, false, true}};
    bool alt = false, ctrl = false, shift = false;
    for (bool more = true; more;) {
        more = false;
        for (const Prefix& prefix : kPrefixes) {
            // A prefix always leaves a name after it.
            if (text.size() > prefix.text.size() &&
                EqualIgnoringAsciiCase(text.substr(0, prefix.text.size()), prefix.text)) {
                text.remove_prefix(prefix.text.size());
                alt |= prefix.alt;
                ctrl |= prefix.ctrl;
                shift |= prefix.shift;
                more = true;
            }
        }
    }
    const uint8_t key = PcKeyByName(text);
    if (key == 0) return std::nullopt;
    return KeyCombination{key, ModifierState(key, alt, ctrl, shift, false)};
}

const char* PcKeyName(uint8_t code) {
    const auto found = std::ranges::find(kLayoutKeys, code, &PcKeyInfo::code);
    return found != std::end(kLayoutKeys) ? found->name : nullptr;
}

} // namespace tamsivane
