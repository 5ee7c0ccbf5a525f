// A session for the transport tests: an emulator, the session lock, and a
// record of everything the transport tells its session.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "emulator/EmulatorHost.h"
#include "emulator/VtEmulator.h"
#include "session/UserNotifier.h"
#include "transport/CTransport.h"

namespace tamsivane::testing {

using namespace std::chrono_literals;

class TestSession : public TransportHost, public EmulatorHost, public UserNotifier {
public:
    TestSession();
    ~TestSession() override;

    // Builds the emulator's screen from the settings changed so far.
    void StartEmulator();
    void Attach(std::unique_ptr<CTransport> transport);
    CTransport& Transport() { return *transport_; }

    // Sends as a key press does (session lock held).
    bool Type(std::string_view bytes);
    // The displayed page, rows joined by "\n", trailing blanks removed.
    std::string ScreenText();
    bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit = 20s);
    bool WaitForScreen(std::string_view text, std::chrono::milliseconds limit = 20s);
    bool WaitForState(TransportState state, std::chrono::milliseconds limit = 20s);

    std::vector<TransportState> States();
    std::vector<int> Messages();
    std::string LastMessage(); // its text
    int EndCount();
    std::string Sent();
    std::string TransferBytes();
    std::string Captured();
    void SetTransferRunning(bool on) { transferRunning_ = on; }
    // What Lines() gives a transport made from here on.
    LineDevices lines;
    // What TerminalName() gives: the user's choice of name, "" for none.
    std::string terminalName;
    // The user's answers while connecting: to a host key, and the password typed.
    std::atomic<bool> acceptHostKey{false};
    std::optional<std::string> typedPassword; // set before the transport starts
    std::vector<std::string> Questions(); // host-key questions asked
    int PasswordRequests();
    // Called on the I/O thread after each received block (session lock held).
    std::function<void()> onScreenChanged;

    // TransportHost
    VtEmulator& Emulator() override { return emulator_; }
    std::mutex& Lock() override { return lock_; }
    UserNotifier& Notifier() override { return *this; }
    std::string TerminalName() const override { return terminalName; }
    LineDevices Lines() const override { return lines; }
    bool ConfirmHostKey(std::string_view question, const std::function<bool()>&) override;
    std::optional<std::string> AskPassword(std::string_view prompt,
                                           const std::function<bool()>&) override;
    bool TransferRunning() const override { return transferRunning_; }
    void TransferReceive(const uint8_t* data, size_t length) override;
    void SentBytes(const uint8_t* data, size_t length) override;
    void Capture(std::string_view text) override;
    void StateChanged(TransportState state) override;
    void ConnectionEnded() override;
    // UserNotifier
    void ShowMessage(int stringId, std::string_view text) override;
    // EmulatorHost
    void SendToHost(std::string_view bytes) override;
    void ScreenChanged(int firstRow, int lastRow, bool historyChanged) override;
    void PageSizeChanged(int columns, int lines) override;

private:
    std::mutex lock_;
    VtEmulator emulator_;
    std::unique_ptr<CTransport> transport_;
    std::atomic<bool> transferRunning_{false};

    std::mutex recordMutex_; // guards the records below
    std::vector<TransportState> states_;
    std::vector<int> messages_;
    std::string lastMessage_;
    int ends_ = 0;
    std::string sent_;
    std::string transferBytes_;
    std::string captured_;
    std::vector<std::string> questions_;
    int passwordRequests_ = 0;
};

} // namespace tamsivane::testing
