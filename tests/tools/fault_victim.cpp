// Installs the fault handlers and then commits the fault named by its first
// argument: "null" (reads through a null pointer), "write" (writes through
// one), "divide" (integer division by zero), "overflow" (endless recursion),
// "illegal" (an undefined instruction).  Arguments 2 and 3: the report file
// and the program to show it ("" for none).
#include <cstdio>
#include <cstring>

#include "platform/FaultHandler.h"

namespace {

volatile int gZero = 0;
int* volatile gNull = nullptr;

// The sanitizers would report these faults themselves; the handler is to.
__attribute__((no_sanitize("undefined"))) int Divide(int value) { return value / gZero; }
__attribute__((no_sanitize("undefined", "address"))) int ReadNull() { return *gNull; }
__attribute__((no_sanitize("undefined", "address"))) void WriteNull() { *gNull = 1; }

// Recurses until gZero is non-zero, which never happens.
__attribute__((noinline)) int Recurse(int depth) {
    volatile char frame[1024];
    frame[0] = static_cast<char>(depth);
    if (gZero != 0) return frame[0];
    return Recurse(depth + 1) + frame[0];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    tamsivane::FaultHandlerSetup setup;
    setup.reportFile = argc > 2 ? argv[2] : "";
    setup.showProgram = argc > 3 ? argv[3] : "";
    if (!tamsivane::InstallFaultHandlers(setup)) return 3;
    const char* fault = argv[1];
    if (std::strcmp(fault, "null") == 0) return ReadNull();
    if (std::strcmp(fault, "write") == 0) WriteNull();
    if (std::strcmp(fault, "divide") == 0) return Divide(7);
    if (std::strcmp(fault, "overflow") == 0) return Recurse(0);
#if defined(__x86_64__) || defined(__i386__)
    if (std::strcmp(fault, "illegal") == 0) __asm__ volatile("ud2");
#else
    if (std::strcmp(fault, "illegal") == 0) __builtin_trap();
#endif
    std::puts("no fault");
    return 0;
}
