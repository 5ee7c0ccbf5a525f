// A session with a shell on a host reached by SSH: the host key checked
// against ~/.ssh/known_hosts (a new one stored only when the user agrees, a
// changed one always refused), public-key login, then keyboard-interactive
// and password logins with SshPassword or a password the user types, and a
// pseudo-terminal named after TermID.  The connection is non-blocking and
// waited for together with the transport's doorbell.
#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "platform/OutputBacklog.h"
#include "transport/CTransport.h"

struct ssh_session_struct;
struct ssh_channel_struct;

namespace tamsivane {

class CSshTransport final : public CTransport {
public:
    static constexpr int kDefaultPort = 22;
    // The bound of each step of connecting (the TCP connection, the key
    // exchange, each login attempt, opening the shell); the user's answers
    // are not counted.
    static constexpr std::chrono::milliseconds kStepTimeout{30000};
    static constexpr uint32_t kBreakMs = 500;

    // Constructed under the session lock: HostType 5 (an address-book SSH2
    // entry) and 8 both make SSH sessions.
    explicit CSshTransport(TransportHost& host);
    ~CSshTransport() override;

    bool Initialize() override;
    bool Connect(const SettingsStore& settings) override;
    void Close() override;
    // Never waits: what the channel does not take at once is written later.
    bool Write(const uint8_t* bytes, size_t n) override;
    bool OutputWaiting() const override { return output_.Waiting(); }
    bool SendBreak() override;
    bool ApplySettings(const SettingsStore& settings) override;
    void KeepAlive() override;
    void UpdateWindowSize() override;
    std::string GetName(const SettingsStore& settings) const override;
    std::string CannotConnectMessage() const override;

private:
    // I/O thread, while connecting: repeats call (under sshMutex_) while it
    // answers again, waiting for the connection in between; -1 (an error
    // of libssh's) on stop or after kStepTimeout.
    int Drive(const std::function<int()>& call, int again);
    // Waits at most timeout for the connection (input only when wantInput)
    // or the doorbell.
    void WaitOnConnection(bool wantInput, std::chrono::milliseconds timeout);
    // Waits at most kStepTimeout for the server's first bytes, which an SSH
    // server sends at once; false on stop, at the time-out, when the peer
    // closes, or when the bytes cannot begin an SSH greeting.  Leaves them
    // unread.
    bool AwaitGreeting(int fd);
    // The failure of a peer that is no SSH server.
    static std::string NoGreeting(const std::string& host, int port);
    bool VerifyHostKey();
    bool Authenticate(const SettingsStore& settings);
    bool KeyboardInteractive(const std::function<const std::string*()>& password);
    bool OpenShell(const SettingsStore& settings);
    // Fails the connection with libssh's reason.
    bool Failed(const std::string& what);
    // Reads again without waiting while reads bring data (libssh may hold
    // more than the connection shows); otherwise waits on the connection.
    Input WaitForInput(bool wantInput) override;
    // The shell's output, then its error stream; -1 when the channel or the
    // connection has ended.
    ptrdiff_t ReadInput(uint8_t* buffer, size_t room) override;
    OutputBacklog::Sink ToChannel();

    std::mutex sshMutex_; // around every call into libssh
    ssh_session_struct* ssh_ = nullptr;
    ssh_channel_struct* channel_ = nullptr;
    OutputBacklog output_;
    bool readAgain_ = true; // I/O thread only: the last read brought data

    // I/O thread, while connecting.
    std::string hostLabel_;     // "host", or "[host]:port" off port 22
    std::string knownHosts_;    // $HOME/.ssh/known_hosts
    std::string account_;       // "user@host", for the password's prompt
    bool failureLeads_ = false; // failure_ comes before "Cannot connect"
};

} // namespace tamsivane
