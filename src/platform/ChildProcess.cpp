#include "platform/ChildProcess.h"

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

// Waits for the child; after stop() it is asked to end, then made to.
int WaitForChild(pid_t pid, const std::function<bool()>& stop) {
    bool stopping = false;
    std::chrono::steady_clock::time_point killAt{};
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            if (stopping) return -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        if (done < 0) return -1;
        if (!stopping && stop && stop()) {
            stopping = true;
            kill(pid, SIGTERM);
            killAt = std::chrono::steady_clock::now() + kGraceAfterTerm;
        } else if (stopping && std::chrono::steady_clock::now() >= killAt) {
            kill(pid, SIGKILL);
        }
        std::this_thread::sleep_for(kPollInterval);
    }
}

} // namespace

int RunProgram(const std::vector<std::string>& argv, const std::function<bool()>& stop) {
    if (argv.empty()) return -1;
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid;
    if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) return -1;
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
