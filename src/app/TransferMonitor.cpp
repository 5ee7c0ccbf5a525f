#include "app/TransferMonitor.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <QUrl>

#include "config/ResourceStrings.h"
#include "transfer/CZModemTransfer.h"
#include "transfer/ReceiveFolder.h"

namespace tamsivane {

TransferMonitor::TransferMonitor(CVT420Doc& doc, QWidget* owner) : doc_(doc), owner_(owner) {
    doc_.AddObserver(this);
}

TransferMonitor::~TransferMonitor() {
    doc_.RemoveObserver(this);
    delete window_.data();
}

void TransferMonitor::TransferStarted(bool sending) { Queue({true, {{}, {}, 0, {}, sending}}); }

void TransferMonitor::TransferReport(const TransferStatus& status) { Queue({false, status}); }

void TransferMonitor::Queue(Event event) {
    std::lock_guard lock(mutex_);
    const bool progress = !event.started && event.status.code == TransferStatusCode::Position;
    if (progress && !pending_.empty() && !pending_.back().started &&
        pending_.back().status.code == TransferStatusCode::Position) {
        pending_.back() = std::move(event);
    } else {
        pending_.push_back(std::move(event));
    }
    if (posted_) return;
    posted_ = true;
    QMetaObject::invokeMethod(this, &TransferMonitor::ScheduleDelivery, Qt::QueuedConnection);
}

void TransferMonitor::ScheduleDelivery() {
    const auto since = std::chrono::steady_clock::now() - lastDelivery_;
    const auto wait =
        std::max(std::chrono::milliseconds(0),
                 kInterval - std::chrono::duration_cast<std::chrono::milliseconds>(since));
    QTimer::singleShot(wait, this, &TransferMonitor::Deliver);
}

void TransferMonitor::Deliver() {
    std::vector<Event> events;
    {
        std::lock_guard lock(mutex_);
        events.swap(pending_);
        posted_ = false;
    }
    lastDelivery_ = std::chrono::steady_clock::now();
    for (const Event& event : events) Apply(event);
}

void TransferMonitor::Apply(const Event& event) {
    if (event.started) {
        OpenWindow(event.status.sending);
        return;
    }
    const TransferStatus& status = event.status;
    if (status.code == TransferStatusCode::Closed) {
        Ended(status.value == static_cast<int64_t>(CZModemTransfer::Outcome::Failed));
        return;
    }
    if (window_ == nullptr || window_->TransferOver()) OpenWindow(status.sending);
    const QString name = QString::fromStdString(status.name);
    switch (status.code) {
    case TransferStatusCode::FileName:
        window_->ShowFile(name);
        break;
    case TransferStatusCode::FileSize:
        window_->ShowSize(status.value);
        break;
    case TransferStatusCode::Position:
        window_->ShowPosition(status.value);
        break;
    case TransferStatusCode::Received:
        received_ = true;
        window_->ShowFinished();
        break;
    case TransferStatusCode::Sent:
        window_->ShowFinished();
        break;
    case TransferStatusCode::Aborting:
        aborting_ = true;
        window_->ShowAborting();
        break;
    case TransferStatusCode::Error:
        ShowError(status.text);
        break;
    default:
        break;
    }
}

void TransferMonitor::OpenWindow(bool sending) {
    sending_ = sending;
    aborting_ = false;
    errorShown_ = false;
    received_ = false;
    // A failed transfer's window gives way to the new transfer's.
    if (window_ != nullptr && window_->TransferOver()) {
        window_->close();
        window_ = nullptr;
    }
    if (window_ == nullptr) {
        window_ = new CTransferStatusDlg(owner_.data());
        window_->setAttribute(Qt::WA_DeleteOnClose);
        connect(window_, &CTransferStatusDlg::abortRequested, this,
                [this] { doc_.AbortTransfer(); });
        window_->show();
        emit windowOpened(window_);
    }
}

void TransferMonitor::ShowError(const std::string& detail) {
    if (aborting_ || errorShown_) return;
    errorShown_ = true;
    if (window_ != nullptr) window_->ShowError(QString::fromStdString(detail));
}

void TransferMonitor::Ended(bool failed) {
    if (window_ != nullptr) {
        if (failed && !aborting_) {
            window_->KeepAfterFailure();
        } else {
            window_->Dismiss();
            window_ = nullptr;
        }
    }
    if (sending_ || !received_) return;
    received_ = false;
    std::string folder;
    {
        const SessionLock locked = doc_.Locked();
        const SettingsStore& settings = locked.Settings();
        if (settings.GetNumber(P::XferOpenRecv) == 0) return;
        folder = ResolveReceiveFolder(settings.GetString(P::RecvDir));
    }
    // Where no file manager takes the folder, the user still learns where it is.
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QFile::decodeName(folder.c_str())))) {
        doc_.Notifier().ShowMessage(Msg::ReceivedFilesAt,
                                    FormatResource(Msg::ReceivedFilesAt, {folder}));
    }
}

} // namespace tamsivane
