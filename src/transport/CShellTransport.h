// A session with a program on the local machine: the user's login shell,
// HostName run through /bin/sh -c, or a program given with its argument
// vector, on a pseudo-terminal named after TermID
// and sized Columns x Lines.  The program's end ends the session; closing
// the session hangs the program up and kills it when it lingers.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "platform/OutputBacklog.h"
#include "platform/PtyProcess.h"
#include "transport/CTransport.h"

namespace tamsivane {

class CShellTransport final : public CTransport {
public:
    // How long a hung-up program may take to end before it is killed.
    static constexpr std::chrono::milliseconds kHangupGrace{2000};

    explicit CShellTransport(TransportHost& host);
    ~CShellTransport() override;

    // Before Start: runs these words (the program first) instead of what
    // HostName says, with no shell between.
    void RunProgram(std::vector<std::string> arguments) { arguments_ = std::move(arguments); }

    bool Connect(const SettingsStore& settings) override;
    void Close() override;
    // Never waits: what the terminal does not take at once is written later.
    bool Write(const uint8_t* bytes, size_t n) override;
    bool OutputWaiting() const override { return output_.Waiting(); }
    bool ApplySettings(const SettingsStore& settings) override;
    void UpdateWindowSize() override;
    std::string GetName(const SettingsStore& settings) const override;

    // The program's process id while it runs (for tests); -1 before and after.
    pid_t ProgramId() const { return programId_.load(); }

private:
    Input WaitForInput(bool wantInput) override;
    ptrdiff_t ReadInput(uint8_t* buffer, size_t room) override;
    OutputBacklog::Sink ToTerminal();
    // I/O thread, once the program has ended: what it left on the terminal.
    void TakeLastOutput();

    std::vector<std::string> arguments_;
    PtyProcess program_;
    OutputBacklog output_;
    std::atomic<pid_t> programId_{-1};
};

} // namespace tamsivane
