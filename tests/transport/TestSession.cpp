#include "TestSession.h"

#include "TestPeers.h"

#include <thread>


namespace tamsivane::testing {

TestSession::TestSession() : emulator_(this) {}

TestSession::~TestSession() {
    if (transport_) transport_->Stop();
    transport_.reset();
}

void TestSession::StartEmulator() {
    std::lock_guard lock(lock_);
    emulator_.Start();
}

void TestSession::Attach(std::unique_ptr<CTransport> transport) {
    transport_ = std::move(transport);
}

bool TestSession::Type(std::string_view bytes) {
    std::lock_guard lock(lock_);
    return transport_->Send(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::string TestSession::ScreenText() {
    std::lock_guard lock(lock_);
    return PageText(emulator_.Screen());
}

bool TestSession::WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    return WaitUntil(condition, limit);
}

bool TestSession::WaitForScreen(std::string_view text, std::chrono::milliseconds limit) {
    return WaitFor([&] { return ScreenText().find(text) != std::string::npos; }, limit);
}

bool TestSession::WaitForState(TransportState state, std::chrono::milliseconds limit) {
    return WaitFor([&] { return transport_->State() == state; }, limit);
}

bool TestSession::ConfirmHostKey(std::string_view question, const std::function<bool()>&) {
    std::lock_guard lock(recordMutex_);
    questions_.emplace_back(question);
    return acceptHostKey.load();
}

std::optional<std::string> TestSession::AskPassword(std::string_view,
                                                    const std::function<bool()>&) {
    std::lock_guard lock(recordMutex_);
    ++passwordRequests_;
    return typedPassword;
}

std::vector<std::string> TestSession::Questions() {
    std::lock_guard lock(recordMutex_);
    return questions_;
}

int TestSession::PasswordRequests() {
    std::lock_guard lock(recordMutex_);
    return passwordRequests_;
}

std::vector<TransportState> TestSession::States() {
    std::lock_guard lock(recordMutex_);
    return states_;
}

std::vector<int> TestSession::Messages() {
    std::lock_guard lock(recordMutex_);
    return messages_;
}

std::string TestSession::LastMessage() {
    std::lock_guard lock(recordMutex_);
    return lastMessage_;
}

int TestSession::EndCount() {
    std::lock_guard lock(recordMutex_);
    return ends_;
}

std::string TestSession::Sent() {
    std::lock_guard lock(recordMutex_);
    return sent_;
}

std::string TestSession::TransferBytes() {
    std::lock_guard lock(recordMutex_);
    return transferBytes_;
}

std::string TestSession::Captured() {
    std::lock_guard lock(recordMutex_);
    return captured_;
}

void TestSession::TransferReceive(const uint8_t* data, size_t length) {
    std::lock_guard lock(recordMutex_);
    transferBytes_.append(reinterpret_cast<const char*>(data), length);
}

void TestSession::SentBytes(const uint8_t* data, size_t length) {
    std::lock_guard lock(recordMutex_);
    sent_.append(reinterpret_cast<const char*>(data), length);
}

void TestSession::Capture(std::string_view text) {
    std::lock_guard lock(recordMutex_);
    captured_ += text;
}

void TestSession::StateChanged(TransportState state) {
    std::lock_guard lock(recordMutex_);
    states_.push_back(state);
}

void TestSession::ConnectionEnded() {
    std::lock_guard lock(recordMutex_);
    ++ends_;
}

void TestSession::ShowMessage(int stringId, std::string_view text) {
    std::lock_guard lock(recordMutex_);
    messages_.push_back(stringId);
    lastMessage_ = text;
}

void TestSession::SendToHost(std::string_view bytes) {
    if (transport_) transport_->Send(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

void TestSession::ScreenChanged(int, int, bool) {
    if (onScreenChanged) onScreenChanged();
}

void TestSession::PageSizeChanged(int, int) {
    if (transport_) transport_->UpdateWindowSize();
}

} // namespace tamsivane::testing
