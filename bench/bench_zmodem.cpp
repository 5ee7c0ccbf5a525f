// ZModem throughput over a local socket pair, ours beside lrzsz in the same
// run: sz to our receiver, our sender to rz, and sz to rz directly as the
// reference for both directions.  Prints MB/s (medians) and our ratio to
// lrzsz for each direction.
//
//   tamsivane-bench-zmodem [--runs N] [--mib N]
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
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

// Runs program with its standard input and output on fd, in folder, quietly.
pid_t Spawn(const char* program, const std::vector<const char*>& arguments, int fd,
            const std::string& folder) {
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    ::dup2(fd, 0);
    ::dup2(fd, 1);
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 2);
    if (::chdir(folder.c_str()) != 0) ::_exit(126);
    std::vector<char*> argv{const_cast<char*>(program)};
    for (const char* argument : arguments) argv.push_back(const_cast<char*>(argument));
    argv.push_back(nullptr);
    ::execvp(program, argv.data());
    ::_exit(127);
}

bool Succeeded(pid_t pid) {
    int status = 0;
    return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class Bench {
public:
    explicit Bench(size_t bytes) : bytes_(bytes) {
        fs::create_directory(source_);
        std::string data(bytes, '\0');
        uint32_t state = 1;
        for (char& c : data) {
            state = state * 1103515245 + 12345;
            c = static_cast<char>(state >> 16);
        }
        WriteFile(source_ + "/data", data);
    }

    double SzToOurs() {
        Empty(inbox_);
        PeerProgram peer({"sz", "data"}, source_);
        CZModemReceiver receiver(peer, inbox_);
        const auto start = Clock::now();
        peer.Run(receiver);
        if (!peer.WaitFinished(std::chrono::minutes(10))) Fail("sz to ours did not finish");
        const double seconds = Seconds(start);
        Check(receiver.Result() == CZModemTransfer::Outcome::Completed, "sz to ours");
        return seconds;
    }

    double OursToRz() {
        Empty(inbox_);
        PeerProgram peer({"rz"}, inbox_);
        CZModemSender sender(peer, {source_ + "/data"}, "", std::chrono::milliseconds(0));
        const auto start = Clock::now();
        peer.Run(sender);
        if (!peer.WaitFinished(std::chrono::minutes(10))) Fail("ours to rz did not finish");
        const bool exited = peer.WaitExit() == 0;
        const double seconds = Seconds(start);
        Check(sender.Result() == CZModemTransfer::Outcome::Completed && exited, "ours to rz");
        return seconds;
    }

    double SzToRz() {
        Empty(inbox_);
        int pair[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) Fail("socketpair");
        const auto start = Clock::now();
        const pid_t sender = Spawn("sz", {"data"}, pair[0], source_);
        const pid_t receiver = Spawn("rz", {}, pair[1], inbox_);
        ::close(pair[0]);
        ::close(pair[1]);
        const bool sent = Succeeded(sender);
        const bool received = Succeeded(receiver);
        const double seconds = Seconds(start);
        Check(sent && received, "sz to rz");
        return seconds;
    }

private:
    void Check(bool ok, const char* what) {
        if (!ok || fs::file_size(inbox_ + "/data") != bytes_) Fail(std::string(what) + " failed");
    }

    size_t bytes_;
    TempFolder root_;
    std::string source_ = root_.File("source");
    std::string inbox_ = root_.File("inbox");
};

} // namespace

int main(int argc, char** argv) {
    int runs = 3;
    size_t mib = 64;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--runs") == 0) {
            runs = std::max(1, std::atoi(argv[i + 1]));
        } else if (std::strcmp(argv[i], "--mib") == 0) {
            mib = static_cast<size_t>(std::max(1, std::atoi(argv[i + 1])));
        } else {
            Fail("usage: tamsivane-bench-zmodem [--runs N] [--mib N]");
        }
    }
    Bench bench(mib << 20);
    std::vector<double> received;
    std::vector<double> sent;
    std::vector<double> reference;
    for (int run = 0; run < runs; ++run) {
        received.push_back(bench.SzToOurs());
        sent.push_back(bench.OursToRz());
        reference.push_back(bench.SzToRz());
    }
    const double megabytes = static_cast<double>(mib << 20) / 1e6;
    const double lrzsz = megabytes / Median(reference);
    std::printf("ZModem, %zu MiB over a socket pair, median of %d runs\n", mib, runs);
    std::printf("%-22s %10s %12s %7s\n", "direction", "ours MB/s", "lrzsz MB/s", "ratio");
    for (const auto& [name, times] :
         {std::pair{"receive (sz to ours)", received}, std::pair{"send (ours to rz)", sent}}) {
        const double ours = megabytes / Median(times);
        std::printf("%-22s %10.1f %12.1f %7.2f\n", name, ours, lrzsz, ours / lrzsz);
    }
    return 0;
}
