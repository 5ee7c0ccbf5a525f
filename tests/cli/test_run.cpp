// Runs whole sessions with the built tamsivane-cli: against a real Telnet
// server, on the loop-back connection, from setup files, and the ways a
// session fails to open.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "RunCli.h"
#include "ScopedVariable.h"
#include "SshPeers.h"
#include "TempFolder.h"
#include "TestPeers.h"
#include "config/SetupFile.h"

namespace tamsivane::testing {
namespace {

using Clock = std::chrono::steady_clock;

struct RunResult {
    int status = -1;
    std::string output;
    std::string errors;
    Clock::duration elapsed{};
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class RunTest : public ::testing::Test {
protected:
    std::string File(const std::string& name) const { return folder_.File(name); }

    // Runs "tamsivane-cli run" with the arguments (already quoted for the shell).
    RunResult Run(const std::string& arguments) {
        const std::string errors = File("stderr.txt");
        const Clock::time_point start = Clock::now();
        const CliResult cli = RunCli("run " + arguments + " 2>" + errors + " </dev/null");
        RunResult result;
        result.elapsed = Clock::now() - start;
        result.status = cli.status;
        result.output = cli.output;
        result.errors = ReadFile(errors);
        return result;
    }

    static ListeningProgram ShellServer() {
        return ListeningProgram({TAMSIVANE_ACCEPT_EXEC, TAMSIVANE_TELNETD, "-E", "/bin/sh"});
    }

private:
    TempFolder folder_;
};

bool HasLine(const std::string& text, const std::string& line) {
    return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
}

TEST_F(RunTest, TelnetSessionRunsUntilTheHostCloses) {
    ASSERT_EQ(access(TAMSIVANE_TELNETD, X_OK), 0) << "the Telnet server is not installed";
    ListeningProgram server = ShellServer();
    ASSERT_GT(server.Port(), 0);
    // The shell prints, pauses so the server passes the output on, and ends
    // the session long before the time limit.  The first echo ends the line
    // of a prompt that a late-starting shell prints after the typed line.
    const RunResult result =
        Run("--host 127.0.0.1 --port " + std::to_string(server.Port()) +
            " --send \"echo; echo hel''lo; sleep 0.5; exit<CR>\" --timeout 30");
    EXPECT_EQ(result.status, 0) << result.errors;
    EXPECT_TRUE(HasLine(result.output, "hello")) << result.output;
    EXPECT_LT(result.elapsed, std::chrono::seconds(20));
    EXPECT_EQ(result.errors, "");
}

TEST_F(RunTest, TelnetLinkWithCaptureFiles) {
    ListeningProgram plainServer = ShellServer();
    const std::string plain = File("plain.txt");
    const RunResult first = Run("telnet://127.0.0.1:" + std::to_string(plainServer.Port()) +
                                " --capture " + plain +
                                " --send \"printf 'x\\033[1my\\n'<CR>\" --timeout 1.5");
    ASSERT_EQ(first.status, 0) << first.errors;
    EXPECT_TRUE(HasLine(first.output, "xy")) << first.output;
    EXPECT_TRUE(HasLine(ReadFile(plain), "xy")) << ReadFile(plain);

    // Under CaptureDebug: every byte, controls by name, with the option trace.
    ListeningProgram debugServer = ShellServer();
    const std::string debug = File("debug.txt");
    const RunResult second = Run("telnet://127.0.0.1:" + std::to_string(debugServer.Port()) +
                                 " --set CaptureDebug=1 --capture " + debug +
                                 " --send \"printf 'x\\033[1my\\n'<CR>\" --timeout 1.5");
    ASSERT_EQ(second.status, 0) << second.errors;
    const std::string captured = ReadFile(debug);
    EXPECT_NE(captured.find("x<ESC>[1my<CR><LF>"), std::string::npos) << captured;
    EXPECT_NE(captured.find("<OP 253 24>"), std::string::npos) << captured;
}

TEST_F(RunTest, LoopbackShowsWhatIsSent) {
    const RunResult result =
        Run("--loopback --send 'one<CR><LF>' --send '^[[7mtwo' --timeout 0.3 --dump json");
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_NE(result.output.find("{\"text\":\"one\""), std::string::npos) << result.output;
    const std::string two = "{\"text\":\"two\",\"size\":0,\"attrs\":[";
    const size_t at = result.output.find(two);
    ASSERT_NE(at, std::string::npos) << result.output;
    EXPECT_TRUE(std::atoi(result.output.c_str() + at + two.size()) & 8) << "not inverse";
    EXPECT_NE(result.output.find("\"replies\":\"one<CR><LF><ESC>[7mtwo\""), std::string::npos);
    // The loop-back never closes: the time limit ends it.
    EXPECT_LT(result.elapsed, std::chrono::seconds(5));
}

TEST_F(RunTest, LoopbackShowsTheEchoEvenWithoutTime) {
    // The echo of the text must be on the screen and in the capture before
    // the session ends; a race lost here shows a blank screen.
    const std::string capture = File("capture.txt");
    const std::string filled(80, 'E');
    for (int run = 0; run < 40; ++run) {
        const RunResult result =
            Run("--loopback --send '<ESC>#8' --timeout 0 --capture " + capture);
        ASSERT_EQ(result.status, 0) << result.errors;
        ASSERT_EQ(result.output.rfind(filled + "\n", 0), 0u) << "run " << run << ":\n"
                                                             << result.output;
    }
    const RunResult text = Run("--loopback --send 'seen' --timeout 0 --capture " + capture);
    EXPECT_TRUE(HasLine(text.output, "seen")) << text.output;
    EXPECT_EQ(ReadFile(capture), "seen");
}

TEST_F(RunTest, SetupFileSessionWithSettingsFromTheCommandLine) {
    SettingsStore settings;
    settings.SetNumber(P::HostType, 2);
    settings.SetPageGeometry(132, 24, 1);
    const std::string path = File("local.qzv");
    ASSERT_TRUE(SaveSetupFile(path, settings, KeyMap()).ok);
    const RunResult result =
        Run(path + " --set Lines=36 --send 'ab<CR><LF>cd' --timeout 0.3 --dump json");
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(result.output.rfind("{\"columns\":132,\"lines\":36,", 0), 0u) << result.output;
    EXPECT_NE(result.output.find("\"cursor\":[1,2]"), std::string::npos);
}

TEST_F(RunTest, SessionsThatCannotOpen) {
    const std::string port = std::to_string(UnusedPort());
    const RunResult refused = Run("--host 127.0.0.1 --port " + port + " --send x");
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.errors,
              "Cannot connect to remote host.\n127.0.0.1 port " + port + ": connection refused\n");
    EXPECT_EQ(refused.output, "");

