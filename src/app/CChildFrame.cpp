#include "app/CChildFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMdiArea>
#include <QProxyStyle>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include "app/ButtonBar.h"
#include "app/CMainFrame.h"
#include "app/HostBars.h"
#include "app/TransferMonitor.h"
#include "app/WindowState.h"
#include "view/CVT420View.h"

namespace tamsivane {
namespace {

// A maximized session window keeps its own title bar inside the area, so
// that the main window's title stays the one the session sets.
class OwnTitleBarStyle final : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        if (hint == SH_Workspace_FillSpaceOnMaximize) return 1;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

} // namespace

CChildFrame::CChildFrame(CMainFrame& mainFrame, std::shared_ptr<CVT420Doc> doc)
    : main_(mainFrame),
      doc_(std::move(doc)),
      transfers_(main_.TransferMonitorFor(*doc_)),
      view_(new CVT420View(*doc_, *this, this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    // The host's bars above the terminal.
    auto* body = new QWidget(this);
    auto* rows = new QVBoxLayout(body);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    rows->addWidget(new HostBars(*doc_, body));
    rows->addWidget(view_, 1);
    body->setFocusProxy(view_);
    setWidget(body);
    setWindowTitle(QString::fromStdString(doc_->Title()));
    // Not the toolkit's picture in the window's corner: the program's.
    setWindowIcon(QApplication::windowIcon());
    auto* style = new OwnTitleBarStyle;
    style->setParent(this);
    setStyle(style);
}

CChildFrame::~CChildFrame() {
    // The view and the bars watch the session: they must stop before the
    // session may go.
    QWidget* body = widget();
    setWidget(nullptr);
    delete body;
}

void CChildFrame::SetButtonPage(int page) {
    buttonPage_ = std::clamp(page, 0, kButtonPages - 1);
}

void CChildFrame::CloseApproved() {
    approved_ = true;
    close();
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    if (!approved_ && !MayClose()) {
        event->ignore();
        return;
    }
    closed_ = true;
    bool autoExit;
    {
        const SessionLock locked = doc_->Locked();
        autoExit = locked.Settings().GetNumber(P::AutoExit) != 0;
    }
    QMdiSubWindow::closeEvent(event);
    main_.SessionWindowClosed(autoExit);
}

bool CChildFrame::MayClose() {
    if (closing_) return false;
    {
        const SessionLock locked = doc_->Locked();
        if (locked.Settings().GetNumber(P::CantCloseWindow) != 0) return false;
    }
    // Another window on the same session keeps it open.
    for (CChildFrame* frame : main_.SessionFrames()) {
        if (frame != this && frame->doc_ == doc_) return true;
    }
    closing_ = true;
    main_.StorePlacementIn(*doc_);
    const bool disconnected = doc_->Disconnect(CVT420Doc::Confirm::Ask);
    closing_ = false;
    return disconnected;
}

void CChildFrame::ShowSessionTitle(const QString& sessionTitle) {
    if (main_.ActiveFrame() == this) main_.setWindowTitle(MainWindowTitle(sessionTitle));
}

void CChildFrame::CloseSessionWindow() {
    QTimer::singleShot(0, this, [this] { close(); });
}

void CChildFrame::PostCommand(int id) { main_.PostCommand(id); }

void CChildFrame::RunScript(bool isFile, const std::string& text) {
    main_.RunScript(*doc_, ScriptRequest{isFile, text});
}

void CChildFrame::RebuildButtonBar() {
    if (main_.ActiveFrame() == this) main_.RebuildButtonBar();
}

void CChildFrame::StatusChanged(const QString& pageSize, const QString& cursorPosition,
                                bool numericKeypad) {
    if (main_.ActiveFrame() == this) main_.ShowStatus(pageSize, cursorPosition, numericKeypad);
}

void CChildFrame::ShowNote(const QString& text) { main_.statusBar()->showMessage(text, 5000); }

bool CChildFrame::FitWindowToView() {
    if (isMaximized() || isMinimized() || mdiArea() == nullptr) return false;
    const QRect wanted(geometry().topLeft(), sizeHint());
    const QRect placed = KeptInside(wanted, mdiArea()->viewport()->rect());
    setGeometry(placed);
    return placed.size() == wanted.size();
}

void CChildFrame::HideMenuBar() { main_.ApplyMenuProfile(); }

void CChildFrame::ShowViewPopup(const QPoint& globalPosition) {
    main_.ShowViewPopup(globalPosition);
}

AppProfile& CChildFrame::Profile() { return main_.Profile(); }

} // namespace tamsivane
