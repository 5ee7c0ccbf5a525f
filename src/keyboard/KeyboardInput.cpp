#include "keyboard/KeyboardInput.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "keyboard/CommandIds.h"
#include "keyboard/CommandTable.h"
#include "keyboard/KeyMap.h"
#include "keyboard/PcKeys.h"

namespace tamsivane {
namespace {

constexpr char kEsc = 0x1B;

// clang-format off
constexpr const char* kVtKeyNames[VtKey::Count] = {
    "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10",
    "F11", "F12", "F13", "F14", "Help", "Do", "F17", "F18", "F19", "F20",
    "`", "1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "-", "=",
    "Tab",
    "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M",
    "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z",
    "[", "]", ";", "'", "\\", "<", ",", ".", "/", "Space",
    "Backspace", "Return",
    "Ctrl", "Left Shift", "Caps Lock", "Right Shift", "Left Compose", "Left Alt", "Right Alt",
    "Right Compose",
    "Find", "Insert", "Remove", "Select", "Prev", "Next",
    "Up", "Left", "Down", "Right",
    "PF1", "PF2", "PF3", "PF4",
    "Numpad 0", "Numpad 1", "Numpad 2", "Numpad 3", "Numpad 4",
    "Numpad 5", "Numpad 6", "Numpad 7", "Numpad 8", "Numpad 9",
    "Subtract", "Numpad ,", "Decimal", "Enter",
};
// clang-format on

// The typewriter keys 21-70: unshifted and shifted character (0: none).
constexpr char kTypewriter[][2] = {
    {'`', '~'}, {'1', '!'},  {'2', '@'},  {'3', '#'}, {'4', '$'}, {'5', '%'}, {'6', '^'},
    {'7', '&'}, {'8', '*'},  {'9', '('},  {'0', ')'}, {'-', '_'}, {'=', '+'}, {'\t', 0},
    {'a', 'A'}, {'b', 'B'},  {'c', 'C'},  {'d', 'D'}, {'e', 'E'}, {'f', 'F'}, {'g', 'G'},
    {'h', 'H'}, {'i', 'I'},  {'j', 'J'},  {'k', 'K'}, {'l', 'L'}, {'m', 'M'}, {'n', 'N'},
    {'o', 'O'}, {'p', 'P'},  {'q', 'Q'},  {'r', 'R'}, {'s', 'S'}, {'t', 'T'}, {'u', 'U'},
    {'v', 'V'}, {'w', 'W'},  {'x', 'X'},  {'y', 'Y'}, {'z', 'Z'}, {'[', '{'}, {']', '}'},
    {';', ':'}, {'\'', '"'}, {'\\', '|'}, {'<', '>'}, {',', '<'}, {'.', '>'}, {'/', '?'},
    {' ', 0},
};
constexpr int kFirstTypewriterKey = 21;
constexpr int kFirstLetterKey = 35;
constexpr int kLastLetterKey = 60;
static_assert(std::size(kTypewriter) == 50);

// The "CSI code ~" codes of F1-F20 (F1-F5 only as sequences); also the
// selectors of the host's strings for F6-F20.
constexpr int kFunctionCodes[20] = {11, 12, 13, 14, 15, 17, 18, 19, 20, 21,
                                    23, 24, 25, 26, 28, 29, 31, 32, 33, 34};

// Find, Insert, Remove, Select, Prev, Next send "CSI n ~" with n 1-6.
constexpr int kFirstEditingKey = 81;
// Up, Left, Down, Right.
constexpr char kCursorFinals[] = {'A', 'D', 'B', 'C'};
constexpr int kFirstCursorKey = 87;
constexpr int kFirstPfKey = 91;
// Numpad 0-9, Subtract, Numpad comma, Decimal: numeric and application form.
constexpr char kKeypadNumeric[] = "0123456789-,.";
constexpr char kKeypadApplication[] = "pqrstuvwxymln";
constexpr int kFirstKeypadKey = 95;
constexpr int kKeypadEnter = 108;
constexpr int kBackspaceKey = 71;
constexpr int kReturnKey = 72;

// What a few combinations send when the key map leaves them alone.
struct PlainCombination {
    uint8_t key;
    uint8_t modifiers;
    const char* bytes;
    size_t length;
};
constexpr PlainCombination kPlainCombinations[] = {
    {PcKey::Tab, Modifier::Shift, "\x1b[Z", 3}, // back tab
    {PcKey::Space, Modifier::Ctrl, "\0", 1},
};

// The parameter that says which modifiers went with a cursor or editing key:
// 1 plus Shift 1, Alt 2, Ctrl 4.
int ModifierParameter(uint8_t modifiers) {
    return 1 + ((modifiers & Modifier::Shift) ? 1 : 0) + ((modifiers & Modifier::Alt) ? 2 : 0) +
           ((modifiers & Modifier::Ctrl) ? 4 : 0);
}

// A cursor key (CSI 1;m A) or an editing key (CSI n;m ~) with modifiers;
// "" for other VT keys.
std::string ModifiedForm(int vtKey, uint8_t modifiers) {
    const std::string m = std::to_string(ModifierParameter(modifiers));
    if (vtKey >= kFirstEditingKey && vtKey < kFirstCursorKey) {
        return std::string{kEsc, '['} + std::to_string(vtKey - kFirstEditingKey + 1) + ';' + m +
               '~';
    }
    if (vtKey >= kFirstCursorKey && vtKey < kFirstPfKey) {
        return std::string{kEsc, '[', '1', ';'} + m + kCursorFinals[vtKey - kFirstCursorKey];
    }
    return {};
}

// An escape sequence, in either form, rather than a character.
bool IsSequence(std::string_view bytes) {
    const auto first = static_cast<uint8_t>(bytes.front());
    return first == kEsc || (first >= 0x80 && first <= 0x9F);
}

std::string Csi(int code) { return std::string{kEsc, '['} + std::to_string(code) + '~'; }
std::string Ss3(char final) { return std::string{kEsc, 'O', final}; }

KeyOutcome Outcome(KeyOutcome::Kind kind, std::string text = {}, int command = 0) {
    KeyOutcome outcome;
    outcome.kind = kind;
    outcome.text = std::move(text);
    outcome.command = command;
    return outcome;
}

KeyOutcome Bytes(std::string bytes) { return Outcome(KeyOutcome::Kind::Send, std::move(bytes)); }

KeyOutcome Post(KeyOutcome::Kind kind, int command) { return Outcome(kind, {}, command); }

std::string TypewriterCharacter(int vtKey, uint8_t modifiers) {
    const char(&pair)[2] = kTypewriter[vtKey - kFirstTypewriterKey];
    const bool letter = vtKey >= kFirstLetterKey && vtKey <= kLastLetterKey;
    const bool capsLock = letter && (modifiers & Modifier::CapsLock);
    char c = 0;
    switch (modifiers & Modifier::kLookupMask) {
    case 0:
        c = capsLock ? pair[1] : pair[0];
        break;
    case Modifier::Shift:
        c = capsLock ? pair[0] : pair[1];
        break;
    case Modifier::Ctrl:
        if (letter) c = static_cast<char>(vtKey - kFirstLetterKey + 1);
        break;
    default:
        break;
    }
    return c ? std::string(1, c) : std::string();
}

// The typewriter VT key of each U.S. PC key.
struct TypewriterPcKey {
    uint8_t pcKey;
    uint8_t vtKey;
};
constexpr TypewriterPcKey kTypewriterPcKeys[] = {
    {0xC0, 21}, {0xBD, 32}, {0xBB, 33}, {0x09, 34}, {0xDB, 61}, {0xDD, 62}, {0xBA, 63},
    {0xDE, 64}, {0xDC, 65}, {0xBC, 67}, {0xBE, 68}, {0xBF, 69}, {0x20, 70},
};

} // namespace

char TypedCharacter(uint8_t key, uint8_t modifiers) {
    int vtKey = 0;
    if (key >= '1' && key <= '9') {
        vtKey = 22 + (key - '1');
    } else if (key == '0') {
        vtKey = 31;
    } else if (key >= 'A' && key <= 'Z') {
        vtKey = kFirstLetterKey + (key - 'A');
    } else if (key == PcKey::Escape) {
        return (modifiers & (Modifier::Alt | Modifier::Ctrl)) ? 0 : kEsc;
    } else {
        const auto found = std::ranges::find(kTypewriterPcKeys, key, &TypewriterPcKey::pcKey);
        if (found == std::end(kTypewriterPcKeys)) return 0;
        vtKey = found->vtKey;
    }
    const std::string typed = TypewriterCharacter(vtKey, modifiers);
    return typed.empty() ? 0 : typed[0];
}

std::string TypedText(const KeyOutcome& outcome, uint8_t key, uint8_t modifiers) {
    if (outcome.kind != KeyOutcome::Kind::Unmapped) return {};
    if (outcome.escapePrefix) modifiers &= static_cast<uint8_t>(~Modifier::Alt);
    const char typed = TypedCharacter(key, modifiers);
    if (typed == 0) return {};
    return outcome.escapePrefix ? std::string{kEsc, typed} : std::string(1, typed);
}

const char* VtKeyName(int vtKey) {
    return vtKey >= 1 && vtKey <= VtKey::Count ? kVtKeyNames[vtKey - 1] : nullptr;
}

std::string ConvertControls(std::string_view bytes, bool eightBit) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<uint8_t>(bytes[i]);
        if (eightBit && byte == kEsc && i + 1 < bytes.size()) {
            const auto next = static_cast<uint8_t>(bytes[i + 1]);
            if (next >= 0x40 && next <= 0x5F) {
                out += static_cast<char>(next + 0x40);
                ++i;
                continue;
            }
        } else if (!eightBit && byte >= 0x80 && byte <= 0x9F) {
            out += kEsc;
            out += static_cast<char>(byte - 0x40);
            continue;
        }
        out += static_cast<char>(byte);
    }
    return out;
}

