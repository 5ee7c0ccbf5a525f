// Test proxy: listens on 127.0.0.1 at a free port and prints the port on
// standard output; for one client it sends a greeting, reads a line
// "host port\n", connects there and relays bytes both ways until either
// side closes.  Gives up after 60 seconds of silence.
//
//   line_proxy [GREETING]
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>

#include "LoopbackListen.h"
#include <cstring>
#include <string>

namespace {

constexpr int kSilenceMs = 60000;

bool WaitReadable(int fd) {
    pollfd entry{fd, POLLIN, 0};
    return poll(&entry, 1, kSilenceMs) == 1;
}

bool WriteAll(int fd, const char* data, size_t length) {
    while (length > 0) {
        const ssize_t count = send(fd, data, length, MSG_NOSIGNAL);
        if (count <= 0) return false;
        data += count;
        length -= static_cast<size_t>(count);
    }
    return true;
}

int ConnectTo(const std::string& host, const std::string& port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(host.c_str(), port.c_str(), &hints, &list) != 0) return -1;
    int fd = -1;
    for (addrinfo* a = list; a && fd < 0; a = a->ai_next) {
        fd = socket(a->ai_family, SOCK_STREAM, 0);
        if (fd >= 0 && connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
            close(fd);
            fd = -1;
        }
    }
    freeaddrinfo(list);
    return fd;
}

// Reads the request line a byte at a time, so nothing after it is consumed.
bool ReadLine(int fd, std::string& line) {
    char c;
    while (line.size() < 512) {
        if (!WaitReadable(fd) || recv(fd, &c, 1, 0) != 1) return false;
        if (c == '\n') return true;
        line += c;
    }
    return false;
}

void Relay(int a, int b) {
    char buffer[4096];
    pollfd entries[2] = {{a, POLLIN, 0}, {b, POLLIN, 0}};
    while (poll(entries, 2, kSilenceMs) > 0) {
        for (int i = 0; i < 2; ++i) {
            if (!entries[i].revents) continue;
            const ssize_t count = recv(entries[i].fd, buffer, sizeof buffer, 0);
            if (count <= 0 || !WriteAll(entries[1 - i].fd, buffer, static_cast<size_t>(count))) {
                return;
            }
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::string greeting = argc > 1 ? argv[1] : "line proxy ready\r\n";
    const int listener = ListenOnLoopback("line_proxy");
    if (listener < 0) return 1;

    if (!WaitReadable(listener)) return 1;
    const int client = accept(listener, nullptr, nullptr);
    close(listener);
    std::string line;
    if (client < 0 || !WriteAll(client, greeting.data(), greeting.size()) ||
        !ReadLine(client, line)) {
        return 1;
    }
    const size_t blank = line.rfind(' ');
    if (blank == std::string::npos) return 1;
    const int server = ConnectTo(line.substr(0, blank), line.substr(blank + 1));
    if (server < 0) {
        static const char kRefused[] = "line proxy: cannot connect\r\n";
        WriteAll(client, kRefused, std::strlen(kRefused));
        return 1;
    }
    Relay(client, server);
    close(server);
    close(client);
    return 0;
}
