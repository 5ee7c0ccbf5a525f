#include "transport/CTransport.h"

#include <algorithm>
#include <exception>
#include <limits>

#include "config/SettingsStore.h"
#include "emulator/VtEmulator.h"
#include "session/UserNotifier.h"

namespace tamsivane {

CTransport::CTransport(TransportHost& host, TransportType type) : host_(host), type_(type) {
    ring_.Allocate(kRingSize);
}

CTransport::~CTransport() = default;

bool CTransport::Start() {
    std::lock_guard lock(runMutex_);
    if (thread_.joinable() || state_.load() != TransportState::Idle) return false;
    // Connecting from here on, so that a Stop right after Start is not mistaken
    // for a stop before any thread exists.
    SetState(TransportState::Connecting);
    running_ = true;
    thread_ = std::thread(&CTransport::Run, this);
    threadId_ = thread_.get_id();
    return true;
}

void CTransport::RequestStop() {
    TransportState state = state_.load();
    do {
        if (state == TransportState::Idle || state == TransportState::Closing ||
            state == TransportState::Closed) {
            return;
        }
    } while (!state_.compare_exchange_weak(state, TransportState::Closing));
    host_.StateChanged(TransportState::Closing);
    Abort();
}

bool CTransport::Stop() {
    RequestStop();
    std::unique_lock lock(runMutex_);
    if (!thread_.joinable() || std::this_thread::get_id() == threadId_) return true;
    // Joined under the lock, so two threads stopping at once do not both join.
    if (finished_.wait_for(lock, kStopTimeout, [this] { return !running_; }) &&
        thread_.joinable()) {
        thread_.join();
    }
    return true;
}

void CTransport::Shutdown() {
    RequestStop();
    std::unique_lock lock(runMutex_);
    // Every wait of the I/O thread is bounded and sees the stop, so this ends.
    finished_.wait(lock, [this] { return !running_; });
    if (thread_.joinable()) thread_.join();
}

bool CTransport::Send(const uint8_t* bytes, size_t n) {
    if (host_.TransferRunning()) return true;
    if (host_.Emulator().Settings().GetNumber(P::LocalEcho)) EchoLocally(bytes, n);
    if (!Write(bytes, n)) {
        RequestStop();
        return false;
    }
    host_.SentBytes(bytes, n);
    return true;
}

void CTransport::EchoLocally(const uint8_t* bytes, size_t n) {
    Enqueue(bytes, n, kEchoBacklog);
    Wake();
}

size_t CTransport::Waiting() const {
    std::lock_guard lock(inputMutex_);
    return ring_.Used() + pending_.size();
}

bool CTransport::WaitUntilDelivered(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(deliveredMutex_);
    return delivered_.wait_until(lock, deadline, [this] {
        const TransportState state = state_.load();
        return state == TransportState::Idle || state == TransportState::Closed ||
               (Waiting() == 0 && !delivering_.load());
    });
}

void CTransport::SetHold(bool on) {
    held_.store(on);
    if (!on) Wake();
}

void CTransport::Abort() { doorbell_.Signal(); }

void CTransport::Wake() {
    wakePending_.store(true);
    doorbell_.Signal();
}

size_t CTransport::ReceiveRoom() const {
    std::lock_guard lock(inputMutex_);
    return pending_.empty() ? ring_.Free() : 0;
}

void CTransport::StoreReceived(const uint8_t* bytes, size_t n) {
    Enqueue(bytes, n, std::numeric_limits<size_t>::max());
}

bool CTransport::Poll() {
    for (;;) {
        if (StopRequested()) return false;
        if (TakeWake()) return true;
        // Input left waiting for the session goes on once it can take it.
        if (inputHeldBack_ && !host_.InputWaits()) return true;
        const size_t room = std::min(ReceiveRoom(), kReadSize);
        const Input input = WaitForInput(room > 0);
        if (input == Input::Ended) return false;
        if (input == Input::None) continue;
        std::lock_guard lock(host_.Lock());
        const ptrdiff_t n = ReadAndStore(room);
        if (n < 0) return false;
        if (n > 0) return true;
    }
}

ptrdiff_t CTransport::ReadAndStore(size_t room) {
    const ptrdiff_t n = ReadInput(input_, std::min(room, kReadSize));
    if (n > 0) StoreReceived(input_, static_cast<size_t>(n));
    return n;
}

void CTransport::ShowText(std::string_view text) {
    std::lock_guard lock(host_.Lock());
    host_.Emulator().ReceiveBlock(text);
}

// Behind everything already waiting: into the ring while nothing waits for
// room in it, the rest (up to backlogLimit waiting bytes) after that.
void CTransport::Enqueue(const uint8_t* bytes, size_t n, size_t backlogLimit) {
    std::lock_guard lock(inputMutex_);
    if (pending_.empty()) {
        const size_t direct = std::min(n, ring_.Free());
        if (direct > 0 && ring_.Put(bytes, direct)) {
            bytes += direct;
            n -= direct;
        }
    }
    const size_t room = backlogLimit - std::min(backlogLimit, pending_.size());
    pending_.insert(pending_.end(), bytes, bytes + std::min(n, room));
}

void CTransport::Run() {
    try {
        RunConnection();
    } catch (const std::exception&) {
        // Out of memory on the I/O thread: the connection ends like any other.
        SetState(TransportState::Closing);
        Close();
        SetState(TransportState::Closed);
        host_.ConnectionEnded();
    }
    NotifyDelivered();
    std::lock_guard lock(runMutex_);
    running_ = false;
    finished_.notify_all();
}

void CTransport::RunConnection() {
    Initialize();
    // Connect waits for the network, so it works on a copy of the settings
    // taken under the session lock.
    SettingsStore settings;
    {
        std::lock_guard lock(host_.Lock());
        settings.CopyFrom(host_.Emulator().Settings());
        chosenTerminalName_ = host_.TerminalName();
    }
    const bool connected = Connect(settings);
    if (!connected || !AdvanceState(TransportState::Connecting, TransportState::Connected)) {
        if (!StopRequested()) ReportCannotConnect();
        Close();
        SetState(TransportState::Closed);
        host_.ConnectionEnded();
        return;
    }
    // What arrived while connecting (a proxy's greeting) is shown first.
    do {
        if (!held_.load()) Deliver();
    } while (Poll() && !StopRequested());
    // The other end has finished; what it sent is still shown, once the
    // screen is released.
    while (!StopRequested() && Waiting() > 0) {
        if (held_.load() || host_.InputWaits()) {
            doorbell_.Wait(kWaitTick);
        } else {
            Deliver();
        }
    }
    SetState(TransportState::Closing);
    Close();
    SetState(TransportState::Closed);
    host_.ConnectionEnded();
}

// The system's message, then what failed and why on a line of its own.
std::string CTransport::CannotConnectMessage() const {
    std::string text(ResourceString(Msg::CannotConnect));
    if (const std::string failure = ConnectFailure(); !failure.empty()) text += "\n" + failure;
    return text;
}

std::string CTransport::TerminalNameFor(const SettingsStore& settings) const {
    if (!chosenTerminalName_.empty()) return chosenTerminalName_;
    return TerminalTypeName(settings.GetNumber(P::TermID));
}

void CTransport::ReportCannotConnect() {
    host_.Notifier().ShowMessage(Msg::CannotConnect, CannotConnectMessage());
}

void CTransport::Deliver() {
    // Set for the whole pass, so that a waiter never takes an empty ring for
    // delivered while the last chunk taken from it is still on its way.
    delivering_.store(true);
    for (;;) {
        MovePendingIntoRing();
        if (held_.load() || StopRequested()) break;
        inputHeldBack_ = host_.InputWaits();
        if (inputHeldBack_) break;
        const size_t n = ring_.Get(chunk_, kChunkSize);
        if (n == 0) break;
        std::lock_guard lock(host_.Lock());
        if (host_.TransferRunning()) {
            host_.TransferReceive(chunk_, n);
        } else {
            host_.Emulator().ReceiveBlock(chunk_, n);
        }
    }
    delivering_.store(false);
    NotifyDelivered();
}

void CTransport::NotifyDelivered() {
    // Taking the mutex orders this after a waiter's test of the condition.
    { std::lock_guard lock(deliveredMutex_); }
    delivered_.notify_all();
}

void CTransport::MovePendingIntoRing() {
    std::lock_guard lock(inputMutex_);
    if (pending_.empty()) return;
    const size_t n = std::min(pending_.size(), ring_.Free());
    if (n == 0 || !ring_.Put(pending_.data(), n)) return;
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<ptrdiff_t>(n));
}

void CTransport::SetState(TransportState state) {
    if (state_.exchange(state) != state) host_.StateChanged(state);
}

bool CTransport::AdvanceState(TransportState from, TransportState to) {
    if (!state_.compare_exchange_strong(from, to)) return false;
    host_.StateChanged(to);
    return true;
}

} // namespace tamsivane
