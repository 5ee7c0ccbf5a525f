#include "session/ActiveContent.h"

#include "keyboard/PcKeys.h"
#include "transport/TransportHost.h"

namespace tamsivane {
namespace {

constexpr size_t kShownLength = 80;

// The first line of a script or command, cut to a readable length.
std::string FirstLine(const std::string& text) {
    std::string line = text.substr(0, text.find_first_of("\r\n"));
    if (line.size() > kShownLength) line = line.substr(0, kShownLength) + "...";
    return line;
}

bool IsScriptAction(uint8_t action) {
    return action == KeyAction::RunScriptFile || action == KeyAction::ExecuteScript;
}

bool IsScriptButton(const SettingsStore& settings, int index) {
    const int32_t action = settings.GetArrayNumber(P::ButtonAction, index);
    return (action == 1 || action == 2) && !settings.GetArrayString(P::ButtonString, index).empty();
}

std::string KeyLabel(const KeyMapEntry& entry) {
    std::string label;
    if (entry.modifiers & Modifier::Alt) label += "Alt+";
    if (entry.modifiers & Modifier::Ctrl) label += "Ctrl+";
    if (entry.modifiers & Modifier::Shift) label += "Shift+";
    const char* name = PcKeyName(entry.key);
    return label + (name != nullptr ? name : "Key #" + std::to_string(entry.key));
}

} // namespace

ActiveContent FindActiveContent(const SettingsStore& settings, const KeyMap& keys) {
    ActiveContent content;
    if (settings.GetNumber(P::HostType) == static_cast<int32_t>(TransportType::Shell) &&
        !settings.GetString(P::HostName).empty()) {
        content.localCommand = true;
        content.items.push_back("Local command: " + FirstLine(settings.GetString(P::HostName)));
    }
    if (settings.GetNumber(P::LoginScript) != 0) {
        content.items.push_back("Login script: " + FirstLine(settings.GetString(P::Script)));
    }
    if (settings.GetNumber(P::HostScript) != 0) {
        content.items.push_back("Scripts sent by the host may use protected functions");
    }
    for (const KeyMapEntry& entry : keys.Entries()) {
        if (!IsScriptAction(entry.action)) continue;
        content.items.push_back("Script on the key " + KeyLabel(entry) + ": " +
                                FirstLine(entry.text));
    }
    for (int index = 0; index < Descriptor(P::ButtonAction).count; ++index) {
        if (!IsScriptButton(settings, index)) continue;
        content.items.push_back("Script on the button \"" +
                                settings.GetArrayString(P::ButtonCaption, index) +
                                "\": " + FirstLine(settings.GetArrayString(P::ButtonString, index)));
    }
    return content;
}

void RemoveScripts(SettingsStore& settings, KeyMap& keys) {
    settings.SetNumber(P::LoginScript, 0);
    settings.SetNumber(P::HostScript, 0);
    std::vector<KeyMapEntry> scriptKeys;
    for (const KeyMapEntry& entry : keys.Entries()) {
        if (IsScriptAction(entry.action)) scriptKeys.push_back(entry);
    }
    for (const KeyMapEntry& entry : scriptKeys) keys.RemoveEntry(entry.key, entry.modifiers);
    for (int index = 0; index < Descriptor(P::ButtonAction).count; ++index) {
        if (!IsScriptButton(settings, index)) continue;
        settings.SetArrayNumber(P::ButtonAction, index, 0);
        settings.SetArrayString(P::ButtonString, index, "");
    }
}

} // namespace tamsivane
