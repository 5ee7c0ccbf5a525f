// Peers for the serial and modem tests: pseudo-terminal pairs made by socat
// (both ends raw, without echo), optionally with a program such as the fake
// modem on the far end, and a line end the test reads and writes itself.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

#include "TempFolder.h"

namespace tamsivane::testing {

using namespace std::chrono_literals;

class SocatPtys {
public:
    // Two terminals: what is written to one comes out of the other.
    SocatPtys();
    // One terminal whose far end is the program's standard input and output;
    // when the program ends, the terminal goes away.
    explicit SocatPtys(const std::vector<std::string>& program);
    ~SocatPtys(); // ends socat
    SocatPtys(const SocatPtys&) = delete;
    SocatPtys& operator=(const SocatPtys&) = delete;

    // Whether socat made the terminals (within a bounded wait).
    bool Ready() const { return ready_; }
    // The device the session opens.
    const std::string& Near() const { return near_; }
    // The device the test opens (two terminals only).
    const std::string& Far() const { return far_; }
    // Ends socat, as if the line were unplugged: the near device goes away.
    void Unplug();

private:
    void Start(std::vector<std::string> arguments, std::vector<std::string> links);

    TempFolder folder_;
    std::string near_;
    std::string far_;
    pid_t pid_ = -1;
    bool ready_ = false;
};

// A terminal device opened by the test: raw, non-blocking.
class LineEnd {
public:
    explicit LineEnd(const std::string& path);
    ~LineEnd();
    LineEnd(const LineEnd&) = delete;
    LineEnd& operator=(const LineEnd&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    int Fd() const { return fd_; }
    // What arrives until count bytes have come or the limit passes.
    std::string Read(size_t count, std::chrono::milliseconds limit = 20s);
    // Whatever arrives within limit (for checking that nothing does).
    std::string ReadFor(std::chrono::milliseconds limit) { return Read(SIZE_MAX, limit); }
    bool Write(const std::string& bytes);

private:
    int fd_ = -1;
};

} // namespace tamsivane::testing
