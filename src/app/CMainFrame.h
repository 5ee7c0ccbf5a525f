// The main window: the session windows in a multiple-document area, the
// menus and tool bar built from the command table, the status bar, the
// button bar and the chat line.  Remembers its size and bars in the
// application profile's "Window" section and carries the application-wide
// commands (open, save, new window, next, cascade, tile, help, about).
//
// Threads: the GUI thread, except RequestOpenSetupFile.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QPointer>
#include <QSessionManager>
#include <QStringList>
#include <QToolBar>
#include <QUrl>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/CSettingsSheet.h"
#include "app/SetupFileTrust.h"
#include "app/WindowState.h"
#include "config/AddressBook.h"
#include "config/AppProfile.h"
#include "config/Templates.h"
#include "session/CVT420Doc.h"
#include "session/UserInteraction.h"

namespace tamsivane {

class ButtonBar;
class CChildFrame;
class ChatLine;
class CommandActions;
class CVT420View;
class CVtKeyboardWnd;
class TransferMonitor;

// A script the user or a button asked to run in a session.
struct ScriptRequest {
    bool isFile = false; // text is a script file's path, otherwise the script itself
    std::string text;
};

class CMainFrame final : public QMainWindow {
    Q_OBJECT
public:
    // Sized and its bars shown from the profile's "Window" values; the caller
    // shows it (ShowAsProfileSays) after the command line was read.
    CMainFrame(AppProfile& profile, UserInteraction& user, Templates templates,
               QWidget* parent = nullptr);
    ~CMainFrame() override;

    // --- opening sessions.  Each returns the new session window, or nullptr
    // when the session could not be opened (the user has been told why, if
    // there was anything to tell).
    //
    // Setup files open without connecting after SetOpenWithoutConnecting(true).
    // One from elsewhere than the user's own files that would run something
    // is opened only as the user chooses.
    CChildFrame* OpenSetupFile(const QString& path);
    void SetOpenWithoutConnecting(bool on) { openWithoutConnecting_ = on; }
    // A session from the "default" template with these values, connected.
    CChildFrame* OpenNewSession(const ConnectionValues& values);
    // A session whose settings the caller prepared (CreateDocument, then
    // e.g. the New Connection dialog), connected.
    std::shared_ptr<CVT420Doc> CreateDocument();
    CChildFrame* OpenPreparedSession(std::shared_ptr<CVT420Doc> doc);
    // A session from an address-book entry: the "default" template, then
    // the entry's template, connection and login script; connected.
    CChildFrame* OpenAddressBookEntry(const AddressBookEntry& entry);
    // Where the address book is kept (found with the program's data unless set).
    void SetAddressBookFile(AddressBookPaths paths) { addressBook_ = std::move(paths); }
    const AddressBookPaths& AddressBookFile() const { return addressBook_; }
    // A second window on the session of frame (New Window).
    CChildFrame* OpenSecondWindow(CChildFrame& frame);

    // --- the active session
    CChildFrame* ActiveFrame() const;
    CVT420Doc* ActiveDocument() const;
    CVT420View* ActiveView() const;
    // Every session window, in the order they were opened.
    std::vector<CChildFrame*> SessionFrames() const;
    // The transfer monitor of a session's windows, made for its first one.
    std::shared_ptr<TransferMonitor> TransferMonitorFor(CVT420Doc& doc);

    // --- window state
    // Shows the window maximized or normal as the profile says.
    void ShowAsProfileSays();
    // Moves, sizes and shows the bars as the session's stored copy says and
    // takes its show state; nothing when the session never stored one.
    void ApplySessionWindowState(CVT420Doc& doc);
    WindowPlacement CurrentPlacement() const;

    // --- what the start-up code and later features plug in
    // Connection: New... (the New Connection dialog).
    void SetNewConnectionHandler(std::function<void()> handler);
    // Runs scripts for sessions (buttons with actions 1 and 2, the key map,
    // Run Script); without a runner plugged in, the session runs them.
    using ScriptRunner = std::function<void(CVT420Doc&, const ScriptRequest&)>;
    void SetScriptRunner(ScriptRunner runner) { scriptRunner_ = std::move(runner); }
    // The print setup the settings sheet's Print page runs on its working
    // copy; the system's print setup dialog unless one is plugged in.
    using PrintSetup = std::function<void(SettingsStore&, QWidget* parent)>;
    void SetPrintSetup(PrintSetup setup) { printSetup_ = std::move(setup); }
    void RunScript(CVT420Doc& doc, const ScriptRequest& request);
    // The recent setup files shown on the Connection menu (newest first).
    void SetRecentFiles(const QStringList& paths);
    // A script's request to open a setup file as a new session; any thread.
    void RequestOpenSetupFile(const QString& path);