    const std::string broken = File("broken.qzv");
    std::ofstream(broken) << "QZV V2.50 but not really";
    const RunResult invalid = Run(broken);
    EXPECT_EQ(invalid.status, 2);
    EXPECT_NE(invalid.errors.find(broken), std::string::npos) << invalid.errors;
    EXPECT_EQ(invalid.output, "");
}

TEST_F(RunTest, LocalShellSessions) {
    // The user's own login shell may be slow to start; sh stands in for it.
    // The first echo ends the line of the prompt that the shell prints after
    // the typed line has been echoed.
    std::optional<ScopedVariable> shellVariable(std::in_place, "SHELL", "/bin/sh");
    const RunResult shell = Run(
        "--local-shell --set TermID=0 --send 'echo; tput cols; stty size; echo $TERM; exit<CR>' "
        "--timeout 30");
    shellVariable.emplace("SHELL", "/nonexistent/shell");
    const RunResult missing = Run("--local-shell --timeout 30");
    shellVariable.reset();
    EXPECT_EQ(shell.status, 0) << shell.errors;
    EXPECT_TRUE(HasLine(shell.output, "80")) << shell.output;
    EXPECT_TRUE(HasLine(shell.output, "24 80")) << shell.output;
    // The program's own terminal description, beside the program in the build tree.
    EXPECT_TRUE(HasLine(shell.output, "tamsivane")) << shell.output;
    // exit ended the session long before the time limit.
    EXPECT_LT(shell.elapsed, std::chrono::seconds(20));
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.errors, "Cannot connect to remote host.\n"
                              "/nonexistent/shell: No such file or directory\n");

