// What a user without windows answers scripts.
#include "session/UserInteraction.h"

#include "config/ResourceStrings.h"
#include "keyboard/CommandIds.h"
#include "keyboard/CommandTable.h"
#include "session/CVT420Doc.h"

namespace tamsivane {
namespace {

struct SessionCommand {
    int id;
    void (*run)(CVT420Doc& session);
};

// The menu commands a session carries out without a window.
constexpr SessionCommand kSessionCommands[] = {
    {Command::Reconnect, [](CVT420Doc& s) { s.Reconnect(); }},
    {Command::HoldScreen, [](CVT420Doc& s) { s.SetHold(!s.IsHeld()); }},
    {Command::ShowHistory, [](CVT420Doc& s) { s.ToggleHistory(); }},
    {Command::ClearDisplay, [](CVT420Doc& s) { s.ClearDisplay(); }},
    {Command::ClearHistory, [](CVT420Doc& s) { s.ClearHistory(); }},
    {Command::ClearAll, [](CVT420Doc& s) { s.ClearAll(); }},
    {Command::ResetTerminal, [](CVT420Doc& s) { s.ResetTerminal(); }},
};

} // namespace

bool UserInteraction::ConfirmHostKey(std::string_view question,
                                     const std::function<bool()>& cancelled) {
    const int style = 4 /* Yes No */ | 0x20 /* question */ | 0x100 /* No the default */;
    return MessageBox(question, "Tamsivane", style, cancelled) == MessageBoxResult::Yes;
}

std::optional<std::string> UserInteraction::AskPassword(std::string_view prompt,
                                                        const std::function<bool()>& cancelled) {
    std::optional<std::string> typed = InputBox(prompt, "", InputStyle::Password, cancelled);
    if (typed && typed->empty()) typed.reset();
    return typed;
}

int UserInteraction::MessageBox(std::string_view text, std::string_view, int style,
                                const std::function<bool()>&) {
    ShowMessage(0, text);
    return DefaultMessageBoxResult(style);
}

std::optional<std::string> UserInteraction::InputBox(std::string_view, std::string_view initial,
                                                     InputStyle, const std::function<bool()>&) {
    return std::string(initial);
}

void UserInteraction::MenuCommand(CVT420Doc& session, int command) {
    for (const SessionCommand& entry : kSessionCommands) {
        if (entry.id == command) {
            entry.run(session);
            return;
        }
    }
    const CommandInfo* info = FindCommand(command);
    ShowMessage(Msg::CommandNeedsDesktop,
                FormatResource(Msg::CommandNeedsDesktop,
                               {info ? MenuPath(*info) : std::to_string(command)}));
}

void UserInteraction::OpenSession(std::string_view path) {
    ShowMessage(Msg::SessionNeedsDesktop, FormatResource(Msg::SessionNeedsDesktop, {path}));
}

} // namespace tamsivane
