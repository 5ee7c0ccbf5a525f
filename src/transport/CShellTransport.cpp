#include "transport/CShellTransport.h"

#include "config/SettingsStore.h"
#include "emulator/VtEmulator.h"
#include "platform/Terminfo.h"
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
    PtyCommand command = !arguments_.empty()    ? ProgramCommand(arguments_)
                         : commandLine.empty() ? LoginShellCommand()
                                               : ShellCommandLine(commandLine);
    // Programs here can read the program's own terminal description, which
    // says what the emulator does beyond the VT terminal it is set to be.
    const std::string& chosen = ChosenTerminalName();
    const TerminfoAccess own =
        chosen.empty() || chosen == kOwnTerminalName ? FindOwnTerminfo() : TerminfoAccess{};
    const std::string term = !chosen.empty() ? chosen
                             : own.found     ? std::string(kOwnTerminalName)
                                             : TerminalTypeName(settings.GetNumber(P::TermID));
    command.environment = TerminalEnvironment(term, own.terminfoDirs);
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

CTransport::Input CShellTransport::WaitForInput(bool wantInput) {
    const bool waiting = output_.Waiting();
    const PtyProcess::Readiness ready = program_.Wait(Doorbell(), wantInput, waiting, kWaitTick);
    if (ready.exited) {
        TakeLastOutput();
        return Input::Ended;
    }
    if (waiting && !output_.Flush(ToTerminal())) return Input::Ended;
    return ready.output ? Input::Ready : Input::None;
}

// Nobody holds the terminal any more (-1): the program has closed it.
ptrdiff_t CShellTransport::ReadInput(uint8_t* buffer, size_t room) {
    return program_.Read(buffer, room);
}

void CShellTransport::TakeLastOutput() {
    std::lock_guard lock(Host().Lock());
    // Beyond the ring's room too: it waits and is shown as the ring empties.
    for (int i = 0; i < kLastReads; ++i) {
        if (ReadAndStore(kReadSize) <= 0) return;
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
