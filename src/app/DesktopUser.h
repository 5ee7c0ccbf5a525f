// The desktop program's user: messages in boxes captioned "Tamsivane",
// questions as Yes/No boxes and save names from a file dialog.
#pragma once

#include <QPointer>
#include <QWidget>

#include "session/UserInteraction.h"

namespace tamsivane {

inline constexpr const char* kAppCaption = "Tamsivane";
// The file dialogs' filter for setup files.
inline constexpr const char* kSetupFileFilter = "QZV Files (*.qzv);;All Files (*)";
// The file dialog's filter for script files.
inline constexpr const char* kScriptFileFilter = "Tamsivane Scripts (*.wbq);;All Files (*)";

class DesktopUser final : public UserInteraction {
public:
    // owner: the window the boxes belong to (may be set later, may go away).
    explicit DesktopUser(QWidget* owner = nullptr) : owner_(owner) {}
    void SetOwner(QWidget* owner) { owner_ = owner; }
    // Where scripts' menu commands and new sessions go: the main window's
    // thread-safe requests, called on the script's thread.
    struct ScriptRequests {
        std::function<void(int command)> postCommand;
        std::function<void(const QString& setupFile)> openSession;
    };
    void SetScriptRequests(ScriptRequests requests) { requests_ = std::move(requests); }

    // Any thread, session lock possibly held: the box is queued to the GUI
    // thread and this returns at once.
    void ShowMessage(int stringId, std::string_view text) override;
    // GUI thread.
    Answer Ask(std::string_view caption, std::string_view question,
               Answer defaultAnswer) override;
    std::string ChooseSaveFile(std::string_view caption) override;
    // Script threads: the box or dialog runs on the GUI thread while the
    // script waits for it; a cancelled script closes it and goes on.
    int MessageBox(std::string_view text, std::string_view caption, int style,
                   const std::function<bool()>& cancelled) override;
    std::optional<std::string> InputBox(std::string_view prompt, std::string_view initial,
                                        InputStyle style,
                                        const std::function<bool()>& cancelled) override;

    // Script threads: queued to the main window.
    void MenuCommand(CVT420Doc& session, int command) override;
    void OpenSession(std::string_view path) override;

private:
    QPointer<QWidget> owner_;
    ScriptRequests requests_;
};

} // namespace tamsivane
