// What a terminal view needs from the frame around it: the main window's and
// the child frame's titles, closing the session window, sizing it, posting
// commands to the main window, the button bar, the status bar, the menu bar,
// the pop-up menu and the application profile.
//
// Threads: the GUI thread only.  The view calls these from its own event
// handlers; none of them may delete the view synchronously.
#pragma once

#include <QPoint>
#include <QString>
#include <string>

#include "config/AppProfile.h"
#include "platform/BuildInfo.h"

namespace tamsivane {

// "Tamsivane" and the version.
inline QString ProgramTitle() {
    return QStringLiteral("Tamsivane %1").arg(QString::fromLatin1(ProgramVersion()));
}
inline constexpr const char* kDisconnectedMark = " - Disconnected";

// The main window's title for a session title; the program's name alone
// when there is no session title.
inline QString MainWindowTitle(const QString& sessionTitle) {
    const QString program = ProgramTitle();
    return sessionTitle.isEmpty() ? program : QStringLiteral("%1 - %2").arg(sessionTitle, program);
}

// The status bar's page size: columns "x" lines, as "80x24".
inline QString PageSizeText(int columns, int lines) {
    return QStringLiteral("%1x%2").arg(columns).arg(lines);
}

class ViewHost {
public:
    virtual ~ViewHost() = default;

    // The main window's title becomes MainWindowTitle(sessionTitle).
    virtual void ShowSessionTitle(const QString& sessionTitle) = 0;
    // The title of the child frame that holds the view.
    virtual QString FrameTitle() const = 0;
    virtual void SetFrameTitle(const QString& title) = 0;
    // Closes the session window after its connection ended (AutoClose); the
    // view goes with deleteLater, never inside this call.
    virtual void CloseSessionWindow() = 0;
    // The session window is already being closed.
    virtual bool IsFrameClosing() const = 0;
    // Runs a command id through the main window's commands, later (posted).
    virtual void PostCommand(int id) = 0;
    // Runs a script of the session's key map in this session: the script's
    // text, or with isFile the path of a script file.
    virtual void RunScript(bool isFile, const std::string& text) = 0;
    // Rebuilds the button bar from this session's settings.
    virtual void RebuildButtonBar() = 0;
    // The status bar's panes: the page size as "columnsxlines", the cursor
    // as "row:column" (both from 1) and whether the keypad is in numeric
    // mode ("NUM").
    virtual void StatusChanged(const QString& pageSize, const QString& cursorPosition,
                               bool numericKeypad) = 0;
    // A passing note in the status bar.
    virtual void ShowNote(const QString& text) = 0;
    // Sizes the session window to the view's size hint (its whole page);
    // false when it cannot take that size (maximized, or no room for it).
    virtual bool FitWindowToView() = 0;
    // The profile value "menu" is 0: the main window's menu bar is hidden
    // when a session view is first shown.
    virtual void HideMenuBar() = 0;
    // The "View Popup" menu at a point of the screen.
    virtual void ShowViewPopup(const QPoint& globalPosition) = 0;
    virtual AppProfile& Profile() = 0;
};

// The profile value of the "Window" section that lets F10 open the menu bar
// (0, the default, sends F10 to the host).
inline constexpr const char* kF10MenuProfileValue = "F10Menu";

} // namespace tamsivane
