#include "app/CMainFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSessionManager>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

#include <array>
#include <mutex>

#include "app/AboutBox.h"
#include "app/ButtonBar.h"
#include "app/CAddressBookDlg.h"
#include "app/CChildFrame.h"
#include "app/CSaveMacroDlg.h"
#include "app/CSaveTemplateDlg.h"
#include "app/ChatLine.h"
#include "app/CommandActions.h"
#include "app/DesktopUser.h"
#include "app/HelpFiles.h"
#include "app/HostBars.h"
#include "app/PrintCommands.h"
#include "app/QtPrinting.h"
#include "app/SessionInput.h"
#include "app/SettingsCommands.h"
#include "app/ToolBarIcons.h"
#include "app/TransferMonitor.h"
#include "config/LineDevices.h"
#include "config/ResourceStrings.h"
#include "keyboard/CommandIds.h"
#include "keyboard/CommandTable.h"
#include "keyboard/PcKeys.h"
#include "script/MacroTargets.h"
#include "session/ActiveContent.h"
#include "session/AddressBookSession.h"
#include "session/NewConnection.h"
#include "session/TransportFactory.h"
#include "view/CVT420View.h"
#include "view/CVtKeyboardWnd.h"
#include "view/QtKeyTranslator.h"
#include "view/ViewHost.h"

namespace tamsivane {
namespace {

QLabel* MakePane(const QString& sizedFor, QWidget* parent) {
    auto* pane = new QLabel(parent);
    pane->setAlignment(Qt::AlignCenter);
    pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(sizedFor) + 8);
    pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return pane;
}

// The terminal view's pop-up menu; 0 is a separator.
constexpr int kViewPopupCommands[] = {
    Command::Copy,         Command::Paste,        0,                 Command::Close,
    Command::Settings,     Command::Print,        0,                 Command::ClearDisplay,
    Command::ClearHistory, Command::ClearAll,     Command::LargerFont, Command::SmallerFont,
    0,                     Command::Capture,
};

// A bar that may dock at the top or the bottom and holds one widget.
QToolBar* MakeDialogBar(const QString& name, QWidget* content, QMainWindow* window) {
    auto* bar = new QToolBar(name, window);
    bar->setObjectName(name);
    bar->setAllowedAreas(Qt::TopToolBarArea | Qt::BottomToolBarArea);
    bar->setFloatable(false);
    bar->addWidget(content);
    return bar;
}

// The session windows' area.  The keyboard belongs to the terminal views, so
// Ctrl+Tab does not switch windows here (Window: Next does).  Windows that
// are not maximized stay inside it as it shrinks, so that their views show
// scroll bars (or a smaller font) instead of being cut off.
class SessionArea final : public QMdiArea {
public:
    using QMdiArea::QMdiArea;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
            return QAbstractScrollArea::eventFilter(watched, event);
        }
        return QMdiArea::eventFilter(watched, event);
    }

    void resizeEvent(QResizeEvent* event) override {
        QMdiArea::resizeEvent(event);
        // Before the main window shows, the area has no size of its own yet.
        if (!isVisible()) return;
        const QRect room = viewport()->rect();
        for (QMdiSubWindow* window : subWindowList()) {
            if (window->isMaximized() || window->isMinimized() || window->isHidden()) continue;
            const QRect inside = KeptInside(window->geometry(), room);
            if (inside != window->geometry()) window->setGeometry(inside);
        }
    }
};

} // namespace

CMainFrame::CMainFrame(AppProfile& profile, UserInteraction& user, Templates templates,
                       QWidget* parent)
    : QMainWindow(parent),
      profile_(profile),
      user_(user),
      templates_(std::move(templates)),
      ownFiles_(profile_, templates_.Folders()),
      area_(new SessionArea(this)),
      commands_(new CommandActions(this)) {
    const ProfileWindowValues values = ReadWindowValues(profile_);
    if (values.size.isEmpty()) {
        const QScreen* shown = screen();
        resize(FirstStartSize(shown != nullptr ? shown->availableGeometry() : QRect(0, 0, 800, 600)));
    } else {
        resize(values.size);
    }
    setCentralWidget(area_);
    area_->setActivationOrder(QMdiArea::CreationOrder);
    connect(area_, &QMdiArea::subWindowActivated, this, &CMainFrame::SessionWindowActivated);

    commands_->BuildMenus(menuBar());
    viewPopup_ = new QMenu("View Popup", this);
    commands_->AddActions(*viewPopup_, kViewPopupCommands);
    connect(viewPopup_, &QMenu::aboutToShow, commands_, &CommandActions::Update);
    CreateBars(values);
    CreateStatusBar(values);
    InstallHandlers();

    menuBar()->setVisible(values.menu);
    if (!values.sysMenu || !values.titleBar) {
        Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint;
        if (values.titleBar) flags |= Qt::WindowTitleHint;
        setWindowFlags(flags);
    }
    setWindowTitle(ProgramTitle());
    // Every window and dialog of the program shows its icon.
    if (QApplication::windowIcon().isNull()) QApplication::setWindowIcon(ProgramIcon());
    setWindowIcon(QApplication::windowIcon());

    qApp->installEventFilter(this);
    connect(qApp, &QGuiApplication::commitDataRequest, this, &CMainFrame::CommitDataRequested);

    // Menus are brought up to date when they open; the tool bar when idle.
    auto* updater = new QTimer(this);
    connect(updater, &QTimer::timeout, this, &CMainFrame::UpdateCommands);
    updater->start(200);
    UpdateCommands();
}

