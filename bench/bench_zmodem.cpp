// ZModem over a local socket pair, ours beside lrzsz in the same run: sz to
// our receiver, our sender to rz, and sz to rz directly as the reference for
// both directions.  Prints MB/s (medians) and our ratio to lrzsz for each
// direction; then, through a relay that flips and drops bytes both ways at
// three rates, how many runs of each ended with the identical file.
//
//   tamsivane-bench-zmodem [--runs N] [--mib N] [--seeds N]
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "PeerProgram.h"
#include "TempFolder.h"
#include "transfer/CZModemReceiver.h"
#include "transfer/CZModemSender.h"

using namespace tamsivane;
using namespace tamsivane::testing;
namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "tamsivane-bench-zmodem: %s\n", what.c_str());
    std::exit(1);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A fresh, empty folder for the receiving end of each run.
void Empty(const std::string& folder) {
    fs::remove_all(folder);
    fs::create_directory(folder);
}

// A line between the two ends: the rates (per million bytes, both ways) at
// which the relay flips one bit of a byte or drops it, from a fixed seed.
struct Line {
    unsigned flips = 0;
    unsigned drops = 0;
    unsigned seed = 0;

    // The program's command, behind the relay when the line damages.
    std::vector<std::string> Command(std::vector<std::string> program) const {
        if (flips + drops == 0) return program;
        std::vector<std::string> command = {TAMSIVANE_ZMODEM_RELAY, std::to_string(seed),
                                            std::to_string(flips), std::to_string(drops)};
        command.insert(command.end(), program.begin(), program.end());
        return command;
    }
};

// Runs a command with its standard input and output on fd, in folder, quietly.
pid_t Spawn(const std::vector<std::string>& command, int fd, const std::string& folder) {
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    ::dup2(fd, 0);
    ::dup2(fd, 1);
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 2);
    if (::chdir(folder.c_str()) != 0) ::_exit(126);
    std::vector<char*> argv;
    for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
}

