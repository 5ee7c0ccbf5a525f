// Whole sessions moving files by ZModem: tamsivane-cli run against the Telnet
// server, whose shell runs sz or rz.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "RunCli.h"
#include "TempFolder.h"
#include "TestPeers.h"

namespace tamsivane::testing {
namespace {

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every byte value, with CR NUL, CR LF, 0xFF and CAN runs that a text-mode
// line would change.
std::string Awkward(size_t n) {
    const std::string runs = std::string("\r\0\r\n\xff\xff\x18\x18\x18\x18\x18\x18", 12);
    std::string bytes;
    for (size_t i = 0; bytes.size() < n; ++i) {
        if (i % 256 == 0) bytes += runs;
        bytes += static_cast<char>(i);
    }
    bytes.resize(n);
    return bytes;
}

// Busy processes beside the test, so that the threads of a run and the
// processes of the host are scheduled late and in any order; killed at the end.
class CpuHogs {
public:
    explicit CpuHogs(int count) {
        for (int i = 0; i < count; ++i) {
            const pid_t pid = ::fork();
            if (pid == 0) {
                ::execl("/bin/sh", "sh", "-c", "while :; do :; done", static_cast<char*>(nullptr));
                ::_exit(127);
            }
            if (pid > 0) pids_.push_back(pid);
        }
    }
    ~CpuHogs() {
        for (const pid_t pid : pids_) ::kill(pid, SIGKILL);
        for (const pid_t pid : pids_) ::waitpid(pid, nullptr, 0);
    }
    CpuHogs(const CpuHogs&) = delete;
    CpuHogs& operator=(const CpuHogs&) = delete;

private:
    std::vector<pid_t> pids_;
};

class RunZModemTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(access(TAMSIVANE_TELNETD, X_OK), 0) << "the Telnet server is not installed";
        ASSERT_EQ(access("/usr/bin/sz", X_OK), 0) << "lrzsz is not installed";
        host_ = folder_.File("host");
        received_ = folder_.File("received");
        ::mkdir(host_.c_str(), 0700);
    }

    // tamsivane-cli run against a fresh Telnet server running a shell.
    CliResult Run(const std::string& arguments) {
        ListeningProgram server({TAMSIVANE_ACCEPT_EXEC, TAMSIVANE_TELNETD, "-E", "/bin/sh"});
        EXPECT_GT(server.Port(), 0);
        const CliResult result =
            RunCli("run --host 127.0.0.1 --port " + std::to_string(server.Port()) + " " +
                   arguments + " 2>" + folder_.File("errors") + " </dev/null");
        errors_ = Slurp(folder_.File("errors"));
        return result;
    }

    TempFolder folder_;
    std::string host_;
    std::string received_;
    std::string errors_;
};

TEST_F(RunZModemTest, ReceivesWhatTheHostSendsWithProgressLines) {
    const std::string big = Awkward(1 << 20);
    std::ofstream(host_ + "/big.bin", std::ios::binary) << big;
    std::ofstream(host_ + "/empty", std::ios::binary) << "";
    const CliResult result = Run("--recv-dir " + received_ + " --send 'cd " + host_ +
                                 " && sz big.bin empty; exit<CR>' --timeout 60 --dump none");
    EXPECT_EQ(result.status, 0) << errors_;
    EXPECT_TRUE(Slurp(received_ + "/big.bin") == big);
    EXPECT_EQ(Slurp(received_ + "/empty"), "");
    EXPECT_NE(errors_.find("zmodem: receiving big.bin 1048576\n"), std::string::npos) << errors_;
    EXPECT_NE(errors_.find("zmodem: big.bin finished\n"), std::string::npos) << errors_;
    EXPECT_NE(errors_.find("zmodem: receiving empty 0\nzmodem: empty finished\n"),
              std::string::npos)
        << errors_;
}