CMainFrame::~CMainFrame() {
    // The session windows go while this window is whole: their views talk
    // to it until they are gone.
    for (QMdiSubWindow* window : area_->subWindowList()) delete window;
}

void CMainFrame::CreateBars(const ProfileWindowValues& values) {
    toolBar_ = addToolBar("Toolbar");
    toolBar_->setObjectName("Toolbar");
    toolBar_->setIconSize(QSize(32, 32));
    FillToolBar(*toolBar_, *commands_);
    toolBar_->setVisible(values.bars.toolBar);

    buttonBar_ = new ButtonBar(this);
    connect(buttonBar_, &ButtonBar::command, this, &CMainFrame::Execute);
    buttonDock_ = MakeDialogBar("Button Palette", buttonBar_, this);
    // A row of its own: the buttons share the width with nothing.
    addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, buttonDock_);
    buttonDock_->setVisible(values.bars.buttonBar);

    chatLine_ = new ChatLine(this);
    chatLine_->SetSender(
        [this](const QString& text, bool lineEnd) { return SendChatLine(text, lineEnd); });
    chatDock_ = MakeDialogBar("Chat Line", chatLine_, this);
    addToolBar(Qt::BottomToolBarArea, chatDock_);
    chatDock_->setVisible(values.bars.chatLine);
}

void CMainFrame::CreateStatusBar(const ProfileWindowValues& values) {
    QStatusBar* bar = statusBar();
    sizePane_ = MakePane("132x24", bar);
    sizePane_->setToolTip("Terminal size (columns x lines)");
    cursorPane_ = MakePane("144:132", bar);
    cursorPane_->setToolTip("Cursor position (line:column)");
    capsPane_ = MakePane("CAP", bar);
    numPane_ = MakePane("NUM", bar);
    printingPane_ = MakePane("Printing", bar);
    for (QLabel* pane : {sizePane_, cursorPane_, capsPane_, numPane_, printingPane_}) {
        bar->addPermanentWidget(pane);
    }
    bar->showMessage("Ready");
    bar->setVisible(values.bars.statusBar);
}

// --- opening sessions ---------------------------------------------------------

std::shared_ptr<CVT420Doc> CMainFrame::CreateDocument() {
    auto doc = std::make_shared<CVT420Doc>(user_);
    doc->SetHostScriptPolicy(ReadHostScriptPolicy(profile_));
    doc->SetPrintBackend(std::make_shared<QtPrintBackend>(ReadPrintDevices(profile_)));
    doc->SetSavedListener([this](const std::string& path) { ownFiles_.Remember(path); });
    return doc;
}

CChildFrame* CMainFrame::OpenSetupFile(const QString& path) {
    std::shared_ptr<CVT420Doc> doc = CreateDocument();
    if (!doc->LoadSetupFile(QFile::encodeName(path).toStdString())) return nullptr;
    CVT420Doc::Connect connect =
        openWithoutConnecting_ ? CVT420Doc::Connect::Later : CVT420Doc::Connect::Now;
    if (!ConsentToActiveContent(*doc, path, connect) || !OpenConnection(*doc, connect)) {
        return nullptr;
    }
    emit setupFileUsed(QFileInfo(path).absoluteFilePath());
    return AddFrame(std::move(doc));
}

bool CMainFrame::ConsentToActiveContent(CVT420Doc& doc, const QString& path,
                                        CVT420Doc::Connect& connect) {
    const std::string file = QFile::encodeName(path).toStdString();
    ActiveContent content;
    {
        const SessionLock locked = doc.Locked();
        content = FindActiveContent(locked.Settings(), locked.Keys());
    }
    if (content.items.empty() || ownFiles_.IsOwn(file)) return true;
    switch (AskAboutActiveContent(this, path, content.items)) {
    case ActiveContentChoice::OpenAndAllow:
        ownFiles_.Remember(file);
        return true;
    case ActiveContentChoice::OpenWithoutRunning: {
        const SessionLock locked = doc.Locked();
        RemoveScripts(locked.Settings(), locked.Keys());
        if (content.localCommand) connect = CVT420Doc::Connect::Later;
        return true;
    }
    case ActiveContentChoice::Cancel: break;
    }
    return false;
}

