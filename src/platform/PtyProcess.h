// A program on a new pseudo-terminal: the program leads a session of its
// own with the terminal as its controlling terminal, and this side holds the
// terminal's master.  The I/O thread waits, reads and ends the program;
// writing and resizing may come from other threads.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/EventFd.h"

namespace tamsivane {

struct PtyCommand {
    std::string path;                     // the program to run
    std::vector<std::string> arguments;   // its argv, argv[0] first
    std::vector<std::string> environment; // NAME=VALUE
    std::string folder;                   // working folder; "" keeps ours
    int columns = 80;
    int lines = 24;
};

// How the user's shell runs: SHELL, else the password entry's shell, else
// /bin/sh, as a login shell ("-bash") in the home folder.
PtyCommand LoginShellCommand();
// A command line run through /bin/sh -c.
PtyCommand ShellCommandLine(const std::string& commandLine);
// A program with its argument vector as given (no shell), found as a shell
// finds it: a name with a slash as it is, otherwise along PATH.
PtyCommand ProgramCommand(std::vector<std::string> arguments);
// This process's environment with TERM set to term and the terminal size
// variables left out (the terminal itself says its size); TERMINFO_DIRS
// becomes terminfoDirs when that is not empty.
std::vector<std::string> TerminalEnvironment(const std::string& term,
                                             const std::string& terminfoDirs = {});

class PtyProcess {
public:
    struct Readiness {
        bool output = false; // Read() has something to say (data or the end)
        bool room = false;   // the terminal takes input again
        bool exited = false; // the program has ended (and was reaped)
    };

    PtyProcess() = default;
    // Ends the program as End(kDefaultGrace) does.
    ~PtyProcess();
    PtyProcess(const PtyProcess&) = delete;
    PtyProcess& operator=(const PtyProcess&) = delete;

    static constexpr std::chrono::milliseconds kDefaultGrace{2000};

    // Starts the program; false with the system's reason ("/bin/nosh: No
    // such file or directory") when the terminal could not be made or the
    // program could not be run.
    bool Start(const PtyCommand& command, std::string& reason);
    bool Running() const { return pid_ > 0 && !exited_; }
    pid_t Pid() const { return pid_; }
    // The program's exit status, or 128 + the signal that ended it.
    int ExitStatus() const { return exitStatus_; }

    // I/O thread.  Waits at most timeout for output (when wantOutput), room
    // (when wantRoom), the doorbell or the program's end.
    Readiness Wait(const EventFd& doorbell, bool wantOutput, bool wantRoom,
                   std::chrono::milliseconds timeout);
    // I/O thread.  Bytes read (> 0), 0 when nothing waits, -1 when nobody
    // holds the terminal any more.
    ptrdiff_t Read(uint8_t* buffer, size_t capacity);
    // Any thread, never blocks: the count taken (0 when the terminal is
    // full), -1 when it failed or is closed.
    ptrdiff_t Write(const uint8_t* data, size_t length);
    // Any thread: the terminal's new size; the program's group gets SIGWINCH.
    bool Resize(int columns, int lines);
    // I/O thread: reaps the program when it has ended; true once it has.
    bool Reap();
    // I/O thread.  Hangs up: SIGHUP to the program's process group and the
    // terminal closed; SIGKILL to the group when it has not ended within
    // grace; the program is reaped in every case.
    void End(std::chrono::milliseconds grace);

private:
    void CloseTerminal();

    mutable std::mutex mutex_; // guards fd_ against closing while written
    int fd_ = -1;              // the master; read by the I/O thread without the lock
    int exitFd_ = -1;          // a pidfd, readable once the program has ended; -1 without
    pid_t pid_ = -1;
    bool exited_ = false;
    int exitStatus_ = -1;
};

} // namespace tamsivane
