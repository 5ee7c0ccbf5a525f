// A session's key map: what each PC key, alone or with Alt, Ctrl and Shift,
// does on the terminal.  A 255-byte table gives the action of every PC key
// pressed without modifiers; an ordered entry list holds the mappings with
// modifiers and those that carry a text (a sequence, a script, a menu path).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tamsivane {

// Modifier state bits; lookups use only Alt, Ctrl and Shift.
namespace Modifier {
inline constexpr uint8_t Alt = 1;
inline constexpr uint8_t Ctrl = 2;
inline constexpr uint8_t Shift = 4;
inline constexpr uint8_t CapsLock = 8;
inline constexpr uint8_t kLookupMask = Alt | Ctrl | Shift;
} // namespace Modifier

// Action codes: 1-108 press that VT key; the codes below carry or need a text.
namespace KeyAction {
inline constexpr uint8_t None = 0;
inline constexpr uint8_t LastVtKey = 108;
inline constexpr uint8_t LookInEntries = 240; // no-modifier table only: the entry list decides
inline constexpr uint8_t RunScriptFile = 252;
inline constexpr uint8_t ExecuteScript = 253;
inline constexpr uint8_t MenuCommand = 254;
inline constexpr uint8_t Send = 255;
} // namespace KeyAction

inline constexpr int kKeyTableSize = 255; // PC key codes 1-255
inline constexpr int kKeyTemplateCount = 5;

struct KeyMapEntry {
    uint8_t key = 0;
    uint8_t modifiers = 0;
    uint8_t action = KeyAction::None;
    std::string text;

    bool operator==(const KeyMapEntry&) const = default;
};

struct KeyLookup {
    uint8_t action = KeyAction::None;
    std::string text; // only for actions of 240 and above
};

class KeyMap {
public:
    // Every (key, modifier state) pair fits eight times over; texts hold scripts.
    static constexpr size_t kMaxEntries = 2048;
    static constexpr size_t kMaxTextLength = 65535;

    using Table = std::array<uint8_t, kKeyTableSize>;

    KeyMap(); // the default key map

    // The default table, the modifier entries and the menu entries.
    void ResetToDefaults();
    // Built-in keyboard template 0-4 (0 is the default map); false for another number.
    bool ApplyTemplate(int number);
    // Maps the menu commands of the default map onto key states still unmapped.
    void AddMenuEntries();

    // Replaces the mapping of (key, modifiers), keeping its place in the list,
    // or appends it.  Without modifiers the table byte follows: the action
    // itself below 240, 240 for actions that carry a text.  False (nothing
    // changed) for key 0, a text beyond kMaxTextLength or a full list.
    bool SetEntry(uint8_t key, uint8_t modifiers, uint8_t action, std::string_view text);
    // Removes the mappings of (key, modifiers); without modifiers the table
    // byte becomes 0.  Returns whether anything was mapped.
    bool RemoveEntry(uint8_t key, uint8_t modifiers);
    KeyLookup LookUp(uint8_t key, uint8_t modifiers) const;

    const Table& KeyTable() const { return table_; }
    const std::vector<KeyMapEntry>& Entries() const { return entries_; }
    // Takes a stored table and entry list as they are (a setup file's key map);
    // false (nothing changed) when the entries exceed the bounds.
    bool Assign(const Table& table, std::vector<KeyMapEntry> entries);

    bool operator==(const KeyMap&) const = default;

private:
    void LoadDefaultTableAndModifierEntries();

    Table table_{};
    std::vector<KeyMapEntry> entries_;
};

} // namespace tamsivane