CChildFrame* CMainFrame::OpenNewSession(const ConnectionValues& values) {
    std::shared_ptr<CVT420Doc> doc = CreateDocument();
    doc->LoadNewSession(templates_, values);
    return OpenPreparedSession(std::move(doc));
}

CChildFrame* CMainFrame::OpenPreparedSession(std::shared_ptr<CVT420Doc> doc) {
    if (!doc || !OpenConnection(*doc, CVT420Doc::Connect::Now)) return nullptr;
    return AddFrame(std::move(doc));
}

CChildFrame* CMainFrame::OpenAddressBookEntry(const AddressBookEntry& entry) {
    std::shared_ptr<CVT420Doc> doc = CreateDocument();
    doc->LoadNewSession(templates_, ConnectionValues{});
    bool applied;
    {
        const SessionLock locked = doc->Locked();
        applied = ApplyAddressBookEntry(entry, templates_, locked.Settings(),
                                        locked.Keys(), user_);
    }
    if (!applied || !OpenConnection(*doc, CVT420Doc::Connect::Now, Msg::ConnectionNotSupported)) return nullptr;
    return AddFrame(std::move(doc));
}

bool CMainFrame::OpenConnection(CVT420Doc& doc, CVT420Doc::Connect connect,
                                int noTransportMessage) {
    // The devices as configured now (the New Connection dialog may have
    // changed the modems).
    doc.SetLineDevices(ReadLineDevices(profile_));
    doc.SetTerminalName(ChosenTerminalName(profile_));
    if (doc.OpenConnection(connect)) return true;
    if (noTransportMessage != 0) {
        user_.Notify(noTransportMessage);
        return false;
    }
    int hostType;
    {
        const SessionLock locked = doc.Locked();
        hostType = locked.Settings().GetNumber(P::HostType);
    }
    user_.ShowMessage(0, NoTransportMessage(hostType));
    return false;
}

CChildFrame* CMainFrame::OpenSecondWindow(CChildFrame& frame) {
    return AddFrame(frame.SharedDocument());
}

CChildFrame* CMainFrame::AddFrame(std::shared_ptr<CVT420Doc> doc) {
    bool maximize;
    {
        const SessionLock locked = doc->Locked();
        maximize = locked.Settings().GetNumber(P::Maximize) != 0;
    }
    // Each new window a step further in than the one before.
    const int step = 24 * static_cast<int>(SessionFrames().size() % 8);
    auto* frame = new CChildFrame(*this, std::move(doc));
    area_->addSubWindow(frame);
    if (maximize) {
        // The area keeps a maximized window filling it as it changes size.
        frame->showMaximized();
    } else {
        // As large as its page at the session's font; within the area once
        // the area has a size of its own.
        QRect placed(QPoint(step, step), frame->sizeHint());
        if (area_->isVisible()) placed = KeptInside(placed, area_->viewport()->rect());
        frame->setGeometry(placed);
        frame->show();
    }
    area_->setActiveSubWindow(frame);
    frame->View()->setFocus(Qt::OtherFocusReason);
    return frame;
}

void CMainFrame::RequestOpenSetupFile(const QString& path) {
    QMetaObject::invokeMethod(this, [this, path] { OpenSetupFile(path); }, Qt::QueuedConnection);
}

// --- the active session ---------------------------------------------------------

CChildFrame* CMainFrame::ActiveFrame() const {
    auto* frame = qobject_cast<CChildFrame*>(area_->activeSubWindow());
    return frame != nullptr && !frame->IsClosed() ? frame : nullptr;
}

CVT420Doc* CMainFrame::ActiveDocument() const {
    CChildFrame* frame = ActiveFrame();
    return frame != nullptr ? &frame->Document() : nullptr;
}

CVT420View* CMainFrame::ActiveView() const {
    CChildFrame* frame = ActiveFrame();
    return frame != nullptr ? frame->View() : nullptr;
}

std::vector<CChildFrame*> CMainFrame::SessionFrames() const {
    std::vector<CChildFrame*> frames;
    for (QMdiSubWindow* window : area_->subWindowList(QMdiArea::CreationOrder)) {
        auto* frame = qobject_cast<CChildFrame*>(window);
        if (frame != nullptr && !frame->IsClosed()) frames.push_back(frame);
    }
    return frames;
}

std::shared_ptr<TransferMonitor> CMainFrame::TransferMonitorFor(CVT420Doc& doc) {
    for (QMdiSubWindow* window : area_->subWindowList()) {
        auto* frame = qobject_cast<CChildFrame*>(window);
        if (frame != nullptr && &frame->Document() == &doc) return frame->Transfers();
    }
    return std::make_shared<TransferMonitor>(doc, this);
}

