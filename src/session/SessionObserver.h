// What a session tells its views.  Calls come from the I/O thread and the
// thread that drives the session, often with the session lock held, and
// while the session's observer list is locked: an observer records or posts
// what happened and returns, without calling back into the session.
#pragma once

#include <string_view>

#include "transfer/TransferLink.h"
#include "transport/TransportHost.h"

namespace tamsivane {

class SessionObserver {
public:
    virtual ~SessionObserver() = default;

    // Rows firstRow..lastRow of the displayed page changed (-1, -1: none), or
    // the history changed and the whole view needs a new layout; the cursor
    // may have moved.  Session lock held.
    virtual void ScreenChanged(int firstRow, int lastRow, bool historyChanged) {
        (void)firstRow; (void)lastRow; (void)historyChanged;
    }
    // Status line shown or hidden, page size or fonts changed.  Session lock held.
    virtual void LayoutChanged() {}
    virtual void Bell() {}

    virtual void StateChanged(TransportState state) { (void)state; }
    // true: the connection ended or failed (mark the window disconnected or
    // close it); false: a reconnect began (clear the mark).
    virtual void DisconnectedChanged(bool disconnected) { (void)disconnected; }
    virtual void TitleChanged(std::string_view title) { (void)title; }
    // Bytes written to the host (keys, replies, scripts).  Session lock held.
    virtual void SentToHost(std::string_view bytes) { (void)bytes; }
    // A file transfer's progress; its end is TransferStatusCode::Closed, with
    // the outcome (CZModemTransfer::Outcome) as the value.  The transfer's
    // worker thread, or the thread that aborted it; no session lock held.
    virtual void TransferReport(const TransferStatus& status) { (void)status; }
    // A transfer began (sending: files go to the host), before its first
    // report.  Session lock held.
    virtual void TransferStarted(bool sending) { (void)sending; }

    // A host script's request waits for the user's answer, has come again
    // (counted), or has been answered: the session's PendingHostScript says
    // which.  Session lock held.
    virtual void HostScriptQuestionChanged() {}
    // The session's notice of what the host caused has changed; true when
    // this observer shows it to the user.  Any thread, maybe under the
    // session lock.
    virtual bool HostNoticeChanged() { return false; }
};

} // namespace tamsivane
