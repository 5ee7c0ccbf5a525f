#include "TestPeers.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

#include "emulator/ScreenBuffer.h"

extern char** environ;

namespace tamsivane::testing {
namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

int ListenOnLoopback(int& port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        listen(fd, 4) != 0 || getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        if (fd >= 0) close(fd);
        return -1;
    }
    port = ntohs(address.sin_port);
    return fd;
}

} // namespace

ListeningProgram::ListeningProgram(std::vector<std::string> arguments) {
    int out[2];
    if (pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    // The first line is the port.
    std::string line;
    const auto deadline = Clock::now() + 20s;
    char c;
    pollfd entry{out[0], POLLIN, 0};
    while (pid_ > 0 && poll(&entry, 1, MillisecondsLeft(deadline)) == 1 &&
           read(out[0], &c, 1) == 1 && c != '\n') {
        line += c;
    }
    close(out[0]);
    port_ = std::atoi(line.c_str());
}

void StopChild(pid_t pid) {
    kill(pid, SIGTERM);
    const auto deadline = Clock::now() + 5s;
    while (waitpid(pid, nullptr, WNOHANG) == 0) {
        if (Clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            return;
        }
        std::this_thread::sleep_for(10ms);
    }
}

ListeningProgram::~ListeningProgram() {
    if (pid_ > 0) StopChild(pid_);
}

Listener::Listener() { listener_ = ListenOnLoopback(port_); }

Listener::~Listener() {
    CloseConnection();
    if (listener_ >= 0) close(listener_);
}

bool Listener::Accept(std::chrono::milliseconds limit) {
    pollfd entry{listener_, POLLIN, 0};
    if (poll(&entry, 1, static_cast<int>(limit.count())) != 1) return false;
    connection_ = accept(listener_, nullptr, nullptr);
    return connection_ >= 0;
}

std::string Listener::Read(size_t count, std::chrono::milliseconds limit) {
    std::string received;
    const auto deadline = Clock::now() + limit;
    char buffer[4096];
    pollfd entry{connection_, POLLIN, 0};
    while (received.size() < count && poll(&entry, 1, MillisecondsLeft(deadline)) == 1) {
        const ssize_t n =
            recv(connection_, buffer, std::min(sizeof buffer, count - received.size()), 0);
        if (n <= 0) break;
        received.append(buffer, static_cast<size_t>(n));
    }
    return received;
}

std::string Listener::ReadFor(std::chrono::milliseconds limit) { return Read(SIZE_MAX, limit); }

void Listener::Write(const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(connection_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += static_cast<size_t>(n);
    }
}

void Listener::CloseConnection() {
    if (connection_ >= 0) close(connection_);
    connection_ = -1;
}

int UnusedPort() {
    int port = 0;
    const int fd = ListenOnLoopback(port);
    if (fd >= 0) close(fd);
    return port;
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

std::string PageText(const ScreenBuffer& screen) {
    std::string text;
    for (int row = 0; row < screen.Lines(); ++row) {
        std::string line;
        for (char16_t c : screen.TextOfRegion(row, 0, row, kStride - 1)) {
            line += c < 0x80 ? static_cast<char>(c) : '?';
        }
        line.erase(line.find_last_not_of(' ') + 1);
        if (row > 0) text += '\n';
        text += line;
    }
    return text;
}

} // namespace tamsivane::testing
