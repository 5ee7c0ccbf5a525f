// The session's file transfers: starting a receive or a batch send, handing
// received chunks to the running transfer, its output to the transport and
// its reports to the observers, and ending it before the connection goes.
#include <chrono>
#include <utility>
#include <vector>

#include "config/ResourceStrings.h"
#include "emulator/ControlNames.h"
#include "session/CVT420Doc.h"
#include "transfer/CZModemReceiver.h"
#include "transfer/CZModemSender.h"
#include "transfer/ReceiveFolder.h"

namespace tamsivane {

template <typename Make>
bool CVT420Doc::StartTransferLocked(Make make, bool sending) {
    if (!transport_ || (transfer_ && transfer_->Running())) return false;
    if (transfer_) retired_.push_back(std::move(transfer_));
    // Those whose workers are over go now, so that a host starting transfer
    // after transfer cannot make them pile up; the rest go with the next.
    std::erase_if(retired_, [](const auto& transfer) { return transfer->Over(); });
    transfer_ = make(emulator_.Settings());
    transport_->SetTransferMode(true);
    ForEachObserver([&](SessionObserver& o) { o.TransferStarted(sending); });
    transfer_->Start();
    return true;
}

void CVT420Doc::SetTransferTiming(const TransferTiming& timing) {
    std::lock_guard lock(lock_);
    transferTiming_ = timing;
}

bool CVT420Doc::StartReceive() {
    bool started;
    std::vector<std::shared_ptr<CZModemTransfer>> retired;
    {
        std::lock_guard lock(lock_);
        started = StartReceiveLocked();
        retired.swap(retired_);
    }
    return started; // the retired transfers are joined here, without the lock
}

bool CVT420Doc::StartReceiveLocked() {
    return StartTransferLocked([this](const SettingsStore& settings) {
        return std::make_shared<CZModemReceiver>(
            static_cast<TransferLink&>(*this),
            ResolveReceiveFolder(settings.GetString(P::RecvDir)), transferTiming_);
    }, false);
}

bool CVT420Doc::StartSend(const std::vector<std::string>& paths) {
    std::string failed;
    if (!CZModemSender::CanSendAll(paths, failed)) {
        user_.Notify(Msg::CannotOpenForSending);
        return false;
    }
    bool started;
    std::vector<std::shared_ptr<CZModemTransfer>> retired;
    {
        std::lock_guard lock(lock_);
        started = StartTransferLocked([&](const SettingsStore& settings) {
            std::string init;
            if (!DecodeNotation(settings.GetString(P::ZModemInit), init)) {
                init = settings.GetString(P::ZModemInit);
            }
            const auto pause = std::chrono::milliseconds(
                std::max<int32_t>(0, settings.GetNumber(P::XferInitPause)));
            return std::make_shared<CZModemSender>(static_cast<TransferLink&>(*this), paths,
                                                   std::move(init), pause, transferTiming_);
        }, true);
        retired.swap(retired_);
    }
    return started;
}

void CVT420Doc::AbortTransfer() {
    std::shared_ptr<CZModemTransfer> transfer;
    {
        std::lock_guard lock(lock_);
        transfer = transfer_;
    }
    if (transfer) transfer->Abort();
}

bool CVT420Doc::TransferActive() const {
    std::lock_guard lock(lock_);
    return TransferRunning();
}

void CVT420Doc::CloseTransfer() {
    std::vector<std::shared_ptr<CZModemTransfer>> transfers;
    {
        std::lock_guard lock(lock_);
        transfers.swap(retired_);
        if (transfer_) transfers.push_back(std::move(transfer_));
    }
    for (const auto& transfer : transfers) transfer->Shutdown();
}

bool CVT420Doc::TransferRunning() const { return transfer_ && transfer_->Running(); }

void CVT420Doc::TransferReceive(const uint8_t* data, size_t length) {
    // A transfer that has just finished hands the chunk back.
    if (!transfer_ || !transfer_->Feed(data, length)) emulator_.ReceiveBlock(data, length);
}

bool CVT420Doc::StartFileReceive(const uint8_t* following, size_t n) {
    // The emulator saw the host start a send (AutoRecv is on); the rest of
    // the block is the transfer's.
    if (!StartReceiveLocked()) return false;
    if (n > 0) transfer_->Feed(following, n);
    return true;
}

bool CVT420Doc::WriteToHost(const uint8_t* bytes, size_t n) {
    const std::shared_ptr<CTransport> transport = CurrentTransport();
    return transport && transport->Write(bytes, n);
}

void CVT420Doc::HoldingScreen(const std::function<void()>& work) {
    std::lock_guard lock(lock_);
    work();
}

void CVT420Doc::ShowReceived(const uint8_t* bytes, size_t n) { emulator_.ReceiveBlock(bytes, n); }

void CVT420Doc::ReportStatus(const TransferStatus& status) {
    if (status.code == TransferStatusCode::Closed) {
        if (status.value != static_cast<int64_t>(CZModemTransfer::Outcome::Completed)) {
            ++failedTransfers_;
        }
        std::lock_guard lock(lock_);
        if (transport_ && !TransferRunning()) transport_->SetTransferMode(false);
    }
    ForEachObserver([&](SessionObserver& o) { o.TransferReport(status); });
}

} // namespace tamsivane
