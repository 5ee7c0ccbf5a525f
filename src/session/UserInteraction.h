// What a session asks of its user beyond messages: yes/no questions and the
// name of a file to save to.  The desktop program shows dialogs; the headless
// program gives every question its default answer.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "script/ScriptHost.h"
#include "session/UserNotifier.h"

namespace tamsivane {

enum class Answer { Yes, No };

class CVT420Doc;

class UserInteraction : public UserNotifier {
public:
    // Waits for the user's answer, so it is called only from the thread that
    // drives the session (never from the I/O thread, never under the session
    // lock).  caption: the session's title.
    virtual Answer Ask(std::string_view caption, std::string_view question,
                       Answer defaultAnswer) = 0;
    // The path to save a setup file that has none yet; "" when the user
    // chose none.  caption: the session's title, which names the file
    // unless the user changes it.  Same threads as Ask.
    virtual std::string ChooseSaveFile(std::string_view caption) = 0;

    // --- what a connection asks while it is made, on its I/O thread without
    // the session lock; cancelled() as below.
    //
    // A host key to trust: true for Yes.  By default a message box with Yes
    // and No, No the default.
    virtual bool ConfirmHostKey(std::string_view question, const std::function<bool()>& cancelled);
    // A password, typed hidden; nothing when none (or an empty one) was
    // given.  By default an input box in the password style.
    virtual std::optional<std::string> AskPassword(std::string_view prompt,
                                                   const std::function<bool()>& cancelled);

    // --- what scripts ask for, on the script's thread without the session
    // lock.  Waits for the user end early, with the default answer, once
    // cancelled() turns true (the session is closing).  The defaults are
    // those of a program without windows.
    //
    // sys.MessageBox: the message shown, the default button's result.
    virtual int MessageBox(std::string_view text, std::string_view caption, int style,
                           const std::function<bool()>& cancelled);
    // sys.InputBox: the edited text, nothing after Cancel; by default the
    // initial text.
    virtual std::optional<std::string> InputBox(std::string_view prompt, std::string_view initial,
                                                InputStyle style,
                                                const std::function<bool()>& cancelled);
    // term.DoMenu: a command of the command table for the session; by
    // default the session commands that need no window run and the others
    // are reported.
    virtual void MenuCommand(CVT420Doc& session, int command);
    // sys.LoadSession: open a setup file as a new session.
    virtual void OpenSession(std::string_view path);
};

} // namespace tamsivane
