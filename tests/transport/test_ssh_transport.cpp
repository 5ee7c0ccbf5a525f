// SSH sessions against a throw-away OpenSSH server (host keys, key logins,
// the terminal) and a small server of the tests' own (password and
// keyboard-interactive logins).  The client's HOME is a folder of the test's.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "ScopedVariable.h"
#include "SshPeers.h"
#include "TempFolder.h"
#include "TestPeers.h"
#include "TestSession.h"
#include "config/ResourceStrings.h"
#include "config/SettingsStore.h"
#include "transport/CSshTransport.h"

namespace tamsivane::testing {
namespace {

using Clock = std::chrono::steady_clock;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A session for the host at port (HostType 8), not yet started.
std::unique_ptr<TestSession> NewSession(int port, int hostType = 8) {
    auto session = std::make_unique<TestSession>();
    SettingsStore& settings = session->Emulator().Settings();
    settings.SetNumber(P::HostType, hostType);
    settings.SetString(P::HostName, "127.0.0.1");
    settings.SetNumber(P::Port, port);
    settings.SetNumber(P::TermID, 0);
    session->StartEmulator();
    session->Attach(std::make_unique<CSshTransport>(*session));
    return session;
}
bool Connect(TestSession& session) {
    return session.Transport().Start() &&
           session.WaitFor([&] { return session.Transport().State() != TransportState::Connecting; }) &&
           session.Transport().State() == TransportState::Connected;
}

class SshTransportTest : public ::testing::Test {
protected:
    SshTransportTest()
        : home_("HOME", folder_.File("home")), agent_("SSH_AUTH_SOCK", std::nullopt),
          server_(folder_.File("server")) {}

    void SetUp() override {
        ASSERT_EQ(access(TAMSIVANE_SSHD, X_OK), 0) << "openssh-server is not installed";
        ASSERT_EQ(mkdir(folder_.File("home").c_str(), 0700), 0);
        ASSERT_EQ(mkdir(folder_.File("home/.ssh").c_str(), 0700), 0);
        ASSERT_EQ(mkdir(folder_.File("server").c_str(), 0700), 0);
        ASSERT_TRUE(MakeKeyPair(UserKey()));
        ASSERT_TRUE(server_.MakeHostKey());
        ASSERT_TRUE(server_.Authorize(UserKey() + ".pub"));
        ASSERT_TRUE(server_.Start()) << server_.Log();
    }

    std::string UserKey() const { return folder_.File("home/.ssh/id_ed25519"); }
    std::string KnownHosts() const { return folder_.File("home/.ssh/known_hosts"); }
    std::string HostLabel(int port) const { return "[127.0.0.1]:" + std::to_string(port); }

    static int Columns(TestSession& session) {
        std::lock_guard lock(session.Lock());
        return session.Emulator().Settings().GetNumber(P::Columns);
    }

