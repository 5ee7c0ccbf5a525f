#include "transport/CSshTransport.h"

#include <libssh/libssh.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <mutex>
#include <utility>

#include "config/ResourceStrings.h"
#include "config/SettingsStore.h"
#include "emulator/VtEmulator.h"
#include "platform/PollRetrying.h"
#include "platform/TcpSocket.h"
#include "platform/UserAccount.h"
#include "session/UserNotifier.h"
#include "transport/CTelnetTransport.h"

namespace tamsivane {
namespace {

using Clock = std::chrono::steady_clock;

// Rounds of keyboard-interactive questions before giving up.
constexpr int kMaxQuestionRounds = 8;
// Largest single write into the channel.
constexpr size_t kWritePiece = 32768;

// "ED25519", "RSA", "ECDSA" from the protocol's key type names.
std::string KeyTypeLabel(const char* name) {
    std::string label = name ? name : "unknown";
    if (label.rfind("ssh-", 0) == 0) label.erase(0, 4);
    if (label.rfind("ecdsa", 0) == 0) label = "ecdsa";
    for (char& c : label) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return label;
}

// "SHA256:..." of the server's key; "" when it cannot be had.
std::string Fingerprint(ssh_key key) {
    unsigned char* hash = nullptr;
    size_t length = 0;
    if (ssh_get_publickey_hash(key, SSH_PUBLICKEY_HASH_SHA256, &hash, &length) != 0) return {};
    char* text = ssh_get_fingerprint_hash(SSH_PUBLICKEY_HASH_SHA256, hash, length);
    ssh_clean_pubkey_hash(&hash);
    std::string fingerprint = text ? text : "";
    ssh_string_free_char(text);
    return fingerprint;
}

// Whether the first bytes of a server could begin what an SSH server sends
// first: its version line, or lines of text before it.  Another protocol's
// binary greeting (a Telnet server's option requests) cannot.
bool CouldBeSshGreeting(std::string_view bytes) {
    return std::none_of(bytes.begin(), bytes.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && c != '\t' && c != '\r' && c != '\n') || byte == 0x7F ||
               byte == 0xC0 || byte == 0xC1 || byte >= 0xF5;
    });
}

// Overwrites a password before its memory goes.
void Forget(std::optional<std::string>& secret) {
    if (!secret) return;
    explicit_bzero(secret->data(), secret->size());
    secret.reset();
}

} // namespace

CSshTransport::CSshTransport(TransportHost& host)
    : CTransport(host, host.Emulator().Settings().GetNumber(P::HostType) ==
                               static_cast<int32_t>(TransportType::Ssh2Entry)
                           ? TransportType::Ssh2Entry
                           : TransportType::Ssh),
      output_(Doorbell()) {
    output_.SetDrainedCallback([this] { Host().OutputDrained(); });
}

CSshTransport::~CSshTransport() { Shutdown(); }

bool CSshTransport::Initialize() {
    static std::once_flag once;
    std::call_once(once, [] { ssh_init(); });
    return true;
}

bool CSshTransport::Connect(const SettingsStore& settings) {
    const std::string& host = settings.GetString(P::HostName);
    const int port = settings.GetNumber(P::Port) == 0 ? kDefaultPort : settings.GetNumber(P::Port);
    hostLabel_ = port == kDefaultPort ? host : "[" + host + "]:" + std::to_string(port);
    CTcpSocket socket(Doorbell());
    const CTcpSocket::ConnectResult result = socket.Connect(
        host, port, [this] { return StopRequested(); }, kStepTimeout);
    if (result != CTcpSocket::ConnectResult::Connected) {
        failure_ = CTelnetTransport::DescribeFailure(host, port, result);
        return false;
    }
    int fd = socket.TakeDescriptor();
    if (!AwaitGreeting(fd)) {
        close(fd);
        failure_ = NoGreeting(host, port);
        return false;
    }
    const std::string user =
        settings.GetString(P::SshUser).empty() ? LoginName() : settings.GetString(P::SshUser);
    // The user's own files, named from HOME, so that a HOME set for the
    // program is what counts.
    const std::string keyFolder = HomeFolder() + "/.ssh";
    knownHosts_ = keyFolder + "/known_hosts";
    account_ = user + "@" + hostLabel_;
    {
        std::lock_guard lock(sshMutex_);
        ssh_ = ssh_new();
        if (ssh_ == nullptr) {
            close(fd);
            failure_ = host + ": out of memory";
            return false;
        }
        const unsigned int portNumber = static_cast<unsigned int>(port);
        const int quiet = SSH_LOG_NOLOG;
        const bool noConfig = false;
        ssh_options_set(ssh_, SSH_OPTIONS_LOG_VERBOSITY, &quiet);
        ssh_options_set(ssh_, SSH_OPTIONS_PROCESS_CONFIG, &noConfig);
        ssh_options_set(ssh_, SSH_OPTIONS_HOST, host.c_str());
        ssh_options_set(ssh_, SSH_OPTIONS_PORT, &portNumber);
        if (!user.empty()) ssh_options_set(ssh_, SSH_OPTIONS_USER, user.c_str());
        ssh_options_set(ssh_, SSH_OPTIONS_SSH_DIR, keyFolder.c_str());
        ssh_options_set(ssh_, SSH_OPTIONS_KNOWNHOSTS, knownHosts_.c_str());
        // From here on the session owns the connection and closes it.
        ssh_options_set(ssh_, SSH_OPTIONS_FD, &fd);
        ssh_set_blocking(ssh_, 0);
    }
    if (Drive([this] { return ssh_connect(ssh_); }, SSH_AGAIN) != SSH_OK) {
        // Text that never became a version line is no SSH server either.
        bool greeted;
        {
            std::lock_guard lock(sshMutex_);
            greeted = ssh_get_serverbanner(ssh_) != nullptr;
        }
        if (!greeted) failure_ = NoGreeting(host, port);
        return Failed(host);
    }
    return VerifyHostKey() && Authenticate(settings) && OpenShell(settings);
}

