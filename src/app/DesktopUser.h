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

class DesktopUser final : public UserInteraction {
public:
    // owner: the window the boxes belong to (may be set later, may go away).
    explicit DesktopUser(QWidget* owner = nullptr) : owner_(owner) {}
    void SetOwner(QWidget* owner) { owner_ = owner; }

    // Any thread, session lock possibly held: the box is queued to the GUI
    // thread and this returns at once.
    void ShowMessage(int stringId, std::string_view text) override;
    // GUI thread.
    Answer Ask(std::string_view caption, std::string_view question,
               Answer defaultAnswer) override;
    std::string ChooseSaveFile(std::string_view caption) override;

private:
    QPointer<QWidget> owner_;
};

} // namespace tamsivane
