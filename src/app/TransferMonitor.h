// Shows a session's file transfers: the transfer's reports, made on its own
// thread, are queued and applied on the GUI thread at most every
// kInterval (a run of progress reports merges into the last one).  The
// "File Transfer Status" window opens when a transfer starts and closes when
// it ends well or was aborted; "Abort Transfer" aborts it; a failure shows
// "Error!" and why in the window (once per transfer, not after the user's
// abort), which then stays until the user closes it; a receive that brought
// a file opens the receive folder afterwards when XferOpenRecv is set.
//
// One monitor per session, shared by the session's windows; the status
// window goes with it.
#pragma once

#include <QObject>
#include <QPointer>

#include <chrono>
#include <mutex>
#include <vector>

#include "app/CTransferStatusDlg.h"
#include "session/CVT420Doc.h"

namespace tamsivane {

class TransferMonitor final : public QObject, public SessionObserver {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kInterval{100};

    // owner: the window the status window and the boxes belong to.
    TransferMonitor(CVT420Doc& doc, QWidget* owner);
    ~TransferMonitor() override;

    // The status window while it is open (a failed transfer's until the
    // user closes it), or nullptr.
    CTransferStatusDlg* Window() const { return window_; }

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
    void Ended(bool failed);

    CVT420Doc& doc_;
    QPointer<QWidget> owner_;

    std::mutex mutex_;
    std::vector<Event> pending_; // mutex_
    bool posted_ = false;        // mutex_

    // GUI thread.
    std::chrono::steady_clock::time_point lastDelivery_;
    QPointer<CTransferStatusDlg> window_;
    bool sending_ = false;
    bool aborting_ = false;
    bool errorShown_ = false;
    bool received_ = false;
};

} // namespace tamsivane