int CSshTransport::Drive(const std::function<int()>& call, int again) {
    const Clock::time_point deadline = Clock::now() + kStepTimeout;
    for (;;) {
        {
            std::lock_guard lock(sshMutex_);
            const int result = call();
            if (result != again) return result;
        }
        const Clock::time_point now = Clock::now();
        if (StopRequested() || now >= deadline) return SSH_ERROR;
        WaitOnConnection(
            true,
            std::min(kWaitTick, std::chrono::ceil<std::chrono::milliseconds>(deadline - now)));
    }
}

bool CSshTransport::AwaitGreeting(int fd) {
    const Clock::time_point deadline = Clock::now() + kStepTimeout;
    while (!StopRequested()) {
        const Clock::time_point now = Clock::now();
        if (now >= deadline) return false;
        pollfd entries[2] = {{Doorbell().Fd(), POLLIN, 0}, {fd, POLLIN, 0}};
        const auto wait =
            std::min(kWaitTick, std::chrono::ceil<std::chrono::milliseconds>(deadline - now));
        PollRetrying(entries, 2, static_cast<int>(wait.count()));
        if (entries[0].revents & POLLIN) Doorbell().Drain();
        if (entries[1].revents == 0) continue;
        char first[64];
        const ssize_t n = recv(fd, first, sizeof first, MSG_PEEK | MSG_DONTWAIT);
        return n > 0 && CouldBeSshGreeting(std::string_view(first, static_cast<size_t>(n)));
    }
    return false;
}

std::string CSshTransport::NoGreeting(const std::string& host, int port) {
    return "no SSH greeting from " + host + " port " + std::to_string(port);
}

void CSshTransport::WaitOnConnection(bool wantInput, std::chrono::milliseconds timeout) {
    int fd;
    short events;
    {
        std::lock_guard lock(sshMutex_);
        fd = ssh_get_fd(ssh_);
        const bool writing = (ssh_get_poll_flags(ssh_) & SSH_WRITE_PENDING) != 0;
        events = static_cast<short>((wantInput ? POLLIN : 0) | (writing ? POLLOUT : 0));
    }
    pollfd entries[2] = {{Doorbell().Fd(), POLLIN, 0}, {events != 0 ? fd : -1, events, 0}};
    if (PollRetrying(entries, 2, static_cast<int>(timeout.count())) > 0 &&
        (entries[0].revents & POLLIN)) {
        Doorbell().Drain();
    }
}

bool CSshTransport::Failed(const std::string& what) {
    if (failure_.empty()) {
        std::lock_guard lock(sshMutex_);
        const char* reason = ssh_get_error(ssh_);
        failure_ = what + ": " + (reason && *reason ? reason : "connection failed");
    }
    return false;
}