void CMainFrame::SessionWindowActivated(QMdiSubWindow*) {
    ApplyMenuProfile();
    RebuildButtonBar();
    if (CChildFrame* frame = ActiveFrame()) {
        // The view sets the titles; the panes show this session from now on
        // (its view reports only what changes).
        if (frame->View() != nullptr) frame->View()->Activate();
        CVT420Doc& doc = frame->Document();
        bool numericKeypad;
        QString pageSize;
        {
            const SessionLock locked = doc.Locked();
            const SettingsStore& settings = locked.Settings();
            numericKeypad = settings.GetNumber(P::NumericKeypad) != 0;
            pageSize = PageSizeText(settings.GetNumber(P::Columns), locked.Screen().Lines());
        }
        ShowStatus(pageSize, QString::fromStdString(doc.CursorPositionText()), numericKeypad);
    } else {
        setWindowTitle(ProgramTitle());
        sizePane_->clear();
        cursorPane_->clear();
        numPane_->clear();
    }
    UpdateCommands();
}

void CMainFrame::SessionWindowClosed(bool autoExit) {
    QTimer::singleShot(0, this, [this, autoExit] {
        if (autoExit && !closingMain_ && SessionFrames().empty()) close();
    });
}

// --- window state -----------------------------------------------------------------

void CMainFrame::ShowAsProfileSays() {
    if (ReadWindowValues(profile_).maximized) {
        showMaximized();
    } else {
        show();
    }
}

WindowPlacement CMainFrame::CurrentPlacement() const {
    WindowPlacement placement;
    placement.maximized = isMaximized();
    placement.normal = placement.maximized || isMinimized() ? normalGeometry() : geometry();
    if (!placement.normal.isValid()) placement.normal = geometry();
    // Shown means not hidden: the window itself may be hidden or minimized.
    placement.bars.toolBar = !toolBar_->isHidden();
    placement.bars.statusBar = !statusBar()->isHidden();
    placement.bars.buttonBar = !buttonDock_->isHidden();
    placement.bars.chatLine = !chatDock_->isHidden();
    return placement;
}

void CMainFrame::ApplySessionWindowState(CVT420Doc& doc) {
    std::optional<WindowPlacement> placement;
    {
        const SessionLock locked = doc.Locked();
        placement = PlacementFromSettings(locked.Settings());
    }
    if (!placement) return;
    // A window placed on a screen that is not there any more comes back.
    if (const QScreen* shown = screen();
        shown != nullptr && !shown->availableVirtualGeometry().intersects(placement->normal)) {
        placement->normal.moveTopLeft(shown->availableGeometry().topLeft());
    }
    toolBar_->setVisible(placement->bars.toolBar);
    statusBar()->setVisible(placement->bars.statusBar);
    buttonDock_->setVisible(placement->bars.buttonBar);
    chatDock_->setVisible(placement->bars.chatLine);
    if (placement->maximized) {
        setGeometry(placement->normal);
        showMaximized();
    } else {
        showNormal();
        setGeometry(placement->normal);
    }
}

void CMainFrame::StorePlacementIn(CVT420Doc& doc) {
    const WindowPlacement placement = CurrentPlacement();
    const SessionLock locked = doc.Locked();
    StorePlacement(locked.Settings(), placement);
}

void CMainFrame::ApplyMenuProfile() {
    if (ReadWindowValues(profile_).menu) return;
    menuBar()->hide();
}

// --- closing ------------------------------------------------------------------------

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (CChildFrame* active = ActiveFrame()) {
        area_->setActiveSubWindow(active);
        const SessionLock locked = active->Document().Locked();
        if (locked.Settings().GetNumber(P::CantCloseWindow) != 0) {
            event->ignore();
            return;
        }
    }
    WriteWindowValues(profile_, CurrentPlacement());
    closingMain_ = true;
    if (!DisconnectEverySession()) {
        closingMain_ = false;
        event->ignore();
        return;
    }
    for (CChildFrame* frame : SessionFrames()) frame->CloseApproved();
    QMainWindow::closeEvent(event);
}

bool CMainFrame::DisconnectEverySession() {
    std::vector<const CVT420Doc*> asked;
    for (CChildFrame* frame : SessionFrames()) {
        CVT420Doc& doc = frame->Document();
        if (std::find(asked.begin(), asked.end(), &doc) != asked.end()) continue;
        area_->setActiveSubWindow(frame);
        StorePlacementIn(doc);
        if (!doc.Disconnect(CVT420Doc::Confirm::Ask)) return false;
        asked.push_back(&doc);
    }
    return true;
}

void CMainFrame::CommitDataRequested(QSessionManager& manager) {
    // The desktop session is ending: every session is asked as when the
    // window closes, and one refusal refuses the end.
    if (!manager.allowsInteraction()) return;
    const bool agreed = DisconnectEverySession();
    manager.release();
    if (!agreed) manager.cancel();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        // Bit 1 of the native modifiers is the Lock modifier, under X11 and
        // under the keyboard maps of Wayland compositors alike.
        const auto* key = static_cast<QKeyEvent*>(event);
        capsPane_->setText((key->nativeModifiers() & 0x2) != 0 ? "CAP" : "");
    }
    return QMainWindow::eventFilter(watched, event);
}

// --- commands -----------------------------------------------------------------------