    TempFolder folder_;
    ScopedVariable home_;
    ScopedVariable agent_;
    OpenSshServer server_;
};

TEST_F(SshTransportTest, FirstContactAsksAndStoresTheKeyThenTheTerminalReachesTheShell) {
    auto first = NewSession(server_.Port());
    first->acceptHostKey = true;
    ASSERT_TRUE(Connect(*first)) << first->LastMessage() << server_.Log();
    const std::vector<std::string> questions = first->Questions();
    ASSERT_EQ(questions.size(), 1u);
    const std::string expected = "The authenticity of host " + HostLabel(server_.Port()) +
                                 " can't be established.\nED25519 key fingerprint is SHA256:";
    EXPECT_EQ(questions[0].rfind(expected, 0), 0u) << questions[0];
    EXPECT_NE(questions[0].find(".\nDo you want to connect and remember this host?"),
              std::string::npos);
    EXPECT_NE(ReadFile(KnownHosts()).find(HostLabel(server_.Port())), std::string::npos);

    // The shell runs in the server's own home, whatever the user's is.
    ASSERT_TRUE(first->Type("echo \"term=$TERM\"; stty size; echo \"$HOME\"; pwd\r"));
    const std::string home = folder_.File("server/home");
    EXPECT_TRUE(first->WaitForScreen("term=vt420\n24 80\n" + home + "\n" + home))
        << first->ScreenText();
    ASSERT_TRUE(first->Type("exit\r"));
    EXPECT_TRUE(first->WaitForState(TransportState::Closed));
    EXPECT_EQ(first->EndCount(), 1);
    EXPECT_TRUE(first->Messages().empty()) << first->LastMessage();

    // The key is known now: no question, and an address-book SSH2 entry (5)
    // connects the same way.
    auto second = NewSession(server_.Port(), 5);
    ASSERT_TRUE(Connect(*second)) << second->LastMessage();
    EXPECT_TRUE(second->Questions().empty());
    EXPECT_EQ(second->Transport().GetName(second->Emulator().Settings()), "127.0.0.1");
}

TEST_F(SshTransportTest, DeclinedHostKeyEndsTheAttemptWithoutStoringIt) {
    auto session = NewSession(server_.Port());
    EXPECT_FALSE(Connect(*session));
    EXPECT_EQ(session->Questions().size(), 1u);
    EXPECT_EQ(session->Messages(), std::vector<int>{Msg::CannotConnect});
    EXPECT_FALSE(std::ifstream(KnownHosts()).good());
}

TEST_F(SshTransportTest, ChangedHostKeyIsAlwaysRefused) {
    auto first = NewSession(server_.Port());
    first->acceptHostKey = true;
    ASSERT_TRUE(Connect(*first));
    first->Transport().Stop();
    ASSERT_TRUE(server_.MakeHostKey());
    ASSERT_TRUE(server_.Start()) << server_.Log();

    auto second = NewSession(server_.Port());
    second->acceptHostKey = true;
    EXPECT_FALSE(Connect(*second));
    EXPECT_TRUE(second->Questions().empty());
    EXPECT_EQ(second->LastMessage(),
              "The host key of " + HostLabel(server_.Port()) +
                  " has changed. The connection was refused; if the change is expected, "
                  "remove the old key from " + KnownHosts() + ".\nCannot connect to remote host.");
}

TEST_F(SshTransportTest, PageSizeChangeReachesTheShell) {
    auto session = NewSession(server_.Port());
    session->acceptHostKey = true;
    ASSERT_TRUE(Connect(*session));
    ASSERT_TRUE(session->Type("printf '\\033[?3h'; read line; stty size\r"));
    ASSERT_TRUE(session->WaitFor([&] { return Columns(*session) == 132; }));
    ASSERT_TRUE(session->Type("\r"));
    EXPECT_TRUE(session->WaitForScreen("24 132")) << session->ScreenText();
}

TEST_F(SshTransportTest, AnUnknownUserKeyFailsCleanly) {
    ASSERT_TRUE(MakeKeyPair(UserKey())); // not the one the server lets in
    auto session = NewSession(server_.Port());
    session->acceptHostKey = true;
    EXPECT_FALSE(Connect(*session));
    EXPECT_TRUE(session->WaitForState(TransportState::Closed));
    EXPECT_EQ(session->LastMessage(), "Authentication failed.\nCannot connect to remote host.");
    EXPECT_EQ(session->PasswordRequests(), 0);
    EXPECT_EQ(session->EndCount(), 1);
}

TEST_F(SshTransportTest, StopIsBoundedWhileConnectingAndWhileTheShellIsBusy) {
    // A server that accepts and never says a word.
    Listener silent;
    auto waiting = NewSession(silent.Port());
    ASSERT_TRUE(waiting->Transport().Start());
    ASSERT_TRUE(silent.Accept());
    Clock::time_point before = Clock::now();
    EXPECT_TRUE(waiting->Transport().Stop());
    EXPECT_LT(Clock::now() - before, kPromptLimit);
    EXPECT_EQ(waiting->Transport().State(), TransportState::Closed);
    EXPECT_TRUE(waiting->Messages().empty());

    auto busy = NewSession(server_.Port());
    busy->acceptHostKey = true;
    ASSERT_TRUE(Connect(*busy));
    ASSERT_TRUE(busy->Type("yes\r"));
    ASSERT_TRUE(busy->WaitForScreen("y\ny\ny"));
    before = Clock::now();
    EXPECT_TRUE(busy->Transport().Stop());
    EXPECT_LT(Clock::now() - before, kPromptLimit);
    EXPECT_EQ(busy->Transport().State(), TransportState::Closed);
}

// The tests' own server for password logins.
class SshPasswordTest : public ::testing::Test {
protected:
    SshPasswordTest()
        : home_("HOME", folder_.Path()), agent_("SSH_AUTH_SOCK", std::nullopt) {}
    void SetUp() override { ASSERT_TRUE(MakeKeyPair(folder_.File("host_key"))); }

    ListeningProgram Server(const char* method) {
        return ListeningProgram(
            {TAMSIVANE_SSH_LOGIN_SERVER, folder_.File("host_key"), kPassword, method});
    }
    static std::unique_ptr<TestSession> NewSession(int port) {
        auto session = tamsivane::testing::NewSession(port);
        session->acceptHostKey = true;
        return session;
    }

    static constexpr const char* kPassword = "c0rrect-h0rse";
    TempFolder folder_;
    ScopedVariable home_;
    ScopedVariable agent_;
};

TEST_F(SshPasswordTest, PasswordFromTheSettings) {
    ListeningProgram server = Server("password");
    auto session = NewSession(server.Port());
    session->Emulator().Settings().SetString(P::SshPassword, kPassword);
    ASSERT_TRUE(Connect(*session)) << session->LastMessage();
    EXPECT_TRUE(session->WaitForScreen("login=password term=vt420 size=80x24"));
    EXPECT_EQ(session->PasswordRequests(), 0);
    ASSERT_TRUE(session->Type("exit\r"));
    EXPECT_TRUE(session->WaitForState(TransportState::Closed));
    EXPECT_TRUE(session->Messages().empty());
}

TEST_F(SshPasswordTest, KeyboardInteractiveWithATypedPassword) {
    ListeningProgram server = Server("kbdint");
    auto session = NewSession(server.Port());
    session->typedPassword = kPassword;
    ASSERT_TRUE(Connect(*session)) << session->LastMessage();
    EXPECT_TRUE(session->WaitForScreen("login=kbdint"));
    EXPECT_EQ(session->PasswordRequests(), 1);
}

TEST_F(SshPasswordTest, WrongOrMissingPasswordsFailAndStayPrivate) {
    for (const char* method : {"password", "kbdint"}) {
        ListeningProgram server = Server(method);
        auto session = NewSession(server.Port());
        session->Emulator().Settings().SetString(P::SshPassword, "wr0ng-secret");
        EXPECT_FALSE(Connect(*session)) << method;
        EXPECT_EQ(session->LastMessage(), "Authentication failed.\nCannot connect to remote host.");
        EXPECT_EQ(session->ScreenText().find("wr0ng"), std::string::npos);
    }
    // No password given at all: the user was asked once, then it failed.
    ListeningProgram server = Server("password");
    auto session = NewSession(server.Port());
    EXPECT_FALSE(Connect(*session));
    EXPECT_EQ(session->PasswordRequests(), 1);
    EXPECT_EQ(session->Messages(), std::vector<int>{Msg::CannotConnect});
}

} // namespace
} // namespace tamsivane::testing
