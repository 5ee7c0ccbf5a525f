// What the key-map settings page shows of a key map: which kinds of
// mapping a PC key has, and the six mapping kinds a user chooses from.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "keyboard/KeyMap.h"

namespace tamsivane {

// How a PC key is mapped, for colouring it on the layout picture.
enum class KeyMappingState {
    None,          // no mapping at all
    Plain,         // only without modifiers
    WithModifiers, // only with modifiers
    Both,
};

// A mapping without modifiers is a non-zero table byte or an entry with
// modifier state 0.
KeyMappingState MappingState(const KeyMap& keys, uint8_t pcKey);

// The mapping kinds in the order the page lists them.
enum class MappingKind { None, VtKey, Sequence, MenuItem, ScriptText, ScriptFile };
inline constexpr const char* kMappingKindNames[] = {"No Mapping",     "Map to VT Key",
                                                    "Send Sequence",  "Map to Menu Item",
                                                    "Execute Script", "Run Script File"};

// The kind an action code is shown as (codes without a meaning show as none;
// 240-251 send their text like a sequence).
MappingKind KindOfAction(uint8_t action);
// The action code a kind stores; a VT key takes its number.
uint8_t ActionOfKind(MappingKind kind, int vtKey = 0);

} // namespace tamsivane