bool CMainFrame::Execute(int id) {
    if (id >= Command::FirstButton && id < Command::FirstButton + kButtonsPerPage) {
        ButtonCommand(id);
        return true;
    }
    if (id == Command::ButtonPageDown || id == Command::ButtonPageUp) {
        CChildFrame* frame = ActiveFrame();
        if (frame == nullptr) return false;
        frame->SetButtonPage(frame->ButtonPage() + (id == Command::ButtonPageUp ? 1 : -1));
        RebuildButtonBar();
        if (frame->View() != nullptr) frame->View()->setFocus(Qt::OtherFocusReason);
        return true;
    }
    if (id == Command::ChatLineSend) {
        if (chatDock_->isHidden()) return false;
        chatLine_->SendOrFocus();
        return true;
    }
    if (id == Command::OpenMenuBar) {
        if (menuBar()->isHidden() || menuBar()->actions().isEmpty()) return false;
        menuBar()->setFocus(Qt::ShortcutFocusReason);
        menuBar()->setActiveAction(menuBar()->actions().first());
        return true;
    }
    return commands_->Execute(id);
}

void CMainFrame::keyPressEvent(QKeyEvent* event) {
    // Keys that no session view takes (no session yet, or the focus on a
    // bar) still run the menus' shortcuts.
    const PcKeyPress press = QtKeyTranslator().Translate(*event);
    const uint8_t key = NormalizeKey(press.virtualKey, press.extended);
    const int command =
        ShortcutCommand(key, ModifierState(key, press.alt, press.ctrl, press.shift, false));
    if (command != 0 && Execute(command)) return;
    QMainWindow::keyPressEvent(event);
}

void CMainFrame::PostCommand(int id) {
    QMetaObject::invokeMethod(this, [this, id] { Execute(id); }, Qt::QueuedConnection);
}

void CMainFrame::UpdateCommands() {
    commands_->Update();
    const CVT420Doc* doc = ActiveDocument();
    printingPane_->setText(doc != nullptr && doc->PrintingMode() != PrintMode::None ? "Printing"
                                                                                    : QString());
}

void CMainFrame::SetNewConnectionHandler(std::function<void()> handler) {
    newConnection_ = std::move(handler);
}

void CMainFrame::RunScript(CVT420Doc& doc, const ScriptRequest& request) {
    if (scriptRunner_) {
        scriptRunner_(doc, request);
    } else if (request.isFile) {
        doc.RunScriptFile(request.text);
    } else {
        doc.RunScriptText(request.text);
    }
}

void CMainFrame::SetRecentFiles(const QStringList& paths) {
    for (QAction* action : recentActions_) delete action;
    recentActions_.clear();
    QMenu* menu = commands_->Menu("Connection");
    if (menu == nullptr) return;
    QAction* exit = commands_->Action(Command::Exit);
    for (int i = 0; i < paths.size(); ++i) {
        const QString path = paths[i];
        auto* action = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(path), menu);
        connect(action, &QAction::triggered, this, [this, path] { OpenSetupFile(path); });
        menu->insertAction(exit, action);
        recentActions_.push_back(action);
    }
    if (!paths.isEmpty()) recentActions_.push_back(menu->insertSeparator(exit));
}

void CMainFrame::ButtonCommand(int id) {
    CChildFrame* frame = ActiveFrame();
    if (frame == nullptr) return;
    CVT420Doc& doc = frame->Document();
    const int index = frame->ButtonPage() * kButtonsPerPage + (id - Command::FirstButton);
    int action;
    std::string text;
    {
        const SessionLock locked = doc.Locked();
        const SettingsStore& settings = locked.Settings();
        action = settings.GetArrayNumber(P::ButtonAction, index);
        text = settings.GetArrayString(P::ButtonString, index);
    }
    if (!text.empty()) {
        switch (action) {
        case 0:
            doc.Send(ButtonBytes(text));
            break;
        case 1:
        case 2:
            RunScript(doc, ScriptRequest{action == 2, text});
            break;
        default:
            break;
        }
    }
    if (frame->View() != nullptr) frame->View()->setFocus(Qt::OtherFocusReason);
}

void CMainFrame::RebuildButtonBar() {
    CChildFrame* frame = ActiveFrame();
    if (frame == nullptr) {
        buttonBar_->ShowNoSession();
        return;
    }
    const int page = frame->ButtonPage();
    std::array<QString, kButtonsPerPage> captions;
    {
        CVT420Doc& doc = frame->Document();
        const SessionLock locked = doc.Locked();
        const SettingsStore& settings = locked.Settings();
        for (int i = 0; i < kButtonsPerPage; ++i) {
            captions[static_cast<size_t>(i)] = QString::fromStdString(
                settings.GetArrayString(P::ButtonCaption, page * kButtonsPerPage + i));
        }
    }
    buttonBar_->Show(page, captions);
}

