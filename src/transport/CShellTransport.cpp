#include "transport/CShellTransport.h"

#include <algorithm>

#include "config/SettingsStore.h"
#include "emulator/VtEmulator.h"
#include "session/UserNotifier.h"

namespace tamsivane {
namespace {

// Reads after the program's end, so that a terminal kept open by a
// background job cannot hold the session.
constexpr int kLastReads = 64;

} // namespace

CShellTransport::CShellTransport(TransportHost& host)
    : CTransport(host, TransportType::Shell), output_(Doorbell()) {
    output_.SetDrainedCallback([this] { Host().OutputDrained(); });
}

CShellTransport::~CShellTransport() { Shutdown(); }

OutputBacklog::Sink CShellTransport::ToTerminal() {
    return [this](const uint8_t* data, size_t length) {
        // Before the program runs (still connecting) everything waits.
        if (State() == TransportState::Connecting) return ptrdiff_t{0};
        return program_.Write(data, length);
    };
}

bool CShellTransport::Connect(const SettingsStore& settings) {
    const std::string& commandLine = settings.GetString(P::HostName);
    PtyCommand command = commandLine.empty() ? LoginShellCommand() : ShellCommandLine(commandLine);
    command.environment = TerminalEnvironment(TerminalTypeName(settings.GetNumber(P::TermID)));
    command.columns = settings.GetNumber(P::Columns);
    command.lines = settings.GetNumber(P::Lines);
    if (StopRequested()) return false;
    if (!program_.Start(command, failure_)) {
        ShowText(failure_ + "\r\n");
        return false;
    }
    programId_.store(program_.Pid());
    return true;
}

void CShellTransport::Close() {
    output_.Close();
    program_.End(kHangupGrace);
    programId_.store(-1);
}

bool CShellTransport::Poll() {
    for (;;) {
        if (StopRequested()) return false;
        if (TakeWake()) return true;
        const size_t room = std::min(ReceiveRoom(), kReadSize);
        const bool waiting = output_.Waiting();
        const PtyProcess::Readiness ready = program_.Wait(Doorbell(), room > 0, waiting, kWaitTick);
        if (ready.exited) {
            TakeLastOutput();
            return false;
        }
        if (waiting && !output_.Flush(ToTerminal())) return false;
        if (!ready.output) continue;
        // Read and stored under the session lock, where echoes are made: a
        // byte typed meanwhile comes after these.
        std::lock_guard lock(Host().Lock());
        const ptrdiff_t n = program_.Read(buffer_, room);
        // Nobody holds the terminal any more: the program has closed it.
        if (n < 0) return false;
        if (n > 0) {
            StoreReceived(buffer_, static_cast<size_t>(n));
            return true;
        }
    }
}

void CShellTransport::TakeLastOutput() {
    std::lock_guard lock(Host().Lock());
    for (int i = 0; i < kLastReads; ++i) {
        const ptrdiff_t n = program_.Read(buffer_, kReadSize);
        if (n <= 0) return;
        // Beyond the ring's room too: it waits and is shown as the ring empties.
        StoreReceived(buffer_, static_cast<size_t>(n));
    }
}

bool CShellTransport::Write(const uint8_t* bytes, size_t n) {
    const TransportState state = State();
    if (state == TransportState::Closing || state == TransportState::Closed) return false;
    return output_.Send(bytes, n, ToTerminal());
}

bool CShellTransport::ApplySettings(const SettingsStore& settings) {
    if (settings.GetNumber(P::HostType) != static_cast<int32_t>(TransportType::Shell)) {
        Host().Notifier().Notify(Msg::RestartForSettings);
    }
    return true;
}

void CShellTransport::UpdateWindowSize() {
    const SettingsStore& settings = Host().Emulator().Settings();
    program_.Resize(settings.GetNumber(P::Columns), settings.GetNumber(P::Lines));
}

std::string CShellTransport::GetName(const SettingsStore& settings) const {
    const std::string& command = settings.GetString(P::HostName);
    return command.empty() ? "Shell" : command;
}

} // namespace tamsivane
