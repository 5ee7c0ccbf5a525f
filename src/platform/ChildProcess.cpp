#include "platform/ChildProcess.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>

#include <chrono>
#include <thread>

extern char** environ;

namespace tamsivane {
namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(10);
constexpr auto kGraceAfterTerm = std::chrono::milliseconds(500);

// Ends the child's whole group: a shell's own children would otherwise
// outlive it, keep running and keep our output streams open.  SIGTERM first,
// SIGKILL for what is left after the grace time; the child is reaped.
void EndGroup(pid_t pid) {
    kill(-pid, SIGTERM);
    const auto killAt = std::chrono::steady_clock::now() + kGraceAfterTerm;
    int status = 0;
    bool reaped = false;
    while (!reaped && std::chrono::steady_clock::now() < killAt) {
        reaped = waitpid(pid, &status, WNOHANG) == pid;
        if (!reaped) std::this_thread::sleep_for(kPollInterval);
    }
    kill(-pid, SIGKILL);
    // After SIGKILL the wait ends at once.
    if (!reaped) waitpid(pid, &status, 0);
}

// Waits for the child, or ends it once stop() turns true.
int WaitForChild(pid_t pid, const std::function<bool()>& stop) {
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (done < 0) return -1;
        if (stop && stop()) {
            EndGroup(pid);
            return -1;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
}

// posix_spawn's file actions and attributes, released on every path.
class SpawnSetup {
public:
    SpawnSetup() {
        posix_spawn_file_actions_init(&actions_);
        posix_spawnattr_init(&attributes_);
        posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions_, STDERR_FILENO, STDOUT_FILENO);
        posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup(&attributes_, 0);
    }
    ~SpawnSetup() {
        posix_spawnattr_destroy(&attributes_);
        posix_spawn_file_actions_destroy(&actions_);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    bool Spawn(pid_t& pid, char* const argv[]) const {
        return posix_spawnp(&pid, argv[0], &actions_, &attributes_, argv, environ) == 0;
    }

private:
    posix_spawn_file_actions_t actions_;
    posix_spawnattr_t attributes_;
};

} // namespace

int RunProgram(const std::vector<std::string>& argv, const std::function<bool()>& stop) {
    if (argv.empty()) return -1;
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid;
    if (!SpawnSetup().Spawn(pid, args.data())) return -1;
    return WaitForChild(pid, stop);
}

int RunShellCommand(const std::string& commandLine, const std::function<bool()>& stop) {
    return RunProgram({"/bin/sh", "-c", commandLine}, stop);
}

void PlaySoundFile(const std::string& path, const std::function<bool()>& stop) {
    // 127: the shell's "not found" when a player is missing.
    for (const char* player : {"paplay", "aplay"}) {
        const int status = RunProgram({player, path}, stop);
        if (status == 0 || (stop && stop())) return;
        if (status != -1 && status != 127) return;
    }
}

} // namespace tamsivane