bool CMainFrame::SendChatLine(const QString& text, bool lineEnd) {
    CVT420Doc* doc = ActiveDocument();
    if (doc == nullptr) return false;
    const std::string bytes = ChatLineBytes(*doc, text, lineEnd);
    // Text that could not be sent stays in the field.
    return bytes.empty() || doc->Send(bytes);
}

void CMainFrame::ShowViewPopup(const QPoint& globalPosition) {
    viewPopup_->popup(globalPosition - QPoint(0, 4));
}

void CMainFrame::ShowStatus(const QString& pageSize, const QString& cursorPosition,
                            bool numericKeypad) {
    sizePane_->setText(pageSize);
    cursorPane_->setText(cursorPosition);
    numPane_->setText(numericKeypad ? "NUM" : QString());
}

void CMainFrame::InstallHandlers() {
    const auto hasSession = [this] { return ActiveFrame() != nullptr; };
    const auto onSession = [this](void (*call)(CVT420Doc&)) {
        return [this, call] {
            if (CVT420Doc* doc = ActiveDocument()) call(*doc);
        };
    };
    const auto sessionTest = [this](bool (*test)(const CVT420Doc&)) {
        return [this, test] {
            const CVT420Doc* doc = ActiveDocument();
            return doc != nullptr && test(*doc);
        };
    };
    const auto toggleBar = [](QWidget* bar) {
        return CommandHandler{[bar] { bar->setVisible(bar->isHidden()); }, {},
                              [bar] { return !bar->isHidden(); }};
    };

    CommandActions& c = *commands_;
    c.SetHandler(Command::New, {[this] { if (newConnection_) newConnection_(); },
                            [this] { return static_cast<bool>(newConnection_); }});
    c.SetHandler(Command::Open, {[this] { OpenCommand(); }});
    c.SetHandler(Command::AddressBook, {[this] { AddressBookCommand(); }});
    c.SetHandler(Command::Close, {[this] {
                                  CChildFrame* frame = ActiveFrame();
                                  if (frame == nullptr) return;
                                  const std::shared_ptr<CVT420Doc> doc = frame->SharedDocument();
                                  StorePlacementIn(*doc);
                                  if (!doc->Disconnect(CVT420Doc::Confirm::Ask)) return;
                                  for (CChildFrame* other : SessionFrames()) {
                                      if (other->SharedDocument() == doc) other->CloseApproved();
                                  }
                              },
                              hasSession});
    c.SetHandler(Command::Save, {[this] { SaveCommand(); }, hasSession});
    c.SetHandler(Command::SaveAs, {[this] { SaveAsCommand(); }, hasSession});
    c.SetHandler(Command::Exit, {[this] { close(); }});
    c.SetHandler(Command::Reconnect,
                 {[this] {
                      if (CVT420Doc* doc = ActiveDocument()) {
                          doc->SetLineDevices(ReadLineDevices(profile_));
                          doc->SetTerminalName(ChosenTerminalName(profile_));
                          doc->Reconnect();
                      }
                  },
                  sessionTest([](const CVT420Doc& doc) { return doc.CanReconnect(); })});
    c.SetHandler(Command::ShowHistory,
                 {onSession([](CVT420Doc& doc) { doc.ToggleHistory(); }), hasSession,
                  sessionTest([](const CVT420Doc& doc) { return doc.HistoryOn(); })});
    c.SetHandler(Command::ClearHistory,
                 {onSession([](CVT420Doc& doc) { doc.ClearHistory(); }),
                  sessionTest([](const CVT420Doc& doc) { return doc.CanClearHistory(); })});
    c.SetHandler(Command::ClearAll, {onSession([](CVT420Doc& doc) { doc.ClearAll(); }), hasSession});
    c.SetHandler(Command::ClearDisplay,
                 {onSession([](CVT420Doc& doc) { doc.ClearDisplay(); }), hasSession});
    for (const int reset : {Command::ResetTerminal, Command::ResetTerminalButton}) {
        c.SetHandler(reset, {onSession([](CVT420Doc& doc) { doc.ResetTerminal(); }), hasSession});
    }
    c.SetHandler(Command::RunScript, {[this] { RunScriptCommand(); }, hasSession});
    c.SetHandler(Command::Settings, {[this] { SettingsCommand(); }});
    c.SetHandler(Command::SaveAsTemplate,
                 {[this] {
                      if (CVT420Doc* doc = ActiveDocument()) {
                          CSaveTemplateDlg(*doc, templates_, user_, this).exec();
                      }
                  },
                  hasSession});
    c.SetHandler(Command::RecordMacro,
                 {[this] { RecordMacroCommand(); }, hasSession,
                  sessionTest([](const CVT420Doc& doc) { return doc.RecordingMacro(); })});
    if (QAction* record = c.Action(Command::RecordMacro)) {
        record->setStatusTip(
            "Recording your typings into a macro, which can be saved into a button or mapped key");
        record->setToolTip("Recording macro");
    }
    // One transfer at a time, on a connected session.
    const auto mayTransfer = sessionTest([](const CVT420Doc& doc) {
        return doc.ConnectionState() == TransportState::Connected && !doc.TransferActive();
    });
    c.SetHandler(Command::ReceiveZModem,
                 {onSession([](CVT420Doc& doc) { doc.StartReceive(); }), mayTransfer});
    c.SetHandler(Command::SendZModem, {[this] { SendFileCommand(); }, mayTransfer});
    c.SetHandler(Command::Capture, {[this] { CaptureCommand(); }, hasSession,
                                sessionTest([](const CVT420Doc& doc) { return doc.IsCapturing(); })});

    InstallPrintCommands(c, {[this] { return ActiveDocument(); }, [this] { return ActiveView(); },
                             this});

    c.SetHandler(Command::ToolBar, toggleBar(toolBar_));
    c.SetHandler(Command::StatusBar, toggleBar(statusBar()));
    c.SetHandler(Command::ButtonPalette, toggleBar(buttonDock_));
    c.SetHandler(Command::ChatLine, toggleBar(chatDock_));
    c.SetHandler(Command::F10OpensMenu,
                 {[this] {
                      const bool on = profile_.GetInt(kWindowSection, kF10MenuProfileValue, 0);
                      profile_.SetInt(kWindowSection, kF10MenuProfileValue, on ? 0 : 1);
                  },
                  {},
                  [this] { return profile_.GetInt(kWindowSection, kF10MenuProfileValue, 0) != 0; }});
    c.SetHandler(Command::VtKeyboard,
                 {[this] { ToggleVtKeyboard(); }, {}, [this] { return !vtKeyboard_.isNull(); }});

    c.SetHandler(Command::NewWindow, {[this] {
                                      if (CChildFrame* frame = ActiveFrame()) OpenSecondWindow(*frame);
                                  },
                                  hasSession});
    c.SetHandler(Command::NextWindow, {[this] { area_->activateNextSubWindow(); }, hasSession});
    c.SetHandler(Command::Cascade, {[this] { area_->cascadeSubWindows(); }, hasSession});
    c.SetHandler(Command::Tile, {[this] { area_->tileSubWindows(); }, hasSession});

    // The rest of the table belongs to the active view, if to anyone.
    c.SetFallback({[this](int id) {
                       CVT420View* view = ActiveView();
                       return view != nullptr && view->HandleCommand(id);
                   },
                   [this](int id) {
                       const CVT420View* view = ActiveView();
                       return view != nullptr && view->IsCommandEnabled(id);
                   },
                   [this](int id) {
                       const CVT420View* view = ActiveView();
                       return view != nullptr && view->IsCommandChecked(id);
                   }});

    c.SetHandler(Command::Content, {[this] { OpenHelpContents(); }});
    // Only with a web address to go to: the guide itself is Content.
    c.SetHandler(Command::HelpOnWeb,
                 {[this] { OpenHelpOnWeb(); }, [this] { return !HelpWebAddress().isEmpty(); }});
    c.SetHandler(Command::About, {[this] { ShowAboutBox(this); }});
}

