// The last resort for processor faults (a bad memory access, an illegal
// instruction, a division by zero, a stack overflow): the handler writes
// "Severe problem happened to Tamsivane..." with what happened and where to
// standard error and to a report file, may start a program to show the report
// to the user, and ends the process by the signal it got.
//
// The handler uses only async-signal-safe calls; it runs on a stack of its
// own so that a stack overflow reaches it.
#pragma once

#include <cstddef>
#include <string>

namespace tamsivane {

struct FaultHandlerSetup {
    std::string tag = "Main";
    std::string reportFile;  // "" writes standard error only
    // "" starts nothing; else this program is started with
    // "--fault-report <reportFile>" and not waited for.
    std::string showProgram;
};

// Installs the handlers for SIGSEGV, SIGBUS, SIGILL and SIGFPE in the whole
// process, with an alternate stack for the calling thread.  False when a
// path is too long or the handlers could not be installed.
bool InstallFaultHandlers(const FaultHandlerSetup& setup);

// What the handler writes for a fault, built without allocating (also used by
// the handler itself): kind is the signal, code its si_code, pc the
// instruction address, address the faulting data address, write whether a
// bad access was a write, stackOverflow whether it ran off the stack.
struct FaultFacts {
    int signal = 0;
    int code = 0;
    unsigned long pc = 0;
    unsigned long address = 0;
    bool write = false;
    bool stackOverflow = false;
};
// Writes the report into out (NUL-terminated, cut to size); returns its length.
size_t FormatFaultReport(const char* tag, const FaultFacts& facts, char* out, size_t size);

} // namespace tamsivane
