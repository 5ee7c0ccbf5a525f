// Peers for the transport tests: helper programs started as child processes
// that print the port they listen on, and a plain listening socket the test
// drives by hand.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace tamsivane {
class ScreenBuffer;
}

namespace tamsivane::testing {

using namespace std::chrono_literals;

// Ends a child of the test: SIGTERM, then SIGKILL after 5 s; always reaped.
void StopChild(pid_t pid);

// A child whose first line of output is the port it listens on.
class ListeningProgram {
public:
    explicit ListeningProgram(std::vector<std::string> arguments);
    ~ListeningProgram(); // ends the child and reaps it
    ListeningProgram(const ListeningProgram&) = delete;
    ListeningProgram& operator=(const ListeningProgram&) = delete;

    int Port() const { return port_; } // 0 when the child did not start

private:
    pid_t pid_ = -1;
    int port_ = 0;
};

// A listening TCP socket on 127.0.0.1 (a free port) whose connections the
// test accepts, reads and writes itself.
class Listener {
public:
    Listener();
    ~Listener();
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    int Port() const { return port_; }
    // Accepts one connection; false after the time limit.
    bool Accept(std::chrono::milliseconds limit = 20s);
    // Everything received until `count` bytes have come, the peer closed, or the limit.
    std::string Read(size_t count, std::chrono::milliseconds limit = 20s);
    // Whatever arrives within `limit` (for checking that nothing does).
    std::string ReadFor(std::chrono::milliseconds limit);
    void Write(const std::string& bytes);
    void CloseConnection();

private:
    int listener_ = -1;
    int connection_ = -1;
    int port_ = 0;
};

// A port on 127.0.0.1 where nothing listens.
int UnusedPort();

// How long a step that must not wait for a silent peer or program (a stop,
// a refusal) may take on a loaded machine: generous, and still far below
// the 30 s time-outs such a step must never wait for.
inline constexpr std::chrono::seconds kPromptLimit{10};

// Polls condition every few milliseconds; false when limit passes first.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = 20s);

// The displayed page, rows joined by "\n", trailing blanks removed, other
// than ASCII shown as "?".  The caller holds the session lock.
std::string PageText(const ScreenBuffer& screen);

} // namespace tamsivane::testing
