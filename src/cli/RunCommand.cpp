// run: opens a whole session without windows (from a setup file, or the
// "default" template and a target), sends texts once it is connected, keeps
// it until the host closes it or the time is up, and prints the screen.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/PrintOutput.h"
#include "cli/TransferProgress.h"
#include "config/AddressBook.h"
#include "config/LineDevices.h"
#include "config/ResourceStrings.h"
#include "config/Templates.h"
#include "emulator/ControlNames.h"
#include "session/AddressBookSession.h"
#include "session/CVT420Doc.h"
#include "session/TelnetLink.h"
#include "session/TransportFactory.h"
#include "transport/CModemTransport.h"
#include "transport/CSshTransport.h"
#include "transport/CTelnetTransport.h"
#include "transport/ServiceNames.h"

namespace tamsivane {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::string_view kCommand = "run";
constexpr std::string_view kSshScheme = "ssh://";
constexpr double kDefaultTimeout = 10;
constexpr double kMaxTimeout = 7 * 24 * 3600;
constexpr auto kConnectLimit =
    std::max<std::chrono::milliseconds>(
        CTelnetTransport::kConnectTimeout + CTelnetTransport::kGreetingTimeout,
        2 * CModemTransport::kCommandTimeout + CModemTransport::kDialTimeout) +
    std::chrono::seconds(5);
// How long what has arrived may take to reach the screen before it is printed.
constexpr auto kShowLimit = std::chrono::seconds(10);
// Printing gives up on a printer that stops taking data by itself; this
// bound only guards that.
constexpr auto kPrintLimit = std::chrono::seconds(60);

struct RunOptions {
    SessionOptions session;
    PrintOptions print;
    std::optional<std::string> setupFile;
    std::optional<ConnectionValues> target;
    std::optional<AddressBookEntry> entry; // the session of an address-book entry
    std::vector<std::string> sends; // decoded, in order
    std::optional<std::string> capture;
    std::optional<std::string> device; // the serial line or modem, instead of the profile's
    std::optional<std::string> script;
    std::optional<std::string> recvDir;
    std::optional<std::string> terminalName; // TERM and the name told to the host
    std::vector<std::string> zmodemSends; // one batch, after the texts
    std::optional<std::string> sshUser;   // from ssh://USER@HOST
    bool acceptNewHostKeys = false;
    bool hostScripts = false; // scripts the host starts may run
    double timeout = kDefaultTimeout;
};

template <typename... Parts>
int UsageError(const Parts&... parts) {
    return ReportUsageError(kCommand, {std::string_view(parts)...});
}

// Messages go to standard error as they come, except that "Cannot connect"
// waits while held: a serial line or modem that fails to connect shows why on
// the screen (the dialling, "Busy"), which is printed first.
class RunUser final : public UserInteraction {
public:
    explicit RunUser(bool acceptNewHostKeys) : acceptNewHostKeys_(acceptNewHostKeys) {}
    ~RunUser() override { Release(); }

    // The question goes to standard error; the answer is --ssh-accept-new.
    bool ConfirmHostKey(std::string_view question, const std::function<bool()>&) override {
        ShowMessage(0, question);
        return acceptNewHostKeys_;
    }

    void ShowMessage(int id, std::string_view text) override {
        if (id == Msg::HostScriptRefused) {
            console_.ShowMessage(id, std::string(text) + " " + kHostScriptsHint);
            return;
        }
        {
            std::lock_guard lock(mutex_);
            if (id == Msg::CannotConnect && holding_) {
                held_.emplace_back(text);
                return;
            }
        }
        console_.ShowMessage(id, text);
    }
    Answer Ask(std::string_view caption, std::string_view question, Answer defaultAnswer) override {
        return console_.Ask(caption, question, defaultAnswer);
    }
    std::string ChooseSaveFile(std::string_view caption) override {
        return console_.ChooseSaveFile(caption);
    }
    std::optional<std::string> InputBox(std::string_view prompt, std::string_view initial,
                                        InputStyle style,
                                        const std::function<bool()>& cancelled) override {
        return console_.InputBox(prompt, initial, style, cancelled);
    }