void CMainFrame::AddressBookCommand() {
    CAddressBookDlg dialog(addressBook_, templates_.Names(), user_, this);
    if (dialog.exec() == QDialog::Accepted && dialog.Chosen()) {
        OpenAddressBookEntry(*dialog.Chosen());
    }
}

CVtKeyboardWnd* CMainFrame::VtKeyboard() const { return vtKeyboard_.data(); }

void CMainFrame::ToggleVtKeyboard() {
    if (vtKeyboard_) {
        vtKeyboard_->close();
        return;
    }
    vtKeyboard_ = new CVtKeyboardWnd(this, [this] { return ActiveView(); });
    connect(vtKeyboard_, &QObject::destroyed, this, &CMainFrame::UpdateCommands);
    vtKeyboard_->show();
}

SettingsSheetContext CMainFrame::SheetContext() {
    // The system's print setup unless a test plugged in its own.
    PrintSetup printSetup = printSetup_;
    if (!printSetup) {
        printSetup = [](SettingsStore& settings, QWidget* parent) { RunPrintSetup(parent, settings); };
    }
    return SettingsSheetContext{templates_, user_, profile_, true, std::move(printSetup),
                                addressBook_};
}

// On the active session, or on the "default" template without one.
void CMainFrame::SettingsCommand() {
    CChildFrame* active = ActiveFrame();
    if (active == nullptr) {
        EditDefaultSettings(SheetContext(), this);
    } else {
        const std::shared_ptr<CVT420Doc> doc = active->SharedDocument();
        std::vector<CVT420View*> views;
        for (CChildFrame* frame : SessionFrames()) {
            if (frame->SharedDocument() == doc) views.push_back(frame->View());
        }
        EditSessionSettings(*doc, views, SheetContext(), this);
    }
    // The sheet may have changed the standing choice for host scripts.
    const HostScriptPolicy policy = ReadHostScriptPolicy(profile_);
    for (CChildFrame* frame : SessionFrames()) frame->Document().SetHostScriptPolicy(policy);
}

