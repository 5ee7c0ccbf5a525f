#include "platform/PtyProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include <algorithm>
#include <thread>

#include "platform/PollRetrying.h"
#include "platform/UserAccount.h"

extern char** environ;

namespace tamsivane {
namespace {

using Clock = std::chrono::steady_clock;

// How long the program may take to be run (or to fail) after the fork.
constexpr std::chrono::milliseconds kExecLimit{10000};
// How long a program killed with SIGKILL may take to be reaped.
constexpr std::chrono::milliseconds kKillLimit{5000};
constexpr std::chrono::milliseconds kReapTick{10};

int OpenPidFd(pid_t pid) {
#ifdef SYS_pidfd_open
    const long fd = syscall(SYS_pidfd_open, pid, 0);
    if (fd >= 0) {
        fcntl(static_cast<int>(fd), F_SETFD, FD_CLOEXEC);
        return static_cast<int>(fd);
    }
#endif
    (void)pid;
    return -1;
}

std::vector<char*> PointersTo(const std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    pointers.reserve(texts.size() + 1);
    for (const std::string& text : texts) pointers.push_back(const_cast<char*>(text.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

// In the child, between fork and exec: only async-signal-safe calls.  The
// program gets default signal handling (ignored signals would otherwise stay
// ignored across exec), the terminal as its controlling terminal and its
// standard streams, and no descriptor of ours.
[[noreturn]] void RunChild(int terminal, int errorPipe, const char* path, char** argv,
                           char** envp, const char* folder) {
    sigset_t all;
    sigemptyset(&all);
    sigprocmask(SIG_SETMASK, &all, nullptr);
    struct sigaction standard{};
    standard.sa_handler = SIG_DFL;
    for (int sig = 1; sig < NSIG; ++sig) sigaction(sig, &standard, nullptr);
    setsid();
    ioctl(terminal, TIOCSCTTY, 0);
    for (int stream = 0; stream < 3; ++stream) dup2(terminal, stream);
    if (terminal > 2) close(terminal);
    if (*folder) (void)chdir(folder);
#ifdef SYS_close_range
    // Everything else goes at exec; the error pipe (close-on-exec already)
    // stays until then.
    syscall(SYS_close_range, 3U, ~0U, 4U /* CLOSE_RANGE_CLOEXEC */);
#endif
    execve(path, argv, envp);
    const int error = errno;
    (void)!write(errorPipe, &error, sizeof error);
    _exit(127);
}

// Reads the child's errno from the pipe: 0 when the program runs (the pipe
// closed at exec).
int ExecOutcome(int readEnd) {
    pollfd entry{readEnd, POLLIN, 0};
    if (PollRetrying(&entry, 1, static_cast<int>(kExecLimit.count())) <= 0) return ETIMEDOUT;
    int error = 0;
    ssize_t n;
    do {
        n = read(readEnd, &error, sizeof error);
    } while (n < 0 && errno == EINTR);
    return n == static_cast<ssize_t>(sizeof error) ? error : 0;
}

} // namespace

PtyCommand LoginShellCommand() {
    PtyCommand command;
    command.path = LoginShell();
    if (command.path.empty()) command.path = "/bin/sh";
    const size_t slash = command.path.rfind('/');
    command.arguments = {"-" + command.path.substr(slash == std::string::npos ? 0 : slash + 1)};
    command.folder = HomeFolder();
    return command;
}

PtyCommand ProgramCommand(std::vector<std::string> arguments) {
    PtyCommand command;
    if (arguments.empty()) return command;
    command.path = arguments.front();
    const char* searched = std::getenv("PATH");
    const std::string_view path = searched != nullptr ? searched : "/usr/local/bin:/usr/bin:/bin";
    for (size_t start = 0; command.path.find('/') == std::string::npos && start <= path.size();) {
        const size_t end = std::min(path.find(':', start), path.size());
        // An empty entry is the working folder.
        const std::string folder(end > start ? path.substr(start, end - start) : ".");
        const std::string candidate = folder + "/" + command.path;
        struct stat info{};
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            access(candidate.c_str(), X_OK) == 0) {
            command.path = candidate;
        }
        start = end + 1;
    }
    command.arguments = std::move(arguments);
    return command;
}

PtyCommand ShellCommandLine(const std::string& commandLine) {
    PtyCommand command;
    command.path = "/bin/sh";
    command.arguments = {"sh", "-c", commandLine};
    return command;
}

std::vector<std::string> TerminalEnvironment(const std::string& term,
                                             const std::string& terminfoDirs) {
    std::vector<std::string> environment;
    for (char** entry = environ; entry && *entry; ++entry) {
        const std::string_view variable(*entry);
        const std::string_view name = variable.substr(0, variable.find('='));
        if (name == "TERM" || name == "COLUMNS" || name == "LINES") continue;
        if (name == "TERMINFO_DIRS" && !terminfoDirs.empty()) continue;
        environment.emplace_back(variable);
    }
    environment.push_back("TERM=" + term);
    if (!terminfoDirs.empty()) environment.push_back("TERMINFO_DIRS=" + terminfoDirs);
    return environment;
}

PtyProcess::~PtyProcess() { End(kDefaultGrace); }

bool PtyProcess::Start(const PtyCommand& command, std::string& reason) {
    const auto failed = [&](const std::string& what, int error) {
        reason = what + ": " + std::strerror(error);
        CloseTerminal();
        return false;
    };
    if (pid_ > 0 || command.arguments.empty()) return failed(command.path, EINVAL);
    // A bare name was not found on PATH: never one in the working folder.
    if (command.path.find('/') == std::string::npos) return failed(command.path, ENOENT);
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) return failed("pseudo-terminal", errno);
    {
        std::lock_guard lock(mutex_);
        fd_ = master;
    }
    char name[128];
    if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name) != 0) {
        return failed("pseudo-terminal", errno);
    }
    winsize size{};
    size.ws_col = static_cast<unsigned short>(std::clamp(command.columns, 1, 0xffff));
    size.ws_row = static_cast<unsigned short>(std::clamp(command.lines, 1, 0xffff));
    ioctl(master, TIOCSWINSZ, &size);
    const int terminal = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (terminal < 0) return failed(name, errno);
    int errorPipe[2];
    if (pipe2(errorPipe, O_CLOEXEC) != 0) {
        const int error = errno;
        close(terminal);
        return failed("pipe", error);
    }
    // Everything the child needs is made before the fork.
    std::vector<char*> argv = PointersTo(command.arguments);
    std::vector<char*> envp = PointersTo(command.environment);
    const pid_t pid = fork();
    if (pid == 0) {
        RunChild(terminal, errorPipe[1], command.path.c_str(), argv.data(), envp.data(),
                 command.folder.c_str());
    }
    const int forkError = errno;
    close(terminal);
    close(errorPipe[1]);
    if (pid < 0) {
        close(errorPipe[0]);
        return failed("fork", forkError);
    }
    pid_ = pid;
    exited_ = false;
    exitFd_ = OpenPidFd(pid);
    const int error = ExecOutcome(errorPipe[0]);
    close(errorPipe[0]);
    if (error != 0) {
        End(std::chrono::milliseconds(0));
        return failed(command.path, error);
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    return true;
}

PtyProcess::Readiness PtyProcess::Wait(const EventFd& doorbell, bool wantOutput, bool wantRoom,
                                       std::chrono::milliseconds timeout) {
    Readiness readiness;
    const short events = static_cast<short>((wantOutput ? POLLIN : 0) | (wantRoom ? POLLOUT : 0));
    pollfd entries[3] = {{doorbell.Fd(), POLLIN, 0},
                         {events != 0 ? fd_ : -1, events, 0},
                         {exited_ ? -1 : exitFd_, POLLIN, 0}};
    if (PollRetrying(entries, 3, static_cast<int>(timeout.count())) > 0) {
        if (entries[0].revents & POLLIN) doorbell.Drain();
        const short got = entries[1].revents;
        readiness.output = wantOutput && (got & (POLLIN | POLLHUP | POLLERR));
        readiness.room = wantRoom && (got & (POLLOUT | POLLERR));
    }
    readiness.exited = Reap();
    return readiness;
}

ptrdiff_t PtyProcess::Read(uint8_t* buffer, size_t capacity) {
    if (fd_ < 0) return -1;
    if (capacity == 0) return 0;
    for (;;) {
        const ssize_t count = read(fd_, buffer, capacity);
        if (count > 0) return count;
        if (count == 0) return -1;
        if (errno == EINTR) continue;
        return (errno == EAGAIN || errno == EWOULDBLOCK) ? 0 : -1;
    }
}

ptrdiff_t PtyProcess::Write(const uint8_t* data, size_t length) {
    std::lock_guard lock(mutex_);
    if (fd_ < 0) return -1;
    for (;;) {
        const ssize_t count = write(fd_, data, length);
        if (count >= 0) return count;
        if (errno == EINTR) continue;
        return (errno == EAGAIN || errno == EWOULDBLOCK) ? 0 : -1;
    }
}

bool PtyProcess::Resize(int columns, int lines) {
    winsize size{};
    size.ws_col = static_cast<unsigned short>(std::clamp(columns, 1, 0xffff));
    size.ws_row = static_cast<unsigned short>(std::clamp(lines, 1, 0xffff));
    std::lock_guard lock(mutex_);
    return fd_ >= 0 && ioctl(fd_, TIOCSWINSZ, &size) == 0;
}

bool PtyProcess::Reap() {
    if (exited_ || pid_ <= 0) return exited_;
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
        exited_ = true;
        exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    } else if (done < 0 && errno == ECHILD) {
        // Reaped elsewhere: the status is lost, the program is gone.
        exited_ = true;
    }
    return exited_;
}

void PtyProcess::End(std::chrono::milliseconds grace) {
    // Signals go only to a program not yet reaped, whose id cannot have
    // been given to another process.
    if (pid_ > 0 && !Reap()) kill(-pid_, SIGHUP);
    CloseTerminal();
    if (pid_ <= 0) return;
    const auto waitUntil = [this](Clock::time_point deadline) {
        while (!Reap() && Clock::now() < deadline) {
            pollfd entry{exitFd_, POLLIN, 0};
            PollRetrying(&entry, exitFd_ >= 0 ? 1 : 0, static_cast<int>(kReapTick.count()));
        }
        return exited_;
    };
    if (!waitUntil(Clock::now() + grace)) {
        kill(-pid_, SIGKILL);
        kill(pid_, SIGKILL);
        waitUntil(Clock::now() + kKillLimit);
    }
    if (exitFd_ >= 0) close(exitFd_);
    exitFd_ = -1;
    pid_ = -1;
}

void PtyProcess::CloseTerminal() {
    std::lock_guard lock(mutex_);
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

} // namespace tamsivane
