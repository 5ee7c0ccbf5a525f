// Test launcher: listens on 127.0.0.1 at a free port, prints the port on
// standard output, accepts one connection, makes it standard input and
// output, and runs the given program there (for example a Telnet server in
// its one-connection mode).  Gives up after 60 seconds without a caller.
//
//   accept_exec PROGRAM [ARGUMENTS...]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>

#include "LoopbackListen.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: accept_exec PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    const int listener = ListenOnLoopback("accept_exec");
    if (listener < 0) return 1;

    pollfd entry{listener, POLLIN, 0};
    if (poll(&entry, 1, 60000) != 1) {
        std::fprintf(stderr, "accept_exec: nobody connected\n");
        return 1;
    }
    const int connection = accept(listener, nullptr, nullptr);
    if (connection < 0 || dup2(connection, 0) < 0 || dup2(connection, 1) < 0) {
        std::perror("accept_exec: accept");
        return 1;
    }
    close(connection);
    close(listener);
    execv(argv[1], argv + 1);
    std::perror("accept_exec: exec");
    return 1;
}