bool CSshTransport::VerifyHostKey() {
    ssh_known_hosts_e known;
    std::string question;
    {
        std::lock_guard lock(sshMutex_);
        known = ssh_session_is_known_server(ssh_);
        ssh_key key = nullptr;
        if (known != SSH_KNOWN_HOSTS_OK && ssh_get_server_publickey(ssh_, &key) == SSH_OK) {
            question =
                FormatResource(Msg::UnknownHostKey,
                               {hostLabel_, KeyTypeLabel(ssh_key_type_to_char(ssh_key_type(key))),
                                Fingerprint(key)});
        }
        ssh_key_free(key);
    }
    switch (known) {
    case SSH_KNOWN_HOSTS_OK:
        return true;
    case SSH_KNOWN_HOSTS_CHANGED:
    case SSH_KNOWN_HOSTS_OTHER:
        // Never offered a way around: the user removes the old key himself.
        failure_ = FormatResource(Msg::ChangedHostKey, {hostLabel_, knownHosts_});
        failureLeads_ = true;
        return false;
    case SSH_KNOWN_HOSTS_NOT_FOUND:
    case SSH_KNOWN_HOSTS_UNKNOWN:
        break;
    default:
        return Failed(hostLabel_);
    }
    if (question.empty()) return Failed(hostLabel_);
    if (!Host().ConfirmHostKey(question, [this] { return StopRequested(); })) {
        failure_ = "the host key of " + hostLabel_ + " was not accepted";
        return false;
    }
    mkdir(knownHosts_.substr(0, knownHosts_.rfind('/')).c_str(), 0700);
    std::lock_guard lock(sshMutex_);
    if (ssh_session_update_known_hosts(ssh_) != SSH_OK) {
        Host().Notifier().ShowMessage(Msg::HostKeyNotStored,
                                      FormatResource(Msg::HostKeyNotStored, {knownHosts_}));
    }
    return true;
}

bool CSshTransport::Authenticate(const SettingsStore& settings) {
    const auto cancelled = [this] { return StopRequested(); };
    if (Drive([this] { return ssh_userauth_none(ssh_, nullptr); }, SSH_AUTH_AGAIN) ==
        SSH_AUTH_SUCCESS) {
        return true;
    }
    int methods;
    {
        std::lock_guard lock(sshMutex_);
        methods = ssh_userauth_list(ssh_, nullptr);
    }
    int result = SSH_AUTH_DENIED;
    if (methods & SSH_AUTH_METHOD_PUBLICKEY) {
        // The agent first, then the identity files in the key folder.
        result = Drive([this] { return ssh_userauth_publickey_auto(ssh_, nullptr, nullptr); },
                       SSH_AUTH_AGAIN);
        if (result == SSH_AUTH_SUCCESS) return true;
    }
    // SshPassword, else one the user types (asked once, never stored).
    std::optional<std::string> password;
    bool asked = false;
    const auto obtain = [&]() -> const std::string* {
        if (!password && !asked) {
            asked = true;
            const std::string& stored = settings.GetString(P::SshPassword);
            password =
                stored.empty()
                    ? Host().AskPassword(FormatResource(Msg::PasswordPrompt, {account_}), cancelled)
                    : stored;
        }
        return password ? &*password : nullptr;
    };
    bool accepted = false;
    if (result != SSH_AUTH_ERROR && (methods & SSH_AUTH_METHOD_INTERACTIVE)) {
        accepted = KeyboardInteractive(obtain);
    }
    if (!accepted && (methods & SSH_AUTH_METHOD_PASSWORD) && obtain() && !StopRequested()) {
        accepted = Drive([&] { return ssh_userauth_password(ssh_, nullptr, password->c_str()); },
                         SSH_AUTH_AGAIN) == SSH_AUTH_SUCCESS;
    }
    Forget(password);
    if (accepted) return true;
    if (!StopRequested()) {
        failure_ = ResourceString(Msg::AuthenticationFailed);
        failureLeads_ = true;
    }
    return false;
}

bool CSshTransport::KeyboardInteractive(const std::function<const std::string*()>& password) {
    for (int round = 0; round < kMaxQuestionRounds; ++round) {
        const int result =
            Drive([this] { return ssh_userauth_kbdint(ssh_, nullptr, nullptr); }, SSH_AUTH_AGAIN);
        if (result == SSH_AUTH_SUCCESS) return true;
        if (result != SSH_AUTH_INFO) return false;
        int prompts;
        bool hidden = false;
        {
            std::lock_guard lock(sshMutex_);
            prompts = ssh_userauth_kbdint_getnprompts(ssh_);
            for (int i = 0; i < prompts; ++i) {
                char echo = 1;
                ssh_userauth_kbdint_getprompt(ssh_, static_cast<unsigned>(i), &echo);
                hidden = hidden || !echo;
            }
        }
        // Hidden questions are taken for the password; others get an empty answer.
        const std::string* secret = hidden ? password() : nullptr;
        if (hidden && secret == nullptr) return false;
        std::lock_guard lock(sshMutex_);
        for (int i = 0; i < prompts; ++i) {
            char echo = 1;
            ssh_userauth_kbdint_getprompt(ssh_, static_cast<unsigned>(i), &echo);
            ssh_userauth_kbdint_setanswer(ssh_, static_cast<unsigned>(i),
                                          echo ? "" : secret->c_str());
        }
    }
    return false;
}

