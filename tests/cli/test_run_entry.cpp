// tamsivane-cli run --entry: a session opened from the address book kept
// beside the program, as the desktop's Connect opens it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "RunCli.h"
#include "ScopedVariable.h"
#include "SshPeers.h"
#include "TempFolder.h"
#include "TestPeers.h"

namespace tamsivane::testing {
namespace {

namespace fs = std::filesystem;

// A copy of the program in a folder of its own, so that its address book
// is the test's.
class RunEntryTest : public ::testing::Test {
protected:
    RunEntryTest() {
        fs::copy_file(TAMSIVANE_CLI, folder_.File("tamsivane-cli"));
        fs::copy_file(fs::path(TAMSIVANE_CLI).parent_path() / "default.qzv",
                      folder_.File("default.qzv"));
    }
    void WriteBook(const std::string& text) {
        std::ofstream(folder_.File("AddrBook.Txt"), std::ios::binary) << text;
    }
    CliResult Run(const std::string& arguments) {
        return RunCliWithErrors("run " + arguments, folder_.File("err.txt"),
                                folder_.File("tamsivane-cli"));
    }

    TempFolder folder_;
};

TEST_F(RunEntryTest, AnUnknownNameIsAUsageError) {
    WriteBook("known\r\nTelnet\r\nhost\r\n\r\n##No Script\r\n");
    const CliResult result = Run("--entry 'no such host' --dump none");
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.errors, "No address book entry named no such host.\n");
}

TEST_F(RunEntryTest, AnEntryConnectsAndRunsItsLoginScript) {
    ASSERT_EQ(access(TAMSIVANE_TELNETD, X_OK), 0) << "the Telnet server is not installed";
    ListeningProgram server({TAMSIVANE_ACCEPT_EXEC, TAMSIVANE_TELNETD, "-E", TAMSIVANE_FAKE_LOGIN});
    ASSERT_GT(server.Port(), 0);
    WriteBook("login host\r\nTELNET\r\n127.0.0.1:" + std::to_string(server.Port()) +
              "\r\n\r\n##Start Script\r\nterm.Wait('login:');\r\nterm.Send('alice<CR>');\r\n"
              "term.Wait('Password:');\r\nterm.Send('secret<CR>');\r\n##End Script\r\n");
    const CliResult result = Run("--entry 'login host' --timeout 20");
    EXPECT_EQ(result.status, 0) << result.errors;
    EXPECT_NE(result.output.find("Welcome"), std::string::npos) << result.output;
}

TEST_F(RunEntryTest, AnSshTwoEntryOpensAnSshSession) {
    ASSERT_EQ(access(TAMSIVANE_SSHD, X_OK), 0) << "openssh-server is not installed";
    const ScopedVariable home("HOME", folder_.File("home"));
    const ScopedVariable agent("SSH_AUTH_SOCK", std::nullopt);
    for (const char* folder : {"home", "home/.ssh", "server"}) {
        ASSERT_EQ(mkdir(folder_.File(folder).c_str(), 0700), 0);
    }
    OpenSshServer server(folder_.File("server"));
    ASSERT_TRUE(server.MakeHostKey());
    ASSERT_TRUE(MakeKeyPair(folder_.File("home/.ssh/id_ed25519")));
    ASSERT_TRUE(server.Authorize(folder_.File("home/.ssh/id_ed25519.pub")));
    ASSERT_TRUE(server.Start()) << server.Log();
    WriteBook("secure\r\nSSH2\r\n127.0.0.1:" + std::to_string(server.Port()) +
              "\r\n\r\n##No Script\r\n");
    const CliResult result =
        Run("--entry secure --ssh-accept-new --send 'echo entry-$((6*7)); exit<CR>' --timeout 30");
    EXPECT_EQ(result.status, 0) << result.errors;
    EXPECT_NE(result.output.find("entry-42"), std::string::npos) << result.output;
}

TEST_F(RunEntryTest, AnSshOneEntryIsNotSupported) {
    WriteBook("old\r\nSSH1\r\nhost\r\n\r\n##No Script\r\n");
    const CliResult result = Run("--entry old --dump none");
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.errors, "This kind of connection is not supported.\n");
}

} // namespace
} // namespace tamsivane::testing