void CMainFrame::RunScriptCommand() {
    CVT420Doc* doc = ActiveDocument();
    if (doc == nullptr) return;
    QFileDialog dialog(this, "Run Script", QString(), kScriptFileFilter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix("wbq");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    RunScript(*doc, ScriptRequest{true, QFile::encodeName(dialog.selectedFiles().front()).toStdString()});
}

void CMainFrame::RecordMacroCommand() {
    CVT420Doc* doc = ActiveDocument();
    if (doc == nullptr) return;
    if (!doc->RecordingMacro()) {
        doc->StartMacro();
        return;
    }
    const std::string script = doc->StopMacro();
    if (script.empty()) {
        user_.Notify(Msg::NothingRecorded);
        return;
    }
    std::array<std::string, CSaveMacroDlg::kButtons> captions;
    {
        const SessionLock locked = doc->Locked();
        for (int i = 0; i < CSaveMacroDlg::kButtons; ++i) {
            captions[static_cast<size_t>(i)] =
                locked.Settings().GetArrayString(P::ButtonCaption, i);
        }
    }
    CSaveMacroDlg dialog(script, captions, user_, this);
    if (dialog.exec() != QDialog::Accepted) return;
    if (dialog.Choice() == CSaveMacroDlg::Target::Clipboard) return;
    {
        const SessionLock locked = doc->Locked();
        if (dialog.Choice() == CSaveMacroDlg::Target::Button) {
            SaveMacroToButton(locked.Settings(), dialog.ButtonIndex(), dialog.Caption(),
                              dialog.Script());
        } else {
            SaveMacroToKey(locked.Keys(), dialog.KeyCode(), dialog.Modifiers(), dialog.Script());
        }
    }
    doc->SetModified(true);
    if (dialog.Choice() == CSaveMacroDlg::Target::Button) {
        RebuildButtonBar();
        buttonDock_->show();
    }
}

void CMainFrame::OpenCommand() {
    const QString path = QFileDialog::getOpenFileName(this, "Open", QString(), kSetupFileFilter);
    if (!path.isEmpty()) OpenSetupFile(path);
}

void CMainFrame::SaveCommand() {
    CVT420Doc* doc = ActiveDocument();
    if (doc == nullptr) return;
    StorePlacementIn(*doc);
    if (doc->Save()) emit setupFileUsed(QFile::decodeName(doc->PathName().c_str()));
}

void CMainFrame::SaveAsCommand() {
    CVT420Doc* doc = ActiveDocument();
    if (doc == nullptr) return;
    const std::string path = user_.ChooseSaveFile(doc->Title());
    if (path.empty()) return;
    StorePlacementIn(*doc);
    if (doc->SaveAs(path)) emit setupFileUsed(QFile::decodeName(path.c_str()));
}

void CMainFrame::CaptureCommand() {
    CVT420Doc* doc = ActiveDocument();
    if (doc == nullptr) return;
    if (doc->IsCapturing()) {
        if (!doc->StopCapture()) user_.Notify(Msg::CannotCreateFile);
        return;
    }
    QFileDialog dialog(this, "Capture Text to File", QString(),
                       "Text Files (*.txt);;All Files (*)");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("txt");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    doc->StartCapture(QFile::encodeName(dialog.selectedFiles().front()).toStdString());
}

void CMainFrame::SendFileCommand() {
    CChildFrame* frame = ActiveFrame();
    if (frame == nullptr) return;
    // Held: the session's window may close while the dialog is open.
    const std::shared_ptr<CVT420Doc> doc = frame->SharedDocument();
    QFileDialog dialog(this, "Send File", QString(), "All Files (*)");
    dialog.setFileMode(QFileDialog::ExistingFiles);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    std::vector<std::string> paths;
    for (const QString& path : dialog.selectedFiles()) {
        paths.push_back(QFile::encodeName(path).toStdString());
    }
    doc->StartSend(paths);
}

void CMainFrame::OpenHelpContents() {
    const QString index = HelpIndexPath();
    if (index.isEmpty()) {
        user_.Notify(Msg::UserGuideMissing);
        return;
    }
    // Without a browser for it, the user still learns where the guide is.
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(index))) {
        user_.ShowMessage(Msg::UserGuideAt,
                          FormatResource(Msg::UserGuideAt, {index.toStdString()}));
    }
}

QUrl CMainFrame::HelpWebAddress() const {
    const QUrl url(QString::fromStdString(profile_.GetString(kHelpSection, "HelpURL", "")));
    return url.isValid() && !url.isLocalFile() ? url : QUrl();
}

void CMainFrame::OpenHelpOnWeb() {
    const QUrl url = HelpWebAddress();
    if (!url.isEmpty()) QDesktopServices::openUrl(url);
}

} // namespace tamsivane