bool CSshTransport::OpenShell(const SettingsStore& settings) {
    {
        std::lock_guard lock(sshMutex_);
        channel_ = ssh_channel_new(ssh_);
        if (channel_ == nullptr) return Failed(hostLabel_);
    }
    const std::string term = TerminalNameFor(settings);
    const int columns = settings.GetNumber(P::Columns);
    const int lines = settings.GetNumber(P::Lines);
    if (Drive([this] { return ssh_channel_open_session(channel_); }, SSH_AGAIN) != SSH_OK ||
        Drive([&] { return ssh_channel_request_pty_size(channel_, term.c_str(), columns, lines); },
              SSH_AGAIN) != SSH_OK ||
        Drive([this] { return ssh_channel_request_shell(channel_); }, SSH_AGAIN) != SSH_OK) {
        return Failed(hostLabel_);
    }
    return true;
}

std::string CSshTransport::CannotConnectMessage() const {
    if (!failureLeads_) return CTransport::CannotConnectMessage();
    return failure_ + "\n" + std::string(ResourceString(Msg::CannotConnect));
}

void CSshTransport::Close() {
    output_.Close();
    std::lock_guard lock(sshMutex_);
    if (channel_ != nullptr) {
        ssh_channel_close(channel_);
        ssh_channel_free(channel_);
        channel_ = nullptr;
    }
    if (ssh_ != nullptr) {
        ssh_disconnect(ssh_);
        ssh_free(ssh_);
        ssh_ = nullptr;
    }
}

CTransport::Input CSshTransport::WaitForInput(bool wantInput) {
    if (output_.Waiting() && !output_.Flush(ToChannel())) return Input::Ended;
    if (!std::exchange(readAgain_, false)) WaitOnConnection(wantInput, kWaitTick);
    return Input::Ready;
}

ptrdiff_t CSshTransport::ReadInput(uint8_t* buffer, size_t room) {
    std::lock_guard lock(sshMutex_);
    if (!ssh_is_connected(ssh_)) return -1;
    if (room == 0) return 0;
    for (const int stream : {0, 1}) {
        const int n =
            ssh_channel_read_nonblocking(channel_, buffer, static_cast<uint32_t>(room), stream);
        if (n > 0) {
            readAgain_ = true;
            return n;
        }
        if (n == SSH_ERROR) return -1;
    }
    return ssh_channel_is_eof(channel_) || ssh_channel_is_closed(channel_) ? -1 : 0;
}

OutputBacklog::Sink CSshTransport::ToChannel() {
    return [this](const uint8_t* data, size_t length) -> ptrdiff_t {
        // Before the shell is open everything waits.
        if (State() == TransportState::Connecting) return 0;
        std::lock_guard lock(sshMutex_);
        if (channel_ == nullptr) return -1;
        const int n =
            ssh_channel_write(channel_, data, static_cast<uint32_t>(std::min(length, kWritePiece)));
        if (n == SSH_ERROR) return -1;
        return std::max(n, 0);
    };
}

bool CSshTransport::Write(const uint8_t* bytes, size_t n) {
    const TransportState state = State();
    if (state == TransportState::Closing || state == TransportState::Closed) return false;
    if (!output_.Send(bytes, n, ToChannel())) return false;
    // libssh may hold part of it until the connection takes it: the I/O
    // thread watches for that.
    Doorbell().Signal();
    return true;
}

bool CSshTransport::SendBreak() {
    if (State() != TransportState::Connected) return false;
    std::lock_guard lock(sshMutex_);
    return channel_ != nullptr && ssh_channel_request_send_break(channel_, kBreakMs) == SSH_OK;
}

bool CSshTransport::ApplySettings(const SettingsStore&) {
    Host().Notifier().Notify(Msg::RestartForSettings);
    return true;
}

void CSshTransport::KeepAlive() {
    if (State() != TransportState::Connected) return;
    {
        std::lock_guard lock(sshMutex_);
        if (ssh_ != nullptr) ssh_send_ignore(ssh_, "");
    }
    Doorbell().Signal();
}

void CSshTransport::UpdateWindowSize() {
    if (State() != TransportState::Connected) return;
    const SettingsStore& settings = Host().Emulator().Settings();
    {
        std::lock_guard lock(sshMutex_);
        if (channel_ == nullptr) return;
        ssh_channel_change_pty_size(channel_, settings.GetNumber(P::Columns),
                                    settings.GetNumber(P::Lines));
    }
    Doorbell().Signal();
}

std::string CSshTransport::GetName(const SettingsStore& settings) const {
    return settings.GetString(P::HostName);
}

} // namespace tamsivane