bool RingsMarginBell(std::string_view sent, const KeyboardModes& modes) {
    return modes.marginBell && sent.size() == 1 && sent[0] >= 0x20 && sent[0] <= 0x7E &&
           modes.cursorColumn == modes.rightMargin - 7;
}

KeyboardInput::KeyboardInput(const KeyMap& keys, const KeyboardModes& modes, UserKeyLookup userKeys)
    : keys_(keys), modes_(modes), userKeys_(std::move(userKeys)) {}

KeyOutcome KeyboardInput::KeyDown(uint8_t key, uint8_t modifiers,
                                  std::optional<bool> numLockOn) const {
    if (key == 0) return {};
    if (key == PcKey::NumLock && (modifiers & Modifier::kLookupMask) == 0 &&
        modes_.numLockSwitchesKeypad) {
        KeyOutcome outcome = Outcome(KeyOutcome::Kind::KeypadMode);
        outcome.numericKeypad = numLockOn.value_or(!modes_.numericKeypad);
        return outcome;
    }
    const KeyLookup found = keys_.LookUp(key, modifiers);
    switch (found.action) {
    case KeyAction::None:
        return Unbound(key, modifiers);
    case KeyAction::Send:
        return SendText(found.text);
    case KeyAction::MenuCommand: {
        const int command = FindMenuCommand(found.text);
        if (command == 0) return {};
        return Post(KeyOutcome::Kind::PostToMain, command);
    }
    case KeyAction::ExecuteScript:
        return Outcome(KeyOutcome::Kind::RunScript, found.text);
    case KeyAction::RunScriptFile:
        return Outcome(KeyOutcome::Kind::RunScriptFile, found.text);
    default:
        break;
    }
    if (found.action > KeyAction::LastVtKey) return SendText(found.text);
    KeyOutcome outcome = PressVtKey(found.action, modifiers);
    if (outcome.kind != KeyOutcome::Kind::Send) return outcome;
    // The host's own strings for F6-F20 go as the host stored them.
    if (userKeys_ && found.action >= VtKey::F6 && found.action <= VtKey::F20 &&
        (modifiers & Modifier::Shift)) {
        const std::string_view programmed = userKeys_(kFunctionCodes[found.action - 1]);
        if (!programmed.empty()) return Bytes(std::string(programmed));
    }
    return SendText(outcome.text);
}