    void Hold() {
        std::lock_guard lock(mutex_);
        holding_ = true;
    }
    // Shows what was held, and from now on everything as it comes.
    void Release() {
        std::vector<std::string> held;
        {
            std::lock_guard lock(mutex_);
            holding_ = false;
            held.swap(held_);
        }
        for (const std::string& text : held) console_.ShowMessage(Msg::CannotConnect, text);
    }

private:
    static constexpr const char* kHostScriptsHint = "Run with --host-scripts to allow them.";

    const bool acceptNewHostKeys_;
    HeadlessUser console_;
    std::mutex mutex_;
    bool holding_ = false;
    std::vector<std::string> held_;
};

// Follows the connection for the waits of the run and keeps what was sent.
class SessionWatch final : public SessionObserver {
public:
    void StateChanged(TransportState state) override {
        std::lock_guard lock(mutex_);
        connected_ = connected_ || state == TransportState::Connected;
        closed_ = closed_ || state == TransportState::Closed;
        changed_.notify_all();
    }
    void SentToHost(std::string_view bytes) override {
        std::lock_guard lock(mutex_);
        sent_.append(bytes);
    }

    // Until the connection stands or has ended; false at the deadline.
    bool WaitForConnection(Clock::time_point deadline) {
        std::unique_lock lock(mutex_);
        return changed_.wait_until(lock, deadline, [this] { return connected_ || closed_; });
    }
    void WaitForEnd(Clock::time_point deadline) {
        std::unique_lock lock(mutex_);
        changed_.wait_until(lock, deadline, [this] { return closed_; });
    }
    bool Connected() {
        std::lock_guard lock(mutex_);
        return connected_;
    }
    std::string Sent() {
        std::lock_guard lock(mutex_);
        return sent_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool connected_ = false;
    bool closed_ = false;
    std::string sent_;
};

bool HasSession(const RunOptions& options) {
    return options.target || options.setupFile || options.entry;
}

int SetTarget(RunOptions& options, ConnectionValues target) {
    if (HasSession(options)) return UsageError("more than one session to run");
    options.target = std::move(target);
    return 0;
}

// ssh://[USER@]HOST[:PORT], port 22 unless given.
int TakeSshTarget(RunOptions& options, std::string_view arg) {
    std::string_view rest = arg.substr(kSshScheme.size());
    if (const size_t at = rest.rfind('@'); at != std::string_view::npos) {
        options.sshUser = std::string(rest.substr(0, at));
        rest = rest.substr(at + 1);
    }
    const std::optional<TelnetTarget> link = ParseTelnetLink(rest);
    if (!link || (options.sshUser && options.sshUser->empty())) {
        return UsageError("not an ssh://[USER@]HOST[:PORT] link: \"", arg, "\"");
    }
    const size_t bracket = rest.rfind(']');
    const bool portGiven =
        rest.find(':', bracket == std::string_view::npos ? 0 : bracket) != std::string_view::npos;
    return SetTarget(options, {static_cast<int32_t>(TransportType::Ssh), link->host,
                               portGiven ? link->port : CSshTransport::kDefaultPort});
}

bool IsSshLink(std::string_view arg) {
    if (arg.size() < kSshScheme.size()) return false;
    for (size_t i = 0; i < kSshScheme.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(arg[i])) != kSshScheme[i]) return false;
    }
    return true;
}

int TakeTarget(RunOptions& options, std::string_view arg) {
    if (IsSshLink(arg)) return TakeSshTarget(options, arg);
    if (!IsTelnetLink(arg)) {
        if (HasSession(options)) return UsageError("more than one session to run");
        options.setupFile = std::string(arg);
        return 0;
    }
    const std::optional<TelnetTarget> link = ParseTelnetLink(arg);
    if (!link) return UsageError("not a telnet://HOST[:PORT] link: \"", arg, "\"");
    return SetTarget(options, {static_cast<int32_t>(TransportType::Telnet), link->host,
                               link->port});
}

