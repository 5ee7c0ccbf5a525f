#include "script/MacroTargets.h"

#include <string>

#include "config/SettingsStore.h"
#include "keyboard/KeyMap.h"
#include "keyboard/PcKeys.h"

namespace tamsivane {
namespace {

constexpr const char* kKeyNames[] = {
    "Character", "F1",        "F2",       "F3",          "F4",       "F5",       "F6",
    "F7",        "F8",        "F9",       "F10",         "F11",      "F12",      "Scroll Lock",
    "Enter",     "Backspace", "Esc",      "Tab",         "Space",    "Insert",   "Delete",
    "Home",      "End",       "Page Up",  "Page Down",   "Up",       "Left",     "Down",
    "Right",     "Num Lock",  "Divide",   "Multiply",    "Subtract", "Numpad 0", "Numpad 1",
    "Numpad 2",  "Numpad 3",  "Numpad 4", "Numpad 5",    "Numpad 6", "Numpad 7", "Numpad 8",
    "Numpad 9",  "Add",       "Decimal",  "Numpad Enter"};

// Shifted characters and the keys that type them.
constexpr std::string_view kShifted = "~!@#$%^&*()_+{}|:\"<>?";
constexpr std::string_view kUnshifted = "`1234567890-=[]\\;',./";

// Action code of a key that runs its text as a script.
constexpr uint8_t kRunScriptText = 253;

} // namespace

std::span<const char* const> MacroKeyNames() { return kKeyNames; }

uint8_t MacroKeyCode(size_t entry, char character) {
    if (entry >= std::size(kKeyNames)) return 0;
    if (entry > 0) return PcKeyByName(kKeyNames[entry]);
    if (character == ' ') return PcKeyByName("Space");
    const size_t shifted = kShifted.find(character);
    if (shifted != std::string_view::npos) character = kUnshifted[shifted];
    return PcKeyByName(std::string(1, character));
}

void SaveMacroToButton(SettingsStore& settings, int index, std::string_view caption,
                       std::string_view script) {
    settings.SetArrayString(P::ButtonCaption, index, caption);
    settings.SetArrayNumber(P::ButtonAction, index, 1);
    settings.SetArrayString(P::ButtonString, index, script);
}

bool SaveMacroToKey(KeyMap& keys, uint8_t key, uint8_t modifiers, std::string_view script) {
    return keys.SetEntry(key, modifiers, kRunScriptText, script);
}

} // namespace tamsivane