// Whether the process ended with status 0 before the deadline; killed after it.
bool Succeeded(pid_t pid, Clock::time_point deadline) {
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() >= deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// How one run ended: whether the identical file arrived and both ends said
// so, and the seconds it took; a wrong file that an end called a success is
// counted apart, as the fault it is.
struct Run {
    bool ok = false;
    double seconds = 0;
    bool wrong = false;
};

class Bench {
public:
    Bench(size_t bytes, std::chrono::seconds limit) : limit_(limit) {
        fs::create_directory(source_);
        data_.resize(bytes);
        uint32_t state = 1;
        for (char& c : data_) {
            state = state * 1103515245 + 12345;
            c = static_cast<char>(state >> 16);
        }
        WriteFile(source_ + "/data", data_);
    }

    Run SzToOurs(const Line& line) {
        Empty(inbox_);
        PeerProgram peer(line.Command({"sz", "data"}), source_);
        CZModemReceiver receiver(peer, inbox_);
        const auto start = Clock::now();
        peer.Run(receiver);
        const bool finished = peer.WaitFinished(limit_);
        return Outcome(start, finished && receiver.Result() == CZModemTransfer::Outcome::Completed);
    }

    Run OursToRz(const Line& line) {
        Empty(inbox_);
        PeerProgram peer(line.Command({"rz"}), inbox_);
        CZModemSender sender(peer, {source_ + "/data"}, "", std::chrono::milliseconds(0));
        const auto start = Clock::now();
        peer.Run(sender);
        const bool finished = peer.WaitFinished(limit_);
        const bool exited = peer.WaitExit() == 0;
        return Outcome(start, finished && exited &&
                                  sender.Result() == CZModemTransfer::Outcome::Completed);
    }

    Run SzToRz(const Line& line) {
        Empty(inbox_);
        int pair[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) Fail("socketpair");
        const auto start = Clock::now();
        const pid_t sender = Spawn({"sz", "data"}, pair[0], source_);
        const pid_t receiver = Spawn(line.Command({"rz"}), pair[1], inbox_);
        ::close(pair[0]);
        ::close(pair[1]);
        const auto deadline = start + limit_;
        const bool sent = Succeeded(sender, deadline);
        const bool received = Succeeded(receiver, deadline);
        return Outcome(start, sent && received);
    }

private:
    Run Outcome(Clock::time_point start, bool succeeded) {
        const double seconds = Seconds(start);
        const bool identical = ReadFile(inbox_ + "/data") == data_;
        return {succeeded && identical, seconds, succeeded && !identical};
    }

    std::chrono::seconds limit_;
    std::string data_;
    TempFolder root_;
    std::string source_ = root_.File("source");
    std::string inbox_ = root_.File("inbox");
};

using Direction = Run (Bench::*)(const Line&);

void Throughput(size_t mib, int runs) {
    Bench bench(mib << 20, std::chrono::minutes(10));
    const std::pair<const char*, Direction> directions[] = {
        {"receive (sz to ours)", &Bench::SzToOurs},
        {"send (ours to rz)", &Bench::OursToRz},
        {"lrzsz (sz to rz)", &Bench::SzToRz}};
    std::vector<double> times[3];
    for (int run = 0; run < runs; ++run) {
        for (size_t i = 0; i < 3; ++i) {
            const Run result = (bench.*directions[i].second)(Line{});
            if (!result.ok) Fail(std::string(directions[i].first) + " failed");
            times[i].push_back(result.seconds);
        }
    }
    const double megabytes = static_cast<double>(mib << 20) / 1e6;
    const double lrzsz = megabytes / Median(times[2]);
    std::printf("ZModem, %zu MiB over a socket pair, median of %d runs\n", mib, runs);
    std::printf("%-22s %10s %12s %7s\n", "direction", "ours MB/s", "lrzsz MB/s", "ratio");
    for (size_t i = 0; i < 2; ++i) {
        const double ours = megabytes / Median(times[i]);
        std::printf("%-22s %10.1f %12.1f %7.2f\n", directions[i].first, ours, lrzsz, ours / lrzsz);
    }
}

// Runs of 256 KiB through the damaging relay; every run is bounded, and one
// that does not end in time counts as failed.
void Recovery(unsigned seeds) {
    constexpr Line kRates[] = {{25, 10, 0}, {100, 40, 0}, {400, 160, 0}};
    Bench bench(256 * 1024, std::chrono::seconds(120));
    std::printf("\nZModem, 256 KiB through a damaging relay, %u seeds: identical files, and "
                "the median seconds of a run\n",
                seeds);
    std::printf("%-18s %15s %15s %15s %6s\n", "flips/drops per M", "receive", "send",
                "lrzsz", "wrong");
    for (Line line : kRates) {
        int ok[3] = {};
        std::vector<double> times[3];
        int wrong = 0;
        for (line.seed = 1; line.seed <= seeds; ++line.seed) {
            const Direction directions[] = {&Bench::SzToOurs, &Bench::OursToRz, &Bench::SzToRz};
            for (size_t i = 0; i < 3; ++i) {
                const Run result = (bench.*directions[i])(line);
                ok[i] += result.ok ? 1 : 0;
                times[i].push_back(result.seconds);
                wrong += result.wrong ? 1 : 0;
            }
        }
        std::printf("%7u/%-10u", line.flips, line.drops);
        for (size_t i = 0; i < 3; ++i) {
            std::printf(" %6d/%-2u %5.1fs", ok[i], seeds, Median(times[i]));
        }
        std::printf(" %6d\n", wrong);
    }
}

} // namespace

int main(int argc, char** argv) {
    int runs = 3;
    size_t mib = 64;
    unsigned seeds = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--runs") == 0) {
            runs = std::max(1, std::atoi(argv[i + 1]));
        } else if (std::strcmp(argv[i], "--mib") == 0) {
            mib = static_cast<size_t>(std::max(1, std::atoi(argv[i + 1])));
        } else if (std::strcmp(argv[i], "--seeds") == 0) {
            seeds = static_cast<unsigned>(std::max(0, std::atoi(argv[i + 1])));
        } else {
            Fail("usage: tamsivane-bench-zmodem [--runs N] [--mib N] [--seeds N]");
        }
    }
    Throughput(mib, runs);
    if (seeds > 0) Recovery(seeds);
    return 0;
}