// The address-book entry of that site name; 0 or the exit status.
int TakeEntry(RunOptions& options, std::string_view site) {
    if (HasSession(options)) return UsageError("more than one session to run");
    AddressBook book(DiscoverAddressBook());
    std::string error;
    if (!book.Load(error)) {
        const std::string text =
            FormatResource(Msg::CannotReadAddressBook, {book.Paths().read, error});
        std::fprintf(stderr, "%s\n", text.c_str());
        return kExitUsage;
    }
    const AddressBookEntry* entry = book.Find(site);
    if (!entry) {
        std::fprintf(stderr, "%s\n", FormatResource(Msg::NoAddressBookEntry, {site}).c_str());
        return kExitUsage;
    }
    options.entry = *entry;
    return 0;
}

// Returns 0 or the exit status of a usage error.
int ParseOptions(std::span<const std::string_view> args, RunOptions& options) {
    std::optional<std::string_view> host;
    std::optional<std::string_view> port;
    const auto positional = [&](std::string_view arg) { return TakeTarget(options, arg); };
    const auto option = [&](std::string_view arg, size_t& i) {
        if (arg == "--loopback") {
            return SetTarget(options,
                             {static_cast<int32_t>(TransportType::Local), "", kTelnetPort});
        }
        if (arg == "--local-shell") {
            return SetTarget(options, {static_cast<int32_t>(TransportType::Shell), "", 0});
        }
        if (arg == "--ssh-accept-new") {
            options.acceptNewHostKeys = true;
            return 0;
        }
        if (arg == "--host-scripts") {
            options.hostScripts = true;
            return 0;
        }
        bool taken = false;
        if (const int status = TakePrintOption(kCommand, args, i, options.print, taken)) return status;
        if (taken) return 0;
        const std::string_view name = arg.substr(0, arg.find('='));
        if (name != "--host" && name != "--port" && name != "--send" && name != "--capture" &&
            name != "--timeout" && name != "--device" && name != "--script" &&
            name != "--recv-dir" && name != "--zmodem-send" && name != "--entry" &&
            name != "--term") {
            return UsageError("unknown option \"", arg, "\"");
        }
        const std::optional<std::string_view> value = OptionValue(args, i, name);
        if (!value) return UsageError(name, " needs a value");
        if (name == "--host") {
            if (host) return UsageError("more than one --host");
            host = value;
        } else if (name == "--port") {
            port = value;
        } else if (name == "--send") {
            std::string bytes;
            std::string_view unknownName;
            if (!DecodeNotation(*value, bytes, &unknownName)) {
                return UsageError("malformed \\x escape in \"", *value, "\"");
            }
            // A mistyped name would reach the host as literal text.
            if (!unknownName.empty()) {
                return UsageError("unknown control name ", unknownName, " in --send \"", *value,
                                  "\"");
            }
            options.sends.push_back(std::move(bytes));
        } else if (name == "--entry") {
            if (const int status = TakeEntry(options, *value)) return status;
        } else if (name == "--capture") {
            options.capture = std::string(*value);
        } else if (name == "--device") {
            if (value->empty()) return UsageError("--device needs a device path");
            options.device = std::string(*value);
        } else if (name == "--script") {
            if (options.script) return UsageError("more than one --script");
            options.script = std::string(*value);
        } else if (name == "--recv-dir") {
            if (value->empty()) return UsageError("--recv-dir needs a folder");
            options.recvDir = std::string(*value);
        } else if (name == "--term") {
            options.terminalName = std::string(*value);
        } else if (name == "--zmodem-send") {
            if (value->empty()) return UsageError("--zmodem-send needs a file");
            options.zmodemSends.emplace_back(*value);
        } else {
            const std::optional<double> seconds = ParseDecimal<double>(*value);
            if (!seconds || !std::isfinite(*seconds) || *seconds < 0 || *seconds > kMaxTimeout) {
                return UsageError("--timeout needs a number of seconds, not \"", *value, "\"");
            }
            options.timeout = *seconds;
        }
        return 0;
    };
    if (const int status = WalkArguments(kCommand, args, options.session, positional, option))
        return status;
    if (port && !host) return UsageError("--port needs --host");
    if (host) {
        const int number = port ? PortFromText(*port) : kTelnetPort;
        if (number < 1) return UsageError("not a port: \"", port.value_or(""), "\"");
        if (host->empty()) return UsageError("--host needs a host name");
        const int status = SetTarget(
            options, {static_cast<int32_t>(TransportType::Telnet), std::string(*host), number});
        if (status) return status;
    }
    // A device alone is a serial line (HostType=3 with it dials a modem).
    if (!HasSession(options) && options.device) {
        options.target = ConnectionValues{static_cast<int32_t>(TransportType::Serial), "", 0};
    }
    if (!HasSession(options)) {
        return UsageError(
            "needs a setup file, telnet://HOST, ssh://HOST, --host, --loopback, --local-shell or "
            "--device");
    }
    return 0;
}