KeyOutcome KeyboardInput::Unbound(uint8_t key, uint8_t modifiers) const {
    const uint8_t held = modifiers & Modifier::kLookupMask;
    if (const int command = ShortcutCommand(key, held)) {
        return Post(KeyOutcome::Kind::PostToMain, command);
    }
    for (const PlainCombination& combination : kPlainCombinations) {
        if (combination.key == key && combination.modifiers == held) {
            return SendText(std::string_view(combination.bytes, combination.length));
        }
    }
    if (held == 0) return Outcome(KeyOutcome::Kind::Unmapped);
    // A cursor or editing key of the VT keyboard says which modifiers it had.
    const std::string form = ModifiedForm(keys_.LookUp(key, 0).action, held);
    if (!form.empty()) return SendText(form);
    if (!(held & Modifier::Alt)) return Outcome(KeyOutcome::Kind::Unmapped);
    if (!modes_.altSendsEscape) return {};
    // Alt: ESC, then the character or control the key sends without Alt.
    KeyOutcome plain = KeyDown(key, static_cast<uint8_t>(modifiers & ~Modifier::Alt));
    if (plain.kind == KeyOutcome::Kind::Unmapped) {
        plain.escapePrefix = true;
        return plain;
    }
    if (plain.kind != KeyOutcome::Kind::Send || IsSequence(plain.text)) return {};
    plain.text.insert(plain.text.begin(), kEsc);
    plain.marginBell = false;
    return plain;
}

