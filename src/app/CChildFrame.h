// The frame of one session window: one terminal view of a session, which
// several frames may share (New Window).  Decides what closing the window
// does: nothing while the session forbids it, otherwise the session is
// disconnected with the user's consent before the window goes.
#pragma once

#include <QMdiSubWindow>

#include <memory>

#include "session/CVT420Doc.h"
#include "view/ViewHost.h"

namespace tamsivane {

class CMainFrame;
class CVT420View;
class TransferMonitor;

class CChildFrame final : public QMdiSubWindow, public ViewHost {
    Q_OBJECT
public:
    CChildFrame(CMainFrame& mainFrame, std::shared_ptr<CVT420Doc> doc);
    // The view goes before this frame's share of the session.
    ~CChildFrame() override;

    CVT420Doc& Document() const { return *doc_; }
    const std::shared_ptr<CVT420Doc>& SharedDocument() const { return doc_; }
    CVT420View* View() const { return view_; }
    // Shows the session's transfers; shared with the session's other windows.
    const std::shared_ptr<TransferMonitor>& Transfers() const { return transfers_; }

    // The button bar's page (0-3) this window shows.
    int ButtonPage() const { return buttonPage_; }
    void SetButtonPage(int page);

    // Closes the window without asking: the main window has already had the
    // session's consent.
    void CloseApproved();
    // Whether the window has accepted being closed.
    bool IsClosed() const { return closed_; }

    // ViewHost
    void ShowSessionTitle(const QString& sessionTitle) override;
    QString FrameTitle() const override { return windowTitle(); }
    void SetFrameTitle(const QString& title) override { setWindowTitle(title); }
    void CloseSessionWindow() override;
    bool IsFrameClosing() const override { return closing_ || closed_; }
    void PostCommand(int id) override;
    void RunScript(bool isFile, const std::string& text) override;
    void RebuildButtonBar() override;
    void StatusChanged(const QString& pageSize, const QString& cursorPosition,
                       bool numericKeypad) override;
    void ShowNote(const QString& text) override;
    bool FitWindowToView() override;
    void HideMenuBar() override;
    void ShowViewPopup(const QPoint& globalPosition) override;
    AppProfile& Profile() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool MayClose();

    CMainFrame& main_;
    std::shared_ptr<CVT420Doc> doc_;
    // Goes before the session: it stops watching it first.
    std::shared_ptr<TransferMonitor> transfers_;
    CVT420View* view_; // a child
    int buttonPage_ = 0;
    bool closing_ = false;  // asking the session
    bool closed_ = false;   // close accepted
    bool approved_ = false; // CloseApproved
};

} // namespace tamsivane