// Loads the session's settings and opens the capture file; 0 or the exit status.
int PrepareSession(const RunOptions& options, CVT420Doc& session, UserNotifier& user) {
    if (options.setupFile) {
        if (!session.LoadSetupFile(*options.setupFile)) return kExitUsage;
    } else {
        const Templates templates(DiscoverTemplateFolders());
        session.LoadNewSession(templates, options.target.value_or(ConnectionValues{}));
        const SessionLock locked = session.Locked();
        if (options.entry && !ApplyAddressBookEntry(*options.entry, templates,
                                                    locked.Settings(), locked.Keys(),
                                                    user)) {
            return kExitUsage;
        }
    }
    {
        const SessionLock locked = session.Locked();
        const int status =
            ApplySettings(kCommand, locked.Settings(), options.session.settings);
        if (status) return status;
        if (options.recvDir) locked.Settings().SetString(P::RecvDir, *options.recvDir);
        if (options.sshUser) locked.Settings().SetString(P::SshUser, *options.sshUser);
    }
    if (options.terminalName && !session.SetTerminalName(*options.terminalName)) {
        return UsageError("not a terminal name: \"", *options.terminalName, "\"");
    }
    if (options.device) {
        LineDevices lines;
        lines.deviceOverride = *options.device;
        session.SetLineDevices(std::move(lines));
    }
    if (options.capture && !session.StartCapture(*options.capture)) {
        std::fprintf(stderr, "tamsivane-cli run: cannot create \"%s\": %s\n",
                     options.capture->c_str(), std::strerror(errno));
        return kExitUsage;
    }
    return 0;
}

// Runs the script until it ends or the time is up; 0 or the exit status of
// its failure (already reported).
int RunScript(CVT420Doc& session, const std::string& path, Clock::time_point deadline) {
    const std::shared_ptr<ScriptRun> run = session.RunScriptFile(path);
    if (!run->WaitUntilEnded(deadline)) {
        session.CancelScripts();
        std::fputs((std::string(ResourceString(Msg::ScriptTimedOut)) + "\n").c_str(), stderr);
        return kExitScriptTimedOut;
    }
    switch (run->Result()) {
    case ScriptRun::State::Failed: return kExitScriptError;
    case ScriptRun::State::NotLoaded: return kExitUsage;
    default: return 0;
    }
}

