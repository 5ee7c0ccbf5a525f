// The session as its scripts see it: term's properties and methods become
// calls on the document, each taking the session lock for itself; what
// needs the user or the application goes to the session's user.
#pragma once

#include "script/ScriptHost.h"

namespace tamsivane {

class CVT420Doc;
class UserInteraction;

class SessionScriptHost final : public ScriptHost {
public:
    SessionScriptHost(CVT420Doc& session, UserInteraction& user) : session_(session), user_(user) {}

    bool Send(std::string_view bytes, const std::function<bool()>& stop) override;
    std::string ScreenText(int top, int left, int bottom, int right) override;
    int CursorRow() override;
    int CursorColumn() override;
    bool Connected() override;
    bool GetParameter(std::string_view key, int index, SettingValue& value) override;
    bool SetParameter(std::string_view key, int index, const SettingValue& value) override;
    bool DoMenu(std::string_view path) override;
    void MapKey(int key, int modifiers, int action, std::string_view text) override;
    void ClearTerminal() override;
    void SendLocal(std::string_view bytes) override;
    void SendBreak() override;
    void Capture(std::string_view path, std::string_view mode) override;
    void Disconnect() override;
    void SendZModem(std::string_view path) override;
    void LoadSession(std::string_view path) override;
    int MessageBox(std::string_view text, std::string_view caption, int style,
                   const std::function<bool()>& cancelled) override;
    std::optional<std::string> InputBox(std::string_view prompt, std::string_view initial,
                                        InputStyle style,
                                        const std::function<bool()>& cancelled) override;
    void ShowMessage(std::string_view text) override;
    void ShowHostMessage(int stringId, std::string_view text) override;

private:
    CVT420Doc& session_;
    UserInteraction& user_;
};

} // namespace tamsivane
