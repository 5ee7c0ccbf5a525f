// Runs a program with its standard input and output on a socket and relays
// between that socket and its own standard input and output, damaging what
// passes: each byte is flipped (one bit) or dropped at the given rates (per
// million), from a fixed seed so that a run can be repeated.
//
//   zmodem_relay SEED FLIPS DROPS PROGRAM [ARGUMENT]...
//
// Ends with the program's exit status once the program has ended.
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

bool WriteAll(int fd, const char* bytes, size_t n) {
    while (n > 0) {
        const ssize_t written = ::write(fd, bytes, n);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes += written;
        n -= static_cast<size_t>(written);
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 5) return 2;
    std::mt19937 random(static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10)));
    const unsigned flips = static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10));
    const unsigned drops = static_cast<unsigned>(std::strtoul(argv[3], nullptr, 10));
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, pair) != 0) return 2;
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pair[1], 0);
        ::dup2(pair[1], 1);
        ::close(pair[0]);
        ::close(pair[1]);
        ::execvp(argv[4], argv + 4);
        ::_exit(127);
    }
    ::close(pair[1]);
    const int program = pair[0];
    std::uniform_int_distribution<unsigned> perMillion(0, 999999);
    std::uniform_int_distribution<int> bit(0, 7);
    pollfd fds[2] = {{0, POLLIN, 0}, {program, POLLIN, 0}};
    const int to[2] = {program, 1};
    char buffer[4096];
    std::string out;
    bool open = true;
    while (open) {
        if (::poll(fds, 2, -1) < 0 && errno != EINTR) break;
        for (int side = 0; side < 2; ++side) {
            if (fds[side].revents == 0) continue;
            const ssize_t n = ::read(fds[side].fd, buffer, sizeof buffer);
            if (n <= 0) {
                // Either end closing ends the relay; the other end sees it closed.
                open = false;
                break;
            }
            out.clear();
            for (ssize_t i = 0; i < n; ++i) {
                const unsigned roll = perMillion(random);
                if (roll < drops) continue;
                char byte = buffer[i];
                if (roll < drops + flips) byte = static_cast<char>(byte ^ (1 << bit(random)));
                out += byte;
            }
            if (!WriteAll(to[side], out.data(), out.size())) open = false;
        }
    }
    ::shutdown(program, SHUT_WR);
    ::close(1);
    int status = 0;
    // The program ends once its input is closed; a stuck one is stopped.
    for (int waited = 0; ::waitpid(child, &status, WNOHANG) == 0; ++waited) {
        if (waited == 500) ::kill(child, SIGKILL);
        ::usleep(10000);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
