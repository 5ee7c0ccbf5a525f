// Shows a session's file transfers: the transfer's reports, made on its own
// thread, are queued and applied on the GUI thread at most every
// kInterval (a run of progress reports merges into the last one).  The
// "File Transfer Status" window opens when a transfer starts and closes when
// it ends; "Abort Transfer" aborts it; a failure shows the "Error!" box
// (once per transfer, not after the user's abort); a receive that brought a
// file opens the receive folder afterwards when XferOpenRecv is set.
//
// One monitor per session, shared by the session's windows.
#pragma once

#include <QObject>
#include <QPointer>

#include <chrono>
#include <mutex>
#include <vector>

#include "app/CTransferStatusDlg.h"
#include "session/CVT420Doc.h"

class QMessageBox;

namespace tamsivane {

class TransferMonitor final : public QObject, public SessionObserver {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kInterval{100};

    // owner: the window the status window and the boxes belong to.
    TransferMonitor(CVT420Doc& doc, QWidget* owner);
    ~TransferMonitor() override;

    // The status window of the running transfer, or nullptr.
    CTransferStatusDlg* Window() const { return window_; }
    // The last "Error!" box while it is open, or nullptr.
    QMessageBox* ErrorBox() const;

signals:
    // The status window opened for a transfer.
    void windowOpened(CTransferStatusDlg* window);

public:
    // SessionObserver: any thread.
    void TransferStarted(bool sending) override;
    void TransferReport(const TransferStatus& status) override;

private:
    struct Event {
        bool started = false; // else status
        TransferStatus status;
    };

    void Queue(Event event);
    void ScheduleDelivery();
    void Deliver();
    void Apply(const Event& event);
    void OpenWindow(bool sending);
    void ShowError(const std::string& detail);
    void Ended();

    CVT420Doc& doc_;
    QPointer<QWidget> owner_;

    std::mutex mutex_;
    std::vector<Event> pending_; // mutex_
    bool posted_ = false;        // mutex_

    // GUI thread.
    std::chrono::steady_clock::time_point lastDelivery_;
    QPointer<CTransferStatusDlg> window_;
    // One error box at a time, however many transfers the host starts and
    // fails: later errors are merged into the open one.
    QPointer<QMessageBox> errorBox_;
    HostNotice errors_;
    bool sending_ = false;
    bool aborting_ = false;
    bool errorShown_ = false;
    bool received_ = false;
};

} // namespace tamsivane