// The session itself, printing through printing when given; its exit status.
int RunWith(const RunOptions& options, std::shared_ptr<PrintBackend> printing) {
    RunUser user(options.acceptNewHostKeys);
    SessionWatch watch;
    TransferProgress progress;
    CVT420Doc session(user);
    session.SetHostScriptPolicy(options.hostScripts ? HostScriptPolicy::Allow
                                                    : HostScriptPolicy::Refuse);
    if (printing) session.SetPrintBackend(std::move(printing));
    session.AddObserver(&watch);
    session.AddObserver(&progress);
    if (const int status = PrepareSession(options, session, user)) return status;
    int32_t hostType;
    {
        const SessionLock locked = session.Locked();
        hostType = locked.Settings().GetNumber(P::HostType);
    }
    const bool line = hostType == static_cast<int32_t>(TransportType::Serial) ||
                      hostType == static_cast<int32_t>(TransportType::Modem);
    if (line) user.Hold();

    if (!session.OpenConnection(CVT420Doc::Connect::Now)) {
        if (options.entry) {
            user.Notify(Msg::ConnectionNotSupported);
        } else {
            user.ShowMessage(0, NoTransportMessage(hostType));
        }
        return kExitUsage;
    }
    // The transport gives up connecting by itself; this bound only guards that.
    if (!watch.WaitForConnection(Clock::now() + kConnectLimit)) {
        // Stopped while connecting, the transport reports nothing of its own.
        session.Disconnect(CVT420Doc::Confirm::Silently);
        std::string text(ResourceString(Msg::CannotConnect));
        {
            const SessionLock locked = session.Locked();
            const SettingsStore& settings = locked.Settings();
            text += '\n' + CTelnetTransport::DescribeFailure(settings.GetString(P::HostName),
                                                            settings.GetNumber(P::Port),
                                                            CTcpSocket::ConnectResult::TimedOut);
        }
        user.ShowMessage(Msg::CannotConnect, text);
        return kExitUsage;
    }
    // A connection that failed has told the user why; a line has shown it
    // on the screen as well.
    if (!watch.Connected()) {
        if (line) {
            const SessionLock locked = session.Locked();
            PrintDump(kCommand, locked.Emulator(), options.session.dump, {});
        }
        return kExitUsage;
    }
    user.Release();

    bool sendFailed = false;
    for (const std::string& text : options.sends) {
        if (!session.Send(text)) break;
    }
    if (!options.zmodemSends.empty()) sendFailed = !session.StartSend(options.zmodemSends);
    const Clock::time_point deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(
                           std::chrono::duration<double>(options.timeout));
    int scriptStatus = 0;
    if (options.script) {
        scriptStatus = RunScript(session, *options.script, deadline);
    } else {
        watch.WaitForEnd(deadline);
    }
    // Stopping drops what still waits in the receive ring (the echo of the
    // texts with a short time limit), so it is shown first.
    session.WaitUntilShown(Clock::now() + kShowLimit);
    session.Disconnect(CVT420Doc::Confirm::Silently);
    session.WaitUntilPrinted(Clock::now() + kPrintLimit);

    const std::string replies =
        options.session.dump == DumpFormat::Json ? watch.Sent() : std::string();
    int status;
    {
        const SessionLock locked = session.Locked();
        status = PrintDump(kCommand, locked.Emulator(), options.session.dump, replies);
    }
    if (scriptStatus) return scriptStatus;
    if (!session.StopCapture()) {
        std::fprintf(stderr, "tamsivane-cli run: cannot write all of \"%s\"\n",
                     options.capture->c_str());
        return kExitFailure;
    }
    // A transfer that failed, was cancelled or was cut by the time limit.
    if (status == 0 && (sendFailed || session.FailedTransfers() > 0)) return kExitTransfer;
    return status;
}

} // namespace

int RunSession(std::span<const std::string_view> args) {
    RunOptions options;
    if (const int status = ParseOptions(args, options)) return status;
    return WithPrintFile(kCommand, options.print, [&](std::shared_ptr<PrintBackend> printing) {
        return RunWith(options, std::move(printing));
    });
}

} // namespace tamsivane
