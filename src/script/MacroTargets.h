// Where a recorded macro can be kept: on a button of the button bar or on a
// mapped key, as a script text.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace tamsivane {

class KeyMap;
class SettingsStore;

// The keys "Save to mapped key" offers, in its order; the first entry,
// "Character", stands for the key that types a given character.
std::span<const char* const> MacroKeyNames();

// The PC key code of entry (an index into MacroKeyNames()); for "Character"
// the key that types character (with or without Shift), not the character's
// code.  0 when there is none.
uint8_t MacroKeyCode(size_t entry, char character);

// Button index (from 0) runs the script text under caption.
void SaveMacroToButton(SettingsStore& settings, int index, std::string_view caption,
                       std::string_view script);
// The key with that modifier state runs the script text; false when the key
// map refuses it.
bool SaveMacroToKey(KeyMap& keys, uint8_t key, uint8_t modifiers, std::string_view script);

} // namespace tamsivane