    // A command instead of the shell; its end ends the session.  The
    // terminal name is the one asked for.
    const RunResult command =
        Run("--local-shell --term vt100 --set 'HostName=echo \"cols=$(tput cols) $TERM\"' "
            "--set Columns=132 --timeout 30");
    EXPECT_EQ(command.status, 0) << command.errors;
    EXPECT_TRUE(HasLine(command.output, "cols=132 vt100")) << command.output;
    EXPECT_LT(command.elapsed, std::chrono::seconds(20));
    const RunResult badName = Run("--local-shell --term 'a b'");
    EXPECT_EQ(badName.status, 2);
    EXPECT_NE(badName.errors.find("not a terminal name: \"a b\""), std::string::npos)
        << badName.errors;
}

TEST_F(RunTest, SshSessionsCheckTheHostKey) {
    ASSERT_EQ(access(TAMSIVANE_SSHD, X_OK), 0) << "openssh-server is not installed";
    const ScopedVariable home("HOME", File("home"));
    const ScopedVariable agent("SSH_AUTH_SOCK", std::nullopt);
    for (const char* folder : {"home", "home/.ssh", "server"}) {
        ASSERT_EQ(mkdir(File(folder).c_str(), 0700), 0);
    }
    OpenSshServer server(File("server"));
    ASSERT_TRUE(server.MakeHostKey());
    ASSERT_TRUE(MakeKeyPair(File("home/.ssh/id_ed25519")));
    ASSERT_TRUE(server.Authorize(File("home/.ssh/id_ed25519.pub")));
    ASSERT_TRUE(server.Start()) << server.Log();
    const std::string target = "ssh://127.0.0.1:" + std::to_string(server.Port());

    // An unknown host key: without --ssh-accept-new the answer is No.
    const RunResult refused = Run(target + " --timeout 30");
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.errors.find("The authenticity of host [127.0.0.1]:"), std::string::npos)
        << refused.errors;
    EXPECT_NE(refused.errors.find("Cannot connect to remote host."), std::string::npos);

    const RunResult first =
        Run(target + " --ssh-accept-new --set TermID=0 --send 'echo; echo $TERM; exit<CR>' "
                     "--timeout 30");
    EXPECT_EQ(first.status, 0) << first.errors;
    EXPECT_TRUE(HasLine(first.output, "vt420")) << first.output;
    EXPECT_NE(first.errors.find("Do you want to connect and remember this host?"),
              std::string::npos);
    // Known now: nothing is asked.
    const RunResult second = Run(target + " --send 'exit<CR>' --timeout 30");
    EXPECT_EQ(second.status, 0) << second.errors;
    EXPECT_EQ(second.errors, "");
}

TEST_F(RunTest, SshPasswordsStayPrivate) {
    ASSERT_TRUE(MakeKeyPair(File("host_key")));
    const ScopedVariable home("HOME", File(""));
    const std::string password = "pr1vate-Pass";
    const std::string wrong = "wr0ng-Pass";
    const std::string capture = File("capture.txt");
    for (const std::string& given : {password, wrong}) {
        ListeningProgram server(
            {TAMSIVANE_SSH_LOGIN_SERVER, File("host_key"), password, "password"});
        const RunResult result =
            Run("ssh://someone@127.0.0.1:" + std::to_string(server.Port()) +
                " --ssh-accept-new --set SshPassword=" + given +
                " --set CaptureDebug=1 --capture " + capture +
                " --send 'exit<CR>' --dump json --timeout 30");
        const std::string everything = result.output + result.errors + ReadFile(capture);
        EXPECT_EQ(everything.find(given), std::string::npos) << everything;
        if (given == password) {
            EXPECT_EQ(result.status, 0) << result.errors;
            EXPECT_NE(result.output.find("login=password"), std::string::npos) << result.output;
        } else {
            EXPECT_EQ(result.status, 2);
            const std::string failed = "Authentication failed.\nCannot connect to remote host.\n";
            EXPECT_EQ(result.errors.substr(result.errors.size() - std::min(result.errors.size(),
                                                                           failed.size())),
                      failed);
        }
    }
}

} // namespace
} // namespace tamsivane::testing
