// What a script's built-in objects ask of the session it runs in and of the
// user.  Called on the script's thread, without the session lock held.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "config/SettingsStore.h"

namespace tamsivane {

// Message-box styles scripts pass to sys.MessageBox and its results.
namespace MessageBoxStyle {
enum : int {
    ButtonsMask =
        0x0F, // 0 OK, 1 OK Cancel, 2 Abort Retry Ignore, 3 Yes No Cancel, 4 Yes No, 5 Retry Cancel
    IconMask = 0xF0,     // 0x10 error, 0x20 question, 0x30 warning, 0x40 information
    DefaultMask = 0xF00, // 0x100 second button, 0x200 third
};
} // namespace MessageBoxStyle
namespace MessageBoxResult {
enum : int { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };
} // namespace MessageBoxResult

// The result of the default button of a message-box style.
int DefaultMessageBoxResult(int style);

// sys.InputBox styles.
enum class InputStyle : int { Plain = 0, Password = 1, SaveFile = 2, OpenFile = 3 };

class ScriptHost {
public:
    virtual ~ScriptHost() = default;

    // --- the session ("term")
    // Waits, until stop() turns true, for room to queue the bytes for the
    // host; false when they could not all be queued.
    virtual bool Send(std::string_view bytes, const std::function<bool()>& stop) = 0;
    // The rectangle of the displayed page, 1-based inclusive, clipped to the
    // page; rows joined by LF CR.
    virtual std::string ScreenText(int top, int left, int bottom, int right) = 0;
    virtual int CursorRow() = 0;    // from 0
    virtual int CursorColumn() = 0; // from 0
    virtual bool Connected() = 0;
    // A parameter by key name (index -1: no subscript); false when the name,
    // index or kind does not fit.
    virtual bool GetParameter(std::string_view key, int index, SettingValue& value) = 0;
    // Sets and applies a changed parameter; false as for GetParameter.
    virtual bool SetParameter(std::string_view key, int index, const SettingValue& value) = 0;
    // The command of a menu path; false when the path names none.
    virtual bool DoMenu(std::string_view path) = 0;
    virtual void MapKey(int key, int modifiers, int action, std::string_view text) = 0;
    // Soft reset and a view refresh.
    virtual void ClearTerminal() = 0;
    // As if the host had sent the bytes.
    virtual void SendLocal(std::string_view bytes) = 0;
    virtual void SendBreak() = 0;
    // Empty path: stop capturing.  Reports its own failure to the user.
    virtual void Capture(std::string_view path, std::string_view mode) = 0;
    virtual void Disconnect() = 0;
    virtual void SendZModem(std::string_view path) = 0;
    virtual void LoadSession(std::string_view path) = 0;

    // --- the user ("sys"); both return early, with the default answer, once
    // cancelled() turns true.
    virtual int MessageBox(std::string_view text, std::string_view caption, int style,
                           const std::function<bool()>& cancelled) = 0;
    // The edited text, or nothing after Cancel.
    virtual std::optional<std::string> InputBox(std::string_view prompt, std::string_view initial,
                                                InputStyle style,
                                                const std::function<bool()>& cancelled) = 0;
    // Script errors and other messages for the user.
    virtual void ShowMessage(std::string_view text) = 0;
    // The same for a script the host started: what its bytes caused.
    virtual void ShowHostMessage(int stringId, std::string_view text) {
        (void)stringId;
        ShowMessage(text);
    }
};

} // namespace tamsivane
