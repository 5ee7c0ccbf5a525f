#include "session/SessionScriptHost.h"

#include "keyboard/CommandTable.h"
#include "script/ScreenText.h"
#include "session/CVT420Doc.h"

namespace tamsivane {

bool SessionScriptHost::Send(std::string_view bytes, const std::function<bool()>& stop) {
    return session_.SendFromScript(bytes, stop);
}

std::string SessionScriptHost::ScreenText(int top, int left, int bottom, int right) {
    const SessionLock locked = session_.Locked();
    return ScreenRectangleText(locked.Emulator(), top, left, bottom, right);
}

int SessionScriptHost::CursorRow() {
    const SessionLock locked = session_.Locked();
    return locked.Emulator().Cursor().row;
}

int SessionScriptHost::CursorColumn() {
    const SessionLock locked = session_.Locked();
    return locked.Emulator().Cursor().column;
}

bool SessionScriptHost::Connected() {
    return session_.ConnectionState() == TransportState::Connected;
}

bool SessionScriptHost::GetParameter(std::string_view key, int index, SettingValue& value) {
    const SessionLock locked = session_.Locked();
    const SettingsStore& settings = locked.Settings();
    return (index < 0 ? settings.GetByName(key, value)
                      : settings.GetElementByName(key, index, value)) == 1;
}

bool SessionScriptHost::SetParameter(std::string_view key, int index, const SettingValue& value) {
    const SessionLock locked = session_.Locked();
    VtEmulator& emulator = locked.Emulator();
    ChangeSet changes;
    const int accepted = index < 0
                             ? emulator.Settings().SetByName(key, value, &changes)
                             : emulator.Settings().SetElementByName(key, index, value, &changes);
    if (accepted != 1) return false;
    emulator.ApplyChangeSet(changes);
    emulator.UpdateViews();
    return true;
}

bool SessionScriptHost::DoMenu(std::string_view path) {
    const int command = FindMenuCommand(path);
    if (command == 0) return false;
    user_.MenuCommand(session_, command);
    return true;
}

void SessionScriptHost::MapKey(int key, int modifiers, int action, std::string_view text) {
    const SessionLock locked = session_.Locked();
    locked.Keys().SetEntry(static_cast<uint8_t>(key), static_cast<uint8_t>(modifiers),
                             static_cast<uint8_t>(action), text);
}

void SessionScriptHost::ClearTerminal() {
    session_.ResetTerminal();
    const SessionLock locked = session_.Locked();
    locked.Emulator().UpdateViews();
}

void SessionScriptHost::SendLocal(std::string_view bytes) { session_.ReceiveLocally(bytes); }

void SessionScriptHost::SendBreak() { session_.SendBreak(); }

void SessionScriptHost::Capture(std::string_view path, std::string_view mode) {
    if (path.empty()) {
        session_.StopCapture();
    } else {
        session_.StartCapture(std::string(path), mode);
    }
}

void SessionScriptHost::Disconnect() { session_.StopConnection(); }

void SessionScriptHost::SendZModem(std::string_view path) {
    // A file that cannot be read is reported by the session itself.
    session_.StartSend({std::string(path)});
}

void SessionScriptHost::LoadSession(std::string_view path) { user_.OpenSession(path); }

int SessionScriptHost::MessageBox(std::string_view text, std::string_view caption, int style,
                                  const std::function<bool()>& cancelled) {
    return user_.MessageBox(text, caption, style, cancelled);
}

std::optional<std::string> SessionScriptHost::InputBox(std::string_view prompt,
                                                       std::string_view initial, InputStyle style,
                                                       const std::function<bool()>& cancelled) {
    return user_.InputBox(prompt, initial, style, cancelled);
}

void SessionScriptHost::ShowMessage(std::string_view text) { user_.ShowMessage(0, text); }

void SessionScriptHost::ShowHostMessage(int stringId, std::string_view text) {
    session_.ReportFromHost(stringId, text);
}

} // namespace tamsivane
