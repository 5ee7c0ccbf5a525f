// tamsivane-cli run --script: a script automates a real Telnet session; its
// errors and its time-out end the run with their own exit status; the login
// script runs under run too.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>

#include "RunCli.h"
#include "TempFolder.h"
#include "TestPeers.h"

namespace tamsivane::testing {
namespace {

class RunScriptTest : public ::testing::Test {
protected:
    std::string WriteScript(const std::string& text) {
        const std::string path = folder_.File("script" + std::to_string(++scripts_) + ".wbq");
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    CliResult Run(const std::string& arguments) {
        return RunCliWithErrors("run " + arguments, folder_.File("stderr.txt"));
    }
    static std::string Target(const ListeningProgram& server) {
        return "--host 127.0.0.1 --port " + std::to_string(server.Port());
    }

private:
    TempFolder folder_;
    int scripts_ = 0;
};

TEST_F(RunScriptTest, AutomatesAShellOnTheTelnetServer) {
    ASSERT_EQ(access(TAMSIVANE_TELNETD, X_OK), 0) << "the Telnet server is not installed";
    ListeningProgram server({TAMSIVANE_ACCEPT_EXEC, TAMSIVANE_TELNETD, "-E", "/bin/sh"});
    ASSERT_GT(server.Port(), 0);
    // The command's output is read back from the screen; a miss is a
    // script error.
    const std::string script = WriteScript(
        "term.Wait('$ |# ');\n"
        "term.Send(\"echo sum=$((40+2))<CR>\");\n"
        "term.Wait('sum=42');\n"
        "term.Wait('$ |# ');\n"
        "page = term.Screen(1, 1, 24, 80);\n"
        "if (page.Find('sum=42') < 0) fail = 1 / 0;\n"
        "term.Send('exit<CR>');\n");
    const CliResult result = Run(Target(server) + " --script " + script + " --timeout 30");
    EXPECT_EQ(result.status, 0) << result.errors;
    EXPECT_NE(result.output.find("sum=42"), std::string::npos) << result.output;
    EXPECT_EQ(result.errors, "");
}

TEST_F(RunScriptTest, AScriptErrorExitsWithThree) {
    const std::string script = WriteScript("term.Send('a');\nx = 1 / 0;\n");
    const CliResult result = Run("--loopback --dump none --timeout 10 --script " + script);
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(result.errors,
              "Script Error:\n\n" + script +
                  " (Line 2) : E1071 Operation not supported: \"division by zero\"\n");
}

TEST_F(RunScriptTest, TheTimeOutCancelsTheScript) {
    const std::string script = WriteScript("term.Wait('never');");
    const CliResult result = Run("--loopback --dump none --timeout 0.5 --script " + script);
    EXPECT_EQ(result.status, 5);
    EXPECT_EQ(result.errors, "Script timed out.\n");
}

TEST_F(RunScriptTest, ScriptEndsTheRunAndTheScreenIsPrinted) {
    const std::string script = WriteScript("term.Send('done<CR><LF>');\nterm.Wait('<LF>');");
    const CliResult result = Run("--loopback --timeout 30 --script " + script);
    EXPECT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(result.output.rfind("done\n", 0), 0u) << result.output;
}

TEST_F(RunScriptTest, ACommandsOutputStaysOutOfTheScreenPrint) {
    const std::string script = WriteScript("sys.System('echo from-command');");
    const CliResult result = Run("--loopback --timeout 10 --script " + script);
    EXPECT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(result.output.find("from-command"), std::string::npos) << result.output;
    EXPECT_EQ(result.errors, "from-command\n");
}

TEST_F(RunScriptTest, AFileThatCannotBeReadIsReported) {
    const CliResult result = Run("--loopback --dump none --timeout 5 --script /nonexistent.wbq");
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.errors, "Cannot load script file.\n");
}

TEST_F(RunScriptTest, LoginScriptRunsUnderRun) {
    ASSERT_EQ(access(TAMSIVANE_TELNETD, X_OK), 0) << "the Telnet server is not installed";
    ListeningProgram server({TAMSIVANE_ACCEPT_EXEC, TAMSIVANE_TELNETD, "-E", TAMSIVANE_FAKE_LOGIN});
    ASSERT_GT(server.Port(), 0);
    const CliResult result = Run(Target(server) +
                                    " --set LoginScript=1 --set UserID=alice --set Password=secret"
                                    " --timeout 20");
    EXPECT_EQ(result.status, 0) << result.errors;
    EXPECT_NE(result.output.find("Welcome"), std::string::npos) << result.output;
}

} // namespace
} // namespace tamsivane::testing