// The transfer, the host's shell and the connection end close together, in
// any order under load: every file arrived, so every run exits with 0.
TEST_F(RunZModemTest, EveryReceiveSucceedsUnderLoad) {
    const std::string small = Awkward(3000);
    std::ofstream(host_ + "/small.bin", std::ios::binary) << small;
    std::ofstream(host_ + "/empty", std::ios::binary) << "";
    const CpuHogs hogs(2);
    for (int run = 0; run < 50; ++run) {
        const std::string into = received_ + std::to_string(run);
        const CliResult result = Run("--recv-dir " + into + " --send 'cd " + host_ +
                                     " && sz small.bin empty; exit<CR>' --timeout 60 --dump none");
        ASSERT_EQ(result.status, 0) << "run " << run << ": " << errors_;
        ASSERT_TRUE(Slurp(into + "/small.bin") == small) << "run " << run;
        ASSERT_EQ(access((into + "/empty").c_str(), F_OK), 0) << "run " << run;
    }
}

// What the host writes after the transfer reaches the screen, and nothing of
// the header that started it stays there: in a local shell, where the pty
// often drops the sender's last "OO", and over Telnet (whose server may drop
// what a shell writes just before it exits, hence the pause).
TEST_F(RunZModemTest, TheHostsOutputAfterwardsIsShown) {
    std::ofstream(host_ + "/f.txt") << "text\n";
    // The local shell runs the commands itself, the Telnet server's shell
    // gets them typed.
    const std::string commands = "cd " + host_ + "; sz f.txt; echo DO\"\"NE; sleep 1";
    for (const bool telnet : {false, true}) {
        const std::string into = received_ + (telnet ? "-telnet" : "-shell");
        const std::string arguments = "--recv-dir " + into + " --timeout 30 --dump text";
        const CliResult result =
            telnet ? Run(arguments + " --send '" + commands + "; exit<CR>'")
                   : RunCliWithErrors("run --local-shell --set 'HostName=" + commands + "' " +
                                          arguments,
                                      folder_.File("errors"));
        EXPECT_EQ(result.status, 0) << result.output;
        EXPECT_EQ(Slurp(into + "/f.txt"), "text\n");
        ASSERT_NE(("\n" + result.output).find("\nDONE\n"), std::string::npos) << result.output;
        EXPECT_EQ(result.output.find("**"), std::string::npos) << result.output;
        EXPECT_EQ(result.output.find("000000"), std::string::npos) << result.output;
    }
}

TEST_F(RunZModemTest, SendsABatchToRz) {
    const std::string one = Awkward(1025);
    const std::string two = Awkward(300000);
    std::ofstream(folder_.File("one"), std::ios::binary) << one;
    std::ofstream(folder_.File("two"), std::ios::binary) << two;
    // rz runs in the host folder; the shell ends the session after it.
    const CliResult result = Run(
        "--set 'ZModemInit=cd " + host_ + " && rz; exit<CR>' --zmodem-send " + folder_.File("one") +
        " --zmodem-send " + folder_.File("two") + " --timeout 60 --dump none");
    EXPECT_EQ(result.status, 0) << errors_;
    EXPECT_TRUE(Slurp(host_ + "/one") == one);
    EXPECT_TRUE(Slurp(host_ + "/two") == two);
    EXPECT_NE(errors_.find("zmodem: sending one 1025\n"), std::string::npos) << errors_;
    EXPECT_NE(errors_.find("zmodem: two finished\n"), std::string::npos) << errors_;
}

TEST_F(RunZModemTest, FailuresExitWithFour) {
    // A file that cannot be read starts nothing.
    CliResult result = Run("--zmodem-send " + folder_.File("missing") + " --timeout 0.5");
    EXPECT_EQ(result.status, 4);
    EXPECT_NE(errors_.find("Cannot open file for sending."), std::string::npos) << errors_;

    // A transfer the host starts and nobody finishes is cut by the time limit.
    result = Run("--recv-dir " + received_ +
                 " --send \"printf '**\\\\030B00000000000000\\\\r\\\\n'<CR>\" --timeout 1");
    EXPECT_EQ(result.status, 4) << errors_;

    // Six CAN from the host cancel it.
    result = Run("--recv-dir " + received_ +
                 " --send \"printf '**\\\\030B00000000000000\\\\r\\\\n'; sleep 0.3; "
                 "printf '\\\\030\\\\030\\\\030\\\\030\\\\030\\\\030'; exit<CR>\" --timeout 20");
    EXPECT_EQ(result.status, 4) << errors_;
}

} // namespace
} // namespace tamsivane::testing
