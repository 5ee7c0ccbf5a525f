// Byte sinks that must never hold their writer without bound: a program fed
// through a pipe on its standard input (a print spooler's command) and a
// device opened without blocking (a printer port, a FIFO).  A write that the
// other end stops taking for the stall limit fails with ETIMEDOUT; a reader
// that went away gives EPIPE without a signal.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace tamsivane {

// Writes all of bytes to a non-blocking descriptor, waiting while it takes
// nothing.  0, or the error number (ETIMEDOUT after stall without progress).
int WriteAllBounded(int fd, std::string_view bytes, std::chrono::milliseconds stall);

// A program started with a pipe as its standard input.
class ProgramInput {
public:
    ProgramInput() = default;
    // Ends the program as Finish(0) would.
    ~ProgramInput();
    ProgramInput(const ProgramInput&) = delete;
    ProgramInput& operator=(const ProgramInput&) = delete;

    // Starts argv[0] (looked up in PATH, no shell) with the arguments; its
    // output and errors go where this process's go.  0 or the error number
    // (ENOENT when the program does not exist).
    int Start(const std::vector<std::string>& argv);
    // 0 or the error number; the program's input stays open.
    int Write(std::string_view bytes, std::chrono::milliseconds stall);
    // Closes the program's input and waits up to limit for it to end; its
    // exit status, or -1 when it died from a signal or had to be ended.
    int Finish(std::chrono::milliseconds limit);
    bool Running() const { return pid_ > 0; }

private:
    pid_t pid_ = -1;
    int fd_ = -1;
};

// A device (or FIFO) opened for writing without blocking.
class DeviceOutput {
public:
    DeviceOutput() = default;
    ~DeviceOutput();
    DeviceOutput(const DeviceOutput&) = delete;
    DeviceOutput& operator=(const DeviceOutput&) = delete;

    // 0 or the error number: ENOENT for a missing device, ENXIO for a FIFO
    // without a reader.
    int Open(const std::string& path);
    int Write(std::string_view bytes, std::chrono::milliseconds stall);
    void Close();

private:
    int fd_ = -1;
};

} // namespace tamsivane