KeyOutcome KeyboardInput::SendText(std::string_view bytes) const {
    if (bytes.empty()) return {};
    KeyOutcome outcome = Bytes(ConvertControls(bytes, modes_.eightBit));
    outcome.marginBell = RingsMarginBell(outcome.text, modes_);
    return outcome;
}

KeyOutcome KeyboardInput::PressVtKey(int vtKey, uint8_t modifiers) const {
    if (vtKey < 1 || vtKey > VtKey::Count) return {};
    if (vtKey >= VtKey::F1 && vtKey <= VtKey::F5) {
        switch (modes_.functionKeys[vtKey - 1]) {
        case 0:
            break;
        case 1:
            return Bytes(Csi(kFunctionCodes[vtKey - 1]));
        case 3:
            return Bytes(vtKey == VtKey::F5 ? Csi(kFunctionCodes[vtKey - 1])
                                            : Ss3(static_cast<char>('P' + vtKey - VtKey::F1)));
        default:
            return {};
        }
        switch (vtKey) {
        case 1:
            return Post(KeyOutcome::Kind::PostToSession, Command::HoldScreen);
        case 2:
            return Post(KeyOutcome::Kind::PostToSession, Command::PrintPage);
        case 3:
            return Post(KeyOutcome::Kind::PostToMain, Command::Settings);
        case 5:
            return Outcome(KeyOutcome::Kind::SendBreak);
        default:
            return {};
        }
    }
    std::string bytes;
    if (vtKey <= VtKey::F20) {
        bytes = Csi(kFunctionCodes[vtKey - 1]);
    } else if (vtKey < kBackspaceKey) {
        bytes = TypewriterCharacter(vtKey, modifiers);
    } else if (vtKey == kBackspaceKey) {
        bytes = modes_.backArrowDelete ? "\x7f" : "\b";
    } else if (vtKey == kReturnKey) {
        bytes = modes_.newLine ? "\r\n" : "\r";
    } else if (vtKey >= kFirstEditingKey && vtKey < kFirstCursorKey) {
        bytes = Csi(vtKey - kFirstEditingKey + 1);
    } else if (vtKey >= kFirstCursorKey && vtKey < kFirstPfKey) {
        bytes = {kEsc, modes_.cursorKeysNormal ? '[' : 'O', kCursorFinals[vtKey - kFirstCursorKey]};
    } else if (vtKey >= kFirstPfKey && vtKey < kFirstKeypadKey) {
        bytes = Ss3(static_cast<char>('P' + vtKey - kFirstPfKey));
    } else if (vtKey >= kFirstKeypadKey && vtKey < kKeypadEnter) {
        const int index = vtKey - kFirstKeypadKey;
        bytes = modes_.numericKeypad ? std::string(1, kKeypadNumeric[index])
                                     : Ss3(kKeypadApplication[index]);
    } else if (vtKey == kKeypadEnter) {
        bytes = !modes_.numericKeypad ? Ss3('M') : modes_.newLine ? "\r\n" : "\r";
    }
    // The modifier keys (73-80) send nothing.
    if (bytes.empty()) return {};
    return Bytes(std::move(bytes));
}

} // namespace tamsivane
