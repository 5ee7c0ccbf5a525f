#include "platform/FaultHandler.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/types.h>
#include <ucontext.h>
#include <unistd.h>

#include <cstring>

namespace tamsivane {
namespace {

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE};
constexpr size_t kPathSize = 4096;
constexpr size_t kTagSize = 64;
constexpr size_t kReportSize = 1024;
// A fault this close below the stack pointer is the stack running out.
constexpr unsigned long kStackGuardReach = 64 * 1024;
constexpr size_t kAltStackSize = 64 * 1024;

// Set once before the handlers are installed, only read by them.
char gTag[kTagSize];
char gReportFile[kPathSize];
char gShowProgram[kPathSize];
alignas(16) char gAltStack[kAltStackSize];

// Appends text to out while room is left; pos stays within size - 1.
class Appender {
public:
    Appender(char* out, size_t size) : out_(out), size_(size) {
        if (size_ > 0) out_[0] = '\0';
    }
    void Text(const char* text) {
        while (*text != '\0' && pos_ + 1 < size_) out_[pos_++] = *text++;
        if (size_ > 0) out_[pos_] = '\0';
    }
    // At least eight upper-case hex digits, more when the value needs them.
    void Hex(unsigned long value) {
        char digits[2 * sizeof(value) + 1];
        int count = 0;
        do {
            digits[count++] = "0123456789ABCDEF"[value & 0xF];
            value >>= 4;
        } while (value != 0 || count < 8);
        char text[sizeof(digits) + 2] = {'0', 'x'};
        for (int i = 0; i < count; ++i) text[2 + i] = digits[count - 1 - i];
        text[2 + count] = '\0';
        Text(text);
    }
    size_t Length() const { return pos_; }

private:
    char* out_;
    size_t size_;
    size_t pos_ = 0;
};

void WriteAll(int fd, const char* data, size_t length) {
    while (length > 0) {
        const ssize_t written = write(fd, data, length);
        if (written <= 0) return;
        data += written;
        length -= static_cast<size_t>(written);
    }
}

FaultFacts FactsFrom(int signal, const siginfo_t* info, const void* context) {
    FaultFacts facts;
    facts.signal = signal;
    facts.code = info->si_code;
    facts.address = reinterpret_cast<unsigned long>(info->si_addr);
    unsigned long sp = 0;
    const auto* uc = static_cast<const ucontext_t*>(context);
#if defined(__x86_64__)
    facts.pc = static_cast<unsigned long>(uc->uc_mcontext.gregs[REG_RIP]);
    sp = static_cast<unsigned long>(uc->uc_mcontext.gregs[REG_RSP]);
    facts.write = (uc->uc_mcontext.gregs[REG_ERR] & 2) != 0; // page-fault error code: write
#elif defined(__aarch64__)
    facts.pc = uc->uc_mcontext.pc;
    sp = uc->uc_mcontext.sp;
#else
    (void)uc;
    facts.pc = facts.address;
#endif
    facts.stackOverflow = signal == SIGSEGV && sp != 0 && facts.address < sp + kStackGuardReach &&
                          facts.address + kStackGuardReach > sp;
    return facts;
}

void StartShowProgram() {
    if (gShowProgram[0] == '\0' || gReportFile[0] == '\0') return;
    const pid_t child = fork();
    if (child != 0) return; // the parent does not wait: the user may take long
    char option[] = "--fault-report";
    char* const arguments[] = {gShowProgram, option, gReportFile, nullptr};
    execv(gShowProgram, arguments);
    _exit(127);
}

void OnFault(int signal, siginfo_t* info, void* context) {
    char report[kReportSize];
    const size_t length = FormatFaultReport(gTag, FactsFrom(signal, info, context), report,
                                            sizeof report);
    WriteAll(STDERR_FILENO, report, length);
    if (gReportFile[0] != '\0') {
        const int fd = open(gReportFile, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd >= 0) {
            WriteAll(fd, report, length);
            close(fd);
        }
    }
    StartShowProgram();
    // The handler was reset to the default on entry: the signal, pending
    // until this returns, ends the process (with a core dump where enabled).
    raise(signal);
}

bool CopyBounded(char* to, size_t size, const std::string& from) {
    if (from.size() >= size) return false;
    std::memcpy(to, from.c_str(), from.size() + 1);
    return true;
}

} // namespace

size_t FormatFaultReport(const char* tag, const FaultFacts& facts, char* out, size_t size) {
    Appender a(out, size);
    a.Text("Severe problem happened to Tamsivane. Tag = \"");
    a.Text(tag);
    a.Text("\", \nError message: Address: ");
    a.Hex(facts.pc);
    a.Text(", ");
    if (facts.stackOverflow) {
        a.Text("Stack overflow");
    } else if (facts.signal == SIGSEGV) {
        a.Text(facts.write ? "Access violation - write " : "Access violation - read ");
        a.Hex(facts.address);
    } else if (facts.signal == SIGBUS) {
        a.Text("Page error");
    } else if (facts.signal == SIGILL) {
        a.Text("Illegal instruction");
    } else if (facts.signal == SIGFPE &&
               (facts.code == FPE_INTDIV || facts.code == FPE_FLTDIV)) {
        a.Text("Divided by zero");
    } else {
        a.Text("Unknown error");
    }
    a.Text(".\nPlease report this problem to technical support, with what you were doing "
           "when it happened.\n");
    return a.Length();
}

bool InstallFaultHandlers(const FaultHandlerSetup& setup) {
    if (!CopyBounded(gTag, sizeof gTag, setup.tag) ||
        !CopyBounded(gReportFile, sizeof gReportFile, setup.reportFile) ||
        !CopyBounded(gShowProgram, sizeof gShowProgram, setup.showProgram)) {
        return false;
    }
    stack_t stack{};
    stack.ss_sp = gAltStack;
    stack.ss_size = sizeof gAltStack;
    if (sigaltstack(&stack, nullptr) != 0) return false;
    struct sigaction action{};
    action.sa_sigaction = OnFault;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (const int signal : kSignals) {
        if (sigaction(signal, &action, nullptr) != 0) return false;
    }
    return true;
}

} // namespace tamsivane
