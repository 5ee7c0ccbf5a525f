#include "SerialPeers.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <thread>

#include "TestPeers.h"

extern char** environ;

namespace tamsivane::testing {
namespace {

using Clock = std::chrono::steady_clock;

std::string PtyAddress(const std::string& link) { return "pty,raw,echo=0,link=" + link; }

bool IsTerminal(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISCHR(info.st_mode);
}

} // namespace

SocatPtys::SocatPtys() {
    near_ = folder_.File("near");
    far_ = folder_.File("far");
    Start({PtyAddress(near_), PtyAddress(far_)}, {near_, far_});
}

SocatPtys::SocatPtys(const std::vector<std::string>& program) {
    near_ = folder_.File("near");
    std::string command;
    for (const std::string& word : program) {
        command += (command.empty() ? "" : " ") + word;
    }
    // The program talks through a pipe pair; its standard error is kept.
    Start({PtyAddress(near_), "EXEC:" + command + ",stderr"}, {near_});
}

void SocatPtys::Start(std::vector<std::string> arguments, std::vector<std::string> links) {
    if (folder_.Path().empty()) return;
    arguments.insert(arguments.begin(), "socat");
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    if (posix_spawnp(&pid_, "socat", nullptr, nullptr, argv.data(), environ) != 0) {
        pid_ = -1;
        return;
    }
    ready_ = WaitUntil([&] {
        for (const std::string& link : links) {
            if (!IsTerminal(link)) return false;
        }
        return true;
    });
}

void SocatPtys::Unplug() {
    if (pid_ <= 0) return;
    StopChild(pid_);
    pid_ = -1;
}

SocatPtys::~SocatPtys() { Unplug(); }

LineEnd::LineEnd(const std::string& path) {
    fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios t{};
    if (fd_ >= 0 && tcgetattr(fd_, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(fd_, TCSANOW, &t);
    }
}

LineEnd::~LineEnd() {
    if (fd_ >= 0) close(fd_);
}

std::string LineEnd::Read(size_t count, std::chrono::milliseconds limit) {
    std::string received;
    const auto deadline = Clock::now() + limit;
    char buffer[4096];
    while (received.size() < count) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd entry{fd_, POLLIN, 0};
        if (left.count() <= 0 || poll(&entry, 1, static_cast<int>(left.count())) != 1) break;
        const ssize_t n = read(fd_, buffer, std::min(sizeof buffer, count - received.size()));
        if (n < 0 && errno == EAGAIN) continue;
        if (n <= 0) break;
        received.append(buffer, static_cast<size_t>(n));
    }
    return received;
}

bool LineEnd::Write(const std::string& bytes) {
    size_t done = 0;
    const auto deadline = Clock::now() + 20s;
    while (done < bytes.size() && Clock::now() < deadline) {
        const ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            pollfd entry{fd_, POLLOUT, 0};
            poll(&entry, 1, 100);
        } else {
            return false;
        }
    }
    return done == bytes.size();
}

} // namespace tamsivane::testing
