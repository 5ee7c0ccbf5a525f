// The local shell transport against real programs on a pseudo-terminal.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "ScopedVariable.h"
#include "TempFolder.h"
#include "TestPeers.h"
#include "TestSession.h"
#include "config/ResourceStrings.h"
#include "config/SettingsStore.h"
#include "transport/CShellTransport.h"

namespace tamsivane::testing {
namespace {

using Clock = std::chrono::steady_clock;

class ShellTransportTest : public ::testing::Test {
protected:
    // Runs command (the user's shell when empty), or else the program's
    // words, and waits until it runs.
    void Open(const std::string& command, std::vector<std::string> program = {}) {
        session.Emulator().Settings().SetString(P::HostName, command);
        session.Emulator().Settings().SetNumber(P::HostType, 7);
        session.StartEmulator();
        auto transport = std::make_unique<CShellTransport>(session);
        transport->RunProgram(std::move(program));
        shell = transport.get();
        session.Attach(std::move(transport));
        ASSERT_TRUE(session.Transport().Start());
    }
    void OpenConnected(const std::string& command) {
        Open(command);
        ASSERT_TRUE(session.WaitForState(TransportState::Connected));
    }
    int Columns() {
        std::lock_guard lock(session.Lock());
        return session.Emulator().Settings().GetNumber(P::Columns);
    }