    // --- commands
    // Runs a command id now; false when it is unknown or disabled.
    bool Execute(int id);
    // Runs it from the event loop.
    void PostCommand(int id);
    CommandActions& Commands() const { return *commands_; }
    void UpdateCommands();

    // The terminal view's pop-up menu, opened at a point of the screen.
    void ShowViewPopup(const QPoint& globalPosition);
    QMenu* ViewPopup() const { return viewPopup_; }

    // --- bars and panes
    QToolBar* ToolBar() const { return toolBar_; }
    QToolBar* ButtonBarDock() const { return buttonDock_; }
    QToolBar* ChatLineDock() const { return chatDock_; }
    ButtonBar* Buttons() const { return buttonBar_; }
    ChatLine* Chat() const { return chatLine_; }
    QMdiArea* Area() const { return area_; }
    void RebuildButtonBar();
    void ShowStatus(const QString& pageSize, const QString& cursorPosition, bool numericKeypad);
    void ApplyMenuProfile();

    // The VT Keyboard tool window while it is open, else nullptr.
    CVtKeyboardWnd* VtKeyboard() const;

    // What a settings sheet opened from this window works with.
    SettingsSheetContext SheetContext();

    AppProfile& Profile() const { return profile_; }
    UserInteraction& User() const { return user_; }

signals:
    // A setup file was opened or saved under a name (for the recent files).
    void setupFileUsed(const QString& path);

protected:
    void closeEvent(QCloseEvent* event) override;
    // Follows Caps Lock for the "CAP" pane from every key event.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    friend class CChildFrame;

    void CreateBars(const ProfileWindowValues& values);
    void CreateStatusBar(const ProfileWindowValues& values);
    void InstallHandlers();
    // Connects (or only makes the transport); tells the user when HostType
    // has no transport, with noTransportMessage when it is given.
    bool OpenConnection(CVT420Doc& doc, CVT420Doc::Connect connect, int noTransportMessage = 0);
    CChildFrame* AddFrame(std::shared_ptr<CVT420Doc> doc);
    // Asks about what a loaded setup file would run, unless it is the user's
    // own, and takes it out when the user says so; false: not to be opened.
    bool ConsentToActiveContent(CVT420Doc& doc, const QString& path, CVT420Doc::Connect& connect);
    void SessionWindowActivated(QMdiSubWindow* window);
    void SessionWindowClosed(bool autoExit);
    void StorePlacementIn(CVT420Doc& doc);
    // Asks each session in turn to disconnect; false at the first refusal.
    bool DisconnectEverySession();
    void CommitDataRequested(QSessionManager& manager);
    void OpenCommand();
    void SaveCommand();
    void SaveAsCommand();
    void CaptureCommand();
    // Connection: Send ZModem (several files may be chosen, sent as one batch).
    void SendFileCommand();
    // Connection: Run Script... (an existing script file, for the active session).
    void RunScriptCommand();
    // Connection: Settings... (the settings sheet).
    void SettingsCommand();
    // Edit: Record Macro (starts recording; the second time saves the macro).
    void RecordMacroCommand();
    void ButtonCommand(int id);
    bool SendChatLine(const QString& text, bool lineEnd);
    // View: VT Keyboard: opens the tool window, or closes it when open.
    void ToggleVtKeyboard();
    // Connection: Address Book...: the address book; Connect opens the entry's session.
    void AddressBookCommand();
    void OpenHelpContents();
    // The profile's "HelpURL" when it names a web page; empty otherwise.
    QUrl HelpWebAddress() const;
    void OpenHelpOnWeb();

    AppProfile& profile_;
    UserInteraction& user_;
    Templates templates_;
    AddressBookPaths addressBook_ = DiscoverAddressBook();
    OwnSetupFiles ownFiles_;
    bool openWithoutConnecting_ = false;
    bool closingMain_ = false;
    std::function<void()> newConnection_;
    ScriptRunner scriptRunner_;
    PrintSetup printSetup_;

    QMdiArea* area_;
    CommandActions* commands_;
    QToolBar* toolBar_ = nullptr;
    QToolBar* buttonDock_ = nullptr;
    QToolBar* chatDock_ = nullptr;
    ButtonBar* buttonBar_ = nullptr;
    ChatLine* chatLine_ = nullptr;
    QLabel* sizePane_ = nullptr;
    QLabel* cursorPane_ = nullptr;
    QLabel* capsPane_ = nullptr;
    QLabel* numPane_ = nullptr;
    QLabel* printingPane_ = nullptr;
    QMenu* viewPopup_ = nullptr;
    QPointer<CVtKeyboardWnd> vtKeyboard_; // cleared when the window goes
    std::vector<QAction*> recentActions_;
};

} // namespace tamsivane
