#include "keyboard/KeyMapping.h"

namespace tamsivane {

KeyMappingState MappingState(const KeyMap& keys, uint8_t pcKey) {
    if (pcKey == 0) return KeyMappingState::None;
    bool plain = keys.KeyTable()[pcKey - 1] != KeyAction::None;
    bool withModifiers = false;
    for (const KeyMapEntry& entry : keys.Entries()) {
        if (entry.key != pcKey) continue;
        if ((entry.modifiers & Modifier::kLookupMask) == 0) {
            plain = true;
        } else {
            withModifiers = true;
        }
    }
    if (plain) return withModifiers ? KeyMappingState::Both : KeyMappingState::Plain;
    return withModifiers ? KeyMappingState::WithModifiers : KeyMappingState::None;
}

MappingKind KindOfAction(uint8_t action) {
    if (action == KeyAction::None) return MappingKind::None;
    if (action <= KeyAction::LastVtKey) return MappingKind::VtKey;
    switch (action) {
    case KeyAction::RunScriptFile:
        return MappingKind::ScriptFile;
    case KeyAction::ExecuteScript:
        return MappingKind::ScriptText;
    case KeyAction::MenuCommand:
        return MappingKind::MenuItem;
    default:
        return action >= KeyAction::LookInEntries ? MappingKind::Sequence : MappingKind::None;
    }
}

uint8_t ActionOfKind(MappingKind kind, int vtKey) {
    switch (kind) {
    case MappingKind::VtKey:
        return static_cast<uint8_t>(vtKey);
    case MappingKind::Sequence:
        return KeyAction::Send;
    case MappingKind::MenuItem:
        return KeyAction::MenuCommand;
    case MappingKind::ScriptText:
        return KeyAction::ExecuteScript;
    case MappingKind::ScriptFile:
        return KeyAction::RunScriptFile;
    case MappingKind::None:
        break;
    }
    return KeyAction::None;
}

} // namespace tamsivane