    TestSession session;
    CShellTransport* shell = nullptr;
};

bool ProcessExists(pid_t pid) {
    struct stat info{};
    return stat(("/proc/" + std::to_string(pid)).c_str(), &info) == 0;
}

// Where curses programs look for terminal descriptions: only folder.
struct TerminfoFolders {
    explicit TerminfoFolders(const std::string& folder)
        : terminfo("TERMINFO", std::nullopt), home("HOME", folder), dirs("TERMINFO_DIRS", folder) {}
    ScopedVariable terminfo, home, dirs;
};

TEST_F(ShellTransportTest, TerminalTypeAndSizeReachTheProgram) {
    // The program's own description, where curses programs look for it.
    const TerminfoFolders folders(TAMSIVANE_TERMINFO);
    session.Emulator().Settings().SetNumber(P::TermID, 0);
    Open("tput cols; stty size; echo \"term=$TERM\"; tput kcbt | od -An -c");
    EXPECT_TRUE(session.WaitForState(TransportState::Closed));
    const std::string screen = session.ScreenText();
    EXPECT_EQ(screen.rfind("80\n24 80\nterm=tamsivane\n 033   [   Z", 0), 0u) << screen;
    EXPECT_EQ(session.EndCount(), 1);
    EXPECT_TRUE(session.Messages().empty());
    EXPECT_EQ(shell->GetName(session.Emulator().Settings()),
              "tput cols; stty size; echo \"term=$TERM\"; tput kcbt | od -An -c");
}

TEST_F(ShellTransportTest, TermIdNamesTheTerminalWithoutTheOwnDescription) {
    TempFolder empty;
    const TerminfoFolders folders(empty.Path());
    session.Emulator().Settings().SetNumber(P::TermID, 1);
    OpenConnected("echo \"term=$TERM\"; read line");
    EXPECT_TRUE(session.WaitForScreen("term=vt320"));
}

TEST_F(ShellTransportTest, TheUsersChoiceNamesTheTerminal) {
    TempFolder empty;
    const TerminfoFolders folders(empty.Path());
    session.terminalName = "xterm-mine";
    OpenConnected("echo \"term=$TERM\"; read line");
    EXPECT_TRUE(session.WaitForScreen("term=xterm-mine"));
}

TEST_F(ShellTransportTest, ColumnModeChangeResizesTheTerminal) {
    // The program switches to 132 columns, then waits for a line before it
    // asks for its size, so the change has been made by then.
    OpenConnected("printf '\\033[?3h'; read line; stty size; read line");
    ASSERT_TRUE(session.WaitFor([&] { return Columns() == 132; }));
    ASSERT_TRUE(session.Type("\r"));
    EXPECT_TRUE(session.WaitForScreen("24 132"));
}

TEST_F(ShellTransportTest, WithoutSetHostSizeTheTerminalKeepsItsSize) {
    session.Emulator().Settings().SetNumber(P::SetHostSize, 0);
    OpenConnected("printf '\\033[?3h'; read line; stty size; read line");
    ASSERT_TRUE(session.WaitFor([&] { return Columns() == 132; }));
    ASSERT_TRUE(session.Type("\r"));
    EXPECT_TRUE(session.WaitForScreen("24 80"));
}

TEST_F(ShellTransportTest, TheProgramsEndEndsTheSession) {
    // The user's own login shell may take long to start.
    const ScopedVariable shell("SHELL", "/bin/sh");
    OpenConnected("");
    ASSERT_TRUE(session.Type("echo \"shell=$0 in $PWD\"; exit\r"));
    ASSERT_TRUE(session.WaitForState(TransportState::Closed));
    // A login shell in the home folder.
    const char* home = std::getenv("HOME");
    EXPECT_NE(session.ScreenText().find("shell=-sh in " + std::string(home ? home : "")),
              std::string::npos)
        << session.ScreenText();
    EXPECT_EQ(session.States(), (std::vector{TransportState::Connecting, TransportState::Connected,
                                             TransportState::Closing, TransportState::Closed}));
    EXPECT_EQ(session.EndCount(), 1);
    EXPECT_EQ(this->shell->GetName(session.Emulator().Settings()), "Shell");
    EXPECT_EQ(this->shell->ProgramId(), -1);
}

TEST_F(ShellTransportTest, AProgramIgnoringTheHangupIsKilledAndReaped) {
    OpenConnected("trap '' HUP; echo ready; while :; do sleep 1; done");
    ASSERT_TRUE(session.WaitForScreen("ready"));
    const pid_t pid = shell->ProgramId();
    ASSERT_GT(pid, 0);
    const Clock::time_point before = Clock::now();
    EXPECT_TRUE(session.Transport().Stop());
    EXPECT_LT(Clock::now() - before, CShellTransport::kHangupGrace + kPromptLimit);
    EXPECT_EQ(session.Transport().State(), TransportState::Closed);
    // Reaped: not even a zombie is left.
    EXPECT_FALSE(ProcessExists(pid));
}

TEST_F(ShellTransportTest, AProgramThatCannotStartIsShownAndEndsTheSession) {
    const ScopedVariable shell("SHELL", "/nonexistent/shell");
    Open("");
    ASSERT_TRUE(session.WaitForState(TransportState::Closed));
    EXPECT_NE(session.ScreenText().find("/nonexistent/shell: No such file or directory"),
              std::string::npos)
        << session.ScreenText();
    EXPECT_EQ(session.Messages(), std::vector<int>{Msg::CannotConnect});
    EXPECT_NE(session.LastMessage().find("/nonexistent/shell"), std::string::npos);
}

// A program's words reach it unchanged, the program found along PATH; a
// name found nowhere on PATH is never taken from the working folder.
TEST_F(ShellTransportTest, AProgramRunsWithItsWordsFoundAlongPath) {
    TempFolder folder;
    const std::string script = folder.File("words");
    std::ofstream(script) << "#!/bin/sh\nprintf '<%s>' \"$@\"\n";
    chmod(script.c_str(), 0700);
    const ScopedVariable path("PATH", "/nonexistent:" + folder.Path());
    Open("ignored", {"words", "a  b", "", "$HOME", "'q'"});
    ASSERT_TRUE(session.WaitForState(TransportState::Closed));
    EXPECT_EQ(session.ScreenText().rfind("<a  b><><$HOME><'q'>", 0), 0u) << session.ScreenText();
}

TEST_F(ShellTransportTest, AProgramOffPathIsNotTakenFromTheWorkingFolder) {
    TempFolder folder;
    const std::string script = folder.File("words");
    std::ofstream(script) << "#!/bin/sh\necho ran\n";
    chmod(script.c_str(), 0700);
    const ScopedVariable path("PATH", "/nonexistent");
    char* const working = getcwd(nullptr, 0);
    ASSERT_EQ(chdir(folder.Path().c_str()), 0);
    Open("", {"words"});
    const bool closed = session.WaitForState(TransportState::Closed);
    EXPECT_EQ(chdir(working), 0);
    std::free(working);
    ASSERT_TRUE(closed);
    EXPECT_NE(session.ScreenText().find("words: No such file or directory"), std::string::npos)
        << session.ScreenText();
}

TEST_F(ShellTransportTest, LargeInputNeverBlocksTheSender) {
    // The program reads nothing until the file "go" exists: the terminal
    // takes a few kilobytes, and the rest must wait in the transport while
    // the sender goes on.
    const TempFolder folder;
    const std::string go = folder.File("go");
    OpenConnected("stty raw -echo; echo ready; while [ ! -e '" + go +
                  "' ]; do sleep 0.05; done; head -c 200000 | wc -c");
    ASSERT_TRUE(session.WaitForScreen("ready"));
    std::atomic<bool> returned{false};
    bool sent = false;
    std::thread sender([&] {
        sent = session.Type(std::string(200000, 'x'));
        returned = true;
    });
    const bool returnedBeforeReading = session.WaitFor([&] { return returned.load(); });
    std::ofstream{go};
    sender.join();
    EXPECT_TRUE(returnedBeforeReading);
    EXPECT_TRUE(sent);
    EXPECT_TRUE(session.WaitForScreen("200000"));
}

TEST_F(ShellTransportTest, ChangedSettingsNeedARestartUnlessStillAShell) {
    OpenConnected("read line");
    SettingsStore settings;
    settings.CopyFrom(session.Emulator().Settings());
    EXPECT_TRUE(shell->ApplySettings(settings));
    EXPECT_TRUE(session.Messages().empty());
    settings.SetNumber(P::HostType, 0);
    EXPECT_TRUE(shell->ApplySettings(settings));
    EXPECT_EQ(session.Messages(), std::vector<int>{Msg::RestartForSettings});
}

} // namespace
} // namespace tamsivane::testing
