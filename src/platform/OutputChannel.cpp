#include "platform/OutputChannel.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "platform/PollRetrying.h"

extern char** environ;

namespace tamsivane {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kChildPoll = std::chrono::milliseconds(10);
constexpr auto kWriterGraceAfterTerm = std::chrono::milliseconds(500);

// write() with SIGPIPE held back on this thread: a reader that has gone
// gives EPIPE, and the signal it raised is taken before it is let through.
ssize_t WriteWithoutSigpipe(int fd, const char* data, size_t size) {
    sigset_t pipeOnly, saved;
    sigemptyset(&pipeOnly);
    sigaddset(&pipeOnly, SIGPIPE);
    sigset_t pending;
    sigemptyset(&pending);
    pthread_sigmask(SIG_BLOCK, &pipeOnly, &saved);
    const bool alreadyPending = sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE);
    const ssize_t written = write(fd, data, size);
    const int error = errno;
    if (written < 0 && error == EPIPE && !alreadyPending) {
        const timespec none{0, 0};
        while (sigtimedwait(&pipeOnly, nullptr, &none) < 0 && errno == EINTR) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &saved, nullptr);
    errno = error;
    return written;
}

} // namespace

int WriteAllBounded(int fd, std::string_view bytes, std::chrono::milliseconds stall) {
    if (fd < 0) return EBADF;
    size_t done = 0;
    Clock::time_point giveUp = Clock::now() + stall;
    while (done < bytes.size()) {
        const ssize_t n = WriteWithoutSigpipe(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            giveUp = Clock::now() + stall;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return errno;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(giveUp - Clock::now());
        if (left.count() <= 0) return ETIMEDOUT;
        pollfd entry{fd, POLLOUT, 0};
        const int ready = PollRetrying(&entry, 1, static_cast<int>(left.count()) + 1);
        if (ready < 0) return errno;
        if (ready > 0 && (entry.revents & (POLLERR | POLLNVAL))) return EPIPE;
    }
    return 0;
}

// --- a program's standard input ------------------------------------------------------

ProgramInput::~ProgramInput() { Finish(std::chrono::milliseconds(0)); }

int ProgramInput::Start(const std::vector<std::string>& argv) {
    if (argv.empty() || Running()) return EINVAL;
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return errno;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[0], STDIN_FILENO);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid;
    const int error = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(ends[0]);
    if (error != 0) {
        close(ends[1]);
        return error;
    }
    fcntl(ends[1], F_SETFL, fcntl(ends[1], F_GETFL) | O_NONBLOCK);
    pid_ = pid;
    fd_ = ends[1];
    return 0;
}

int ProgramInput::Write(std::string_view bytes, std::chrono::milliseconds stall) {
    return WriteAllBounded(fd_, bytes, stall);
}

int ProgramInput::Finish(std::chrono::milliseconds limit) {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    if (!Running()) return -1;
    const pid_t pid = pid_;
    pid_ = -1;
    const Clock::time_point termAt = Clock::now() + limit;
    bool ended = false;
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return !ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (done < 0) return -1;
        if (!ended && Clock::now() >= termAt) {
            ended = true;
            kill(pid, SIGTERM);
        } else if (ended && Clock::now() >= termAt + kWriterGraceAfterTerm) {
            kill(pid, SIGKILL);
        }
        std::this_thread::sleep_for(kChildPoll);
    }
}

// --- a device ------------------------------------------------------------------------

DeviceOutput::~DeviceOutput() { Close(); }

int DeviceOutput::Open(const std::string& path) {
    Close();
    fd_ = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    return fd_ < 0 ? errno : 0;
}

int DeviceOutput::Write(std::string_view bytes, std::chrono::milliseconds stall) {
    return WriteAllBounded(fd_, bytes, stall);
}

void DeviceOutput::Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

} // namespace tamsivane
