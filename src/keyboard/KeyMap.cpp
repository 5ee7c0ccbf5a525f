#include "keyboard/KeyMap.h"

#include <algorithm>
#include <utility>

namespace tamsivane {
namespace {

// A run of consecutive PC keys mapped to consecutive actions.
struct KeyRun {
    uint8_t modifiers;
    uint8_t firstKey;
    uint8_t count;
    uint8_t firstAction;
};

// Default no-modifier table: editing keys, cursor keys, keypad and F1-F12.
constexpr KeyRun kDefaultTable[] = {
    {0, 0x08, 1, 71}, {0, 0x0C, 1, 100}, {0, 0x0D, 1, 72}, {0, 0x21, 1, 85},  {0, 0x22, 1, 86},
    {0, 0x23, 1, 84}, {0, 0x24, 1, 81},  {0, 0x25, 1, 88}, {0, 0x26, 1, 87},  {0, 0x27, 1, 90},
    {0, 0x28, 1, 89}, {0, 0x2B, 1, 108}, {0, 0x2D, 1, 82}, {0, 0x2E, 1, 83},  {0, 0x60, 10, 95},
    {0, 0x6A, 1, 93}, {0, 0x6B, 1, 106}, {0, 0x6D, 1, 94}, {0, 0x6E, 1, 107}, {0, 0x6F, 1, 92},
    {0, 0x70, 12, 1}, {0, 0x90, 1, 91},
};

// Ctrl+Add is the keypad minus; Shift+F1-F10 are F11-F20.
constexpr KeyRun kDefaultModifierEntries[] = {
    {Modifier::Ctrl, 0x6B, 1, 105},
    {Modifier::Shift, 0x70, 10, 11},
};

struct MenuEntry {
    uint8_t modifiers;
    uint8_t key;
    const char* menuPath;
};

constexpr MenuEntry kMenuEntries[] = {
    {Modifier::Ctrl, 0x22, "View: Scroll Page Down"},
    {Modifier::Ctrl, 0x21, "View: Scroll Page Up"},
    {Modifier::Ctrl, 0x24, "View: Scroll to Top"},
    {Modifier::Ctrl, 0x23, "View: Scroll to Bottom"},
    {Modifier::Ctrl, 0x63, "View: Scroll Page Down"},
    {Modifier::Ctrl, 0x69, "View: Scroll Page Up"},
    {Modifier::Ctrl, 0x67, "View: Scroll to Top"},
    {Modifier::Ctrl, 0x61, "View: Scroll to Bottom"},
    {0, 0x70, "Window: Hold Screen"},
};

// A run of keys of a keyboard template that send prefix, a character counting
// up from firstChar (none when 0), then suffix.
struct TemplateRun {
    int templateNumber;
    uint8_t modifiers;
    uint8_t firstKey;
    uint8_t count;
    const char* prefix;
    char firstChar;
    const char* suffix;
};

constexpr uint8_t kShift = Modifier::Shift;

// clang-format off
constexpr TemplateRun kTemplateRuns[] = {
    // 1: SCO console
    {1, 0, 0x70, 12, "\x1b[", 'M', ""},
    {1, kShift, 0x70, 2, "\x1b[", 'Y', ""},
    {1, kShift, 0x72, 10, "\x1b[", 'a', ""},
    {1, 0, 0x2D, 1, "\x1b[L", 0, ""}, {1, 0, 0x24, 1, "\x1b[H", 0, ""},
    {1, 0, 0x21, 1, "\x1b[I", 0, ""}, {1, 0, 0x2E, 1, "\b", 0, ""},
    {1, 0, 0x23, 1, "\x1b[F", 0, ""}, {1, 0, 0x22, 1, "\x1b[G", 0, ""},
    {1, 0, 0x60, 1, "\b", 0, ""},     {1, 0, 0x61, 1, "\x1b[F", 0, ""},
    {1, 0, 0x62, 1, "\x1b[B", 0, ""}, {1, 0, 0x63, 1, "\x1b[G", 0, ""},
    {1, 0, 0x64, 1, "\x1b[D", 0, ""}, {1, 0, 0x65, 1, "\x1b[E", 0, ""},
    {1, 0, 0x66, 1, "\x1b[C", 0, ""}, {1, 0, 0x67, 1, "\x1b[H", 0, ""},
    {1, 0, 0x68, 1, "\x1b[A", 0, ""}, {1, 0, 0x69, 1, "\x1b[I", 0, ""},
    {1, 0, 0x6B, 1, "+", 0, ""},      {1, 0, 0x6D, 1, "-", 0, ""},
    {1, 0, 0x6A, 1, "*", 0, ""},      {1, 0, 0x6F, 1, "/", 0, ""},
    // 2: Linux console
    {2, 0, 0x70, 5, "\x1b[[", 'A', ""},
    {2, 0, 0x24, 1, "\x1b[1~", 0, ""}, {2, 0, 0x2D, 1, "\x1b[2~", 0, ""},
    {2, 0, 0x2E, 1, "\x1b[3~", 0, ""}, {2, 0, 0x21, 1, "\x1b[5~", 0, ""},
    {2, 0, 0x22, 1, "\x1b[6~", 0, ""},
    // 3: AT386
    {3, kShift, 0x09, 1, "\x1d", 0, ""}, {3, 0, 0x08, 1, "\b", 0, ""},
    {3, 0, 0x70, 11, "\x1bO", 'P', ""},  {3, 0, 0x7B, 1, "\x1bOA", 0, ""},
    {3, 0, 0x2D, 1, "\x1b[@", 0, ""},    {3, 0, 0x24, 1, "\x1b[H", 0, ""},
    {3, 0, 0x21, 1, "\x1b[V", 0, ""},    {3, 0, 0x2E, 1, "\x1b[P", 0, ""},
    {3, 0, 0x23, 1, "\x1b[Y", 0, ""},    {3, 0, 0x22, 1, "\x1b[U", 0, ""},
    // 4: Wyse 60
    {4, 0, 0x70, 12, "\x01", '@', "\r"},
    {4, kShift, 0x70, 12, "\x01", '`', "\r"},
};
// clang-format on

struct TemplateRemoval {
    int templateNumber;
    uint8_t modifiers;
    uint8_t key;
};

// The SCO console template frees Num Lock and Ctrl+Add.
constexpr TemplateRemoval kTemplateRemovals[] = {
    {1, 0, 0x90},
    {1, Modifier::Ctrl, 0x6B},
};

} // namespace

KeyMap::KeyMap() { ResetToDefaults(); }

void KeyMap::LoadDefaultTableAndModifierEntries() {
    table_.fill(KeyAction::None);
    entries_.clear();
    for (const KeyRun& run : kDefaultTable) {
        for (int i = 0; i < run.count; ++i) {
            table_[run.firstKey + i - 1] = static_cast<uint8_t>(run.firstAction + i);
        }
    }
    for (const KeyRun& run : kDefaultModifierEntries) {
        for (int i = 0; i < run.count; ++i) {
            entries_.push_back({static_cast<uint8_t>(run.firstKey + i),
                                run.modifiers,
                                static_cast<uint8_t>(run.firstAction + i),
                                {}});
        }
    }
}

void KeyMap::ResetToDefaults() {
    LoadDefaultTableAndModifierEntries();
    AddMenuEntries();
}

bool KeyMap::ApplyTemplate(int number) {
    if (number < 0 || number >= kKeyTemplateCount) {
        return false;
    }
    LoadDefaultTableAndModifierEntries();
    for (const TemplateRun& run : kTemplateRuns) {
        if (run.templateNumber != number) continue;
        for (int i = 0; i < run.count; ++i) {
            std::string text = run.prefix;
            if (run.firstChar) text += static_cast<char>(run.firstChar + i);
            text += run.suffix;
            SetEntry(static_cast<uint8_t>(run.firstKey + i), run.modifiers, KeyAction::Send, text);
        }
    }
    for (const TemplateRemoval& removal : kTemplateRemovals) {
        if (removal.templateNumber == number) RemoveEntry(removal.key, removal.modifiers);
    }
    AddMenuEntries();
    return true;
}

void KeyMap::AddMenuEntries() {
    for (const MenuEntry& entry : kMenuEntries) {
        if (LookUp(entry.key, entry.modifiers).action == KeyAction::None) {
            SetEntry(entry.key, entry.modifiers, KeyAction::MenuCommand, entry.menuPath);
        }
    }
}

bool KeyMap::SetEntry(uint8_t key, uint8_t modifiers, uint8_t action, std::string_view text) {
    if (key == 0 || text.size() > kMaxTextLength) {
        return false;
    }
    auto existing = std::find_if(entries_.begin(), entries_.end(), [&](const KeyMapEntry& e) {
        return e.key == key && e.modifiers == modifiers;
    });
    if (existing != entries_.end()) {
        existing->action = action;
        existing->text.assign(text);
    } else if (entries_.size() < kMaxEntries) {
        entries_.push_back({key, modifiers, action, std::string(text)});
    } else {
        return false;
    }
    if (modifiers == 0) {
        table_[key - 1] = action < KeyAction::LookInEntries ? action : KeyAction::LookInEntries;
    }
    return true;
}

bool KeyMap::RemoveEntry(uint8_t key, uint8_t modifiers) {
    if (key == 0) {
        return false;
    }
    const size_t removed = std::erase_if(
        entries_, [&](const KeyMapEntry& e) { return e.key == key && e.modifiers == modifiers; });
    bool wasMapped = removed > 0;
    if (modifiers == 0) {
        wasMapped = wasMapped || table_[key - 1] != KeyAction::None;
        table_[key - 1] = KeyAction::None;
    }
    return wasMapped;
}

KeyLookup KeyMap::LookUp(uint8_t key, uint8_t modifiers) const {
    KeyLookup result;
    if (key == 0) {
        return result;
    }
    modifiers &= Modifier::kLookupMask;
    if (modifiers == 0) {
        result.action = table_[key - 1];
        if (result.action < KeyAction::LookInEntries) return result;
    }
    for (const KeyMapEntry& entry : entries_) {
        if (entry.key == key && entry.modifiers == modifiers) {
            result.action = entry.action;
            if (entry.action >= KeyAction::LookInEntries) result.text = entry.text;
            break;
        }
    }
    return result;
}

bool KeyMap::Assign(const Table& table, std::vector<KeyMapEntry> entries) {
    if (entries.size() > kMaxEntries ||
        std::any_of(entries.begin(), entries.end(),
                    [](const KeyMapEntry& e) { return e.text.size() > kMaxTextLength; })) {
        return false;
    }
    table_ = table;
    entries_ = std::move(entries);
    return true;
}

} // namespace tamsivane
