// The Telnet transport against real peers on 127.0.0.1: a Telnet server
// running a shell (started by the accept-and-exec launcher, so no login is
// needed), the line proxy, and sockets the test drives by hand.
#include <gtest/gtest.h>

#include <unistd.h>

#include "TestPeers.h"
#include "TestSession.h"
#include "platform/NameLookup.h"
#include "transport/CTelnetTransport.h"

namespace tamsivane::testing {
namespace {

std::string B(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes) s += static_cast<char>(b);
    return s;
}

class TelnetTransportTest : public ::testing::Test {
protected:
    // A session for host:port; further settings before Connect.
    void Open(const std::string& host, int port, int termId = 0) {
        SettingsStore& settings = session.Emulator().Settings();
        settings.SetString(P::HostName, host);
        settings.SetNumber(P::Port, port);
        settings.SetNumber(P::TermID, termId);
        ASSERT_TRUE(settings.SetPageGeometry(80, 36, 4));
    }
    void Start() {
        session.StartEmulator();
        {
            std::lock_guard lock(session.Lock());
            session.Attach(std::make_unique<CTelnetTransport>(session));
        }
        ASSERT_TRUE(session.Transport().Start());
    }
    // Connects and waits until the shell answers.
    void StartShell(int port) {
        Open("127.0.0.1", port);
        Start();
        ASSERT_TRUE(session.WaitForState(TransportState::Connected));
        session.Type("echo SHELL''READY\r");
        ASSERT_TRUE(session.WaitForScreen("SHELLREADY")) << session.ScreenText();
    }
    void ExpectCleanEnd() {
        EXPECT_TRUE(session.WaitForState(TransportState::Closed));
        EXPECT_TRUE(session.WaitFor([&] { return session.EndCount() == 1; }));
        const std::vector<TransportState> states = session.States();
        ASSERT_GE(states.size(), 2u);
        EXPECT_EQ(states[states.size() - 2], TransportState::Closing);
        EXPECT_EQ(states.back(), TransportState::Closed);
    }
    // The system's message, then what failed and why.
    void ExpectCannotConnect(const std::string& failure) {
        EXPECT_TRUE(session.WaitForState(TransportState::Closed));
        EXPECT_EQ(session.Messages(), std::vector{1029});
        EXPECT_EQ(session.LastMessage(), "Cannot connect to remote host.\n" + failure);
        EXPECT_TRUE(session.WaitFor([&] { return session.EndCount() == 1; }));
    }

    static ListeningProgram ShellServer() {
        return ListeningProgram({TAMSIVANE_ACCEPT_EXEC, TAMSIVANE_TELNETD, "-E", "/bin/sh"});
    }

    TestSession session;
};

TEST_F(TelnetTransportTest, ShellSeesTerminalTypeAndWindowSize) {
    ASSERT_EQ(access(TAMSIVANE_TELNETD, X_OK), 0) << "the Telnet server is not installed";
    ListeningProgram server = ShellServer();
    ASSERT_GT(server.Port(), 0);
    StartShell(server.Port());
    session.Type("echo \"[$TERM]\"; stty size\r");
    EXPECT_TRUE(session.WaitForScreen("[vt420]\n36 80")) << session.ScreenText();

    // A page-size change reaches the host at once.
    session.Type("printf '\\033[132$|'\r");
    ASSERT_TRUE(session.WaitFor([&] {
        std::lock_guard lock(session.Lock());
        return session.Emulator().Settings().GetNumber(P::Columns) == 132;
    }));
    session.Type("stty size\r");
    EXPECT_TRUE(session.WaitForScreen("36 132")) << session.ScreenText();

    session.Type("exit\r");
    ExpectCleanEnd();
    EXPECT_TRUE(session.Messages().empty());
}

TEST_F(TelnetTransportTest, ByteTwoFiftyFiveSurvivesBothWays) {
    ListeningProgram server = ShellServer();
    StartShell(server.Port());
    // Towards the host: the shell reads four raw bytes and prints their values.
    session.Type("stty raw -echo; echo RAW''MODE; od -An -tu1 -N4; stty sane; echo SANE''MODE\r");
    ASSERT_TRUE(session.WaitForScreen("RAWMODE"));
    session.Type(B({'A', 255, 'B', 255}));
    EXPECT_TRUE(session.WaitForScreen("65 255  66 255")) << session.ScreenText();
    // The next line must not reach the terminal while it is still raw: its CR
    // would not end the line.
    ASSERT_TRUE(session.WaitForScreen("SANEMODE"));

    // From the host: taken as a transfer would, before any interpretation.
    session.SetTransferRunning(true);
    const std::string command = "printf '<\\377\\377>'\r";
    ASSERT_TRUE(session.Transport().Write(reinterpret_cast<const uint8_t*>(command.data()),
                                          command.size()));
    EXPECT_TRUE(session.WaitFor([&] {
        return session.TransferBytes().find(B({'<', 255, 255, '>'})) != std::string::npos;
    }));
}

TEST_F(TelnetTransportTest, ThroughTheLineProxy) {
    ListeningProgram server = ShellServer();
    ListeningProgram proxy({TAMSIVANE_LINE_PROXY, "proxy says hello\r\n"});
    ASSERT_GT(proxy.Port(), 0);
    Open("127.0.0.1", server.Port());
    session.Emulator().Settings().SetString(P::Proxy, "127.0.0.1");
    session.Emulator().Settings().SetNumber(P::Speed, proxy.Port());
    Start();
    EXPECT_TRUE(session.WaitForScreen("proxy says hello"));
    ASSERT_TRUE(session.WaitForState(TransportState::Connected));
    session.Type("echo \"[$TERM]\"\r");
    EXPECT_TRUE(session.WaitForScreen("[vt420]")) << session.ScreenText();
    session.Type("exit\r");
    ExpectCleanEnd();
}

TEST_F(TelnetTransportTest, RefusedConnectionIsReported) {
    const int port = UnusedPort();
    Open("127.0.0.1", port);
    Start();
    ExpectCannotConnect("127.0.0.1 port " + std::to_string(port) + ": connection refused");
}

TEST_F(TelnetTransportTest, UnknownHostIsReported) {
    Open("no-such-host.invalid", 23);
    Start();
    ExpectCannotConnect("no-such-host.invalid port 23: no such host");
}

TEST_F(TelnetTransportTest, ProxyThatRefusesIsNamed) {
    const int port = UnusedPort();
    Open("far.example", 23);
    session.Emulator().Settings().SetString(P::Proxy, "127.0.0.1");
    session.Emulator().Settings().SetNumber(P::Speed, port);
    Start();
    ExpectCannotConnect("proxy 127.0.0.1 port " + std::to_string(port) + ": connection refused");
}

// A name server that never answers until the test ends.
std::atomic<bool> gNameServerReleased{false};
std::atomic<bool> gNameServerAsked{false};
int HangingLookup(const char*, const char*, const addrinfo*, addrinfo**) {
    gNameServerAsked = true;
    WaitUntil([] { return gNameServerReleased.load(); });
    return EAI_NONAME;
}

TEST_F(TelnetTransportTest, StopDuringASlowNameLookupIsPrompt) {
    const NameLookup::Function previous = NameLookup::SetFunction(&HangingLookup);
    Open("slow.example", 23);
    Start();
    ASSERT_TRUE(WaitUntil([] { return gNameServerAsked.load(); }));
    const auto before = std::chrono::steady_clock::now();
    session.Transport().Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, kPromptLimit);
    EXPECT_EQ(session.Transport().State(), TransportState::Closed);
    EXPECT_TRUE(session.Messages().empty());
    gNameServerReleased = true;
    EXPECT_TRUE(WaitUntil([] { return NameLookup::InFlight() == 0; }));
    NameLookup::SetFunction(previous);
}

TEST_F(TelnetTransportTest, OutputWaitsForTheProxyAndKeepsItsOrder) {
    Listener proxy;
    Open("far.example", 2323);
    session.Emulator().Settings().SetString(P::Proxy, "127.0.0.1");
    session.Emulator().Settings().SetNumber(P::Speed, proxy.Port());
    Start();
    ASSERT_TRUE(proxy.Accept());
    // Typed while the connection is still being made: queued, not fatal.
    EXPECT_TRUE(session.Type(B({'k', 255})));
    EXPECT_EQ(proxy.ReadFor(100ms), "");
    EXPECT_EQ(session.Transport().State(), TransportState::Connecting);
    proxy.Write("greeting\r\n");
    const std::string expected = "far.example 2323\n" + B({'k', 255, 255});
    EXPECT_EQ(proxy.Read(expected.size()), expected);
    EXPECT_TRUE(session.WaitForState(TransportState::Connected));
    EXPECT_TRUE(session.WaitForScreen("greeting"));

    session.Transport().KeepAlive();
    EXPECT_EQ(proxy.Read(3), B({255, 253, 5}));
    // The server closing ends the session.
    proxy.CloseConnection();
    ExpectCleanEnd();
    EXPECT_TRUE(session.Messages().empty());
}

TEST_F(TelnetTransportTest, StopWhileWaitingForTheProxyReturnsPromptly) {
    Listener silent;
    Open("far.example", 23);
    session.Emulator().Settings().SetString(P::Proxy, "127.0.0.1");
    session.Emulator().Settings().SetNumber(P::Speed, silent.Port());
    Start();
    ASSERT_TRUE(silent.Accept());
    const auto before = std::chrono::steady_clock::now();
    session.Transport().Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, kPromptLimit);
    EXPECT_EQ(session.Transport().State(), TransportState::Closed);
    // A cancelled connection is not reported as a failure.
    EXPECT_TRUE(session.Messages().empty());
    EXPECT_EQ(session.EndCount(), 1);
}

TEST_F(TelnetTransportTest, LocalModeSendsNothingTyped) {
    Listener server;
    Open("127.0.0.1", server.Port());
    session.Emulator().Settings().SetNumber(P::Local, 1);
    session.Emulator().Settings().SetNumber(P::LocalEcho, 1);
    Start();
    ASSERT_TRUE(server.Accept());
    ASSERT_TRUE(session.WaitForState(TransportState::Connected));
    // The echo is shown as typed: IAC WILL here is not taken as a command.
    EXPECT_TRUE(session.Type("secret" + B({255, 251}) + "z"));
    EXPECT_TRUE(session.WaitForScreen("z"));
    const std::string screen = session.ScreenText();
    EXPECT_EQ(screen.find('z'), screen.find("secret") + 8) << screen;
    // Option answers still go out.
    server.Write(B({255, 253, 0}));
    EXPECT_EQ(server.Read(3), B({255, 252, 0}));
    EXPECT_EQ(server.ReadFor(100ms), "");
}

TEST_F(TelnetTransportTest, ReceivedDataIsNeverDroppedWhileHeldEvenWhenTheServerCloses) {
    Listener server;
    Open("127.0.0.1", server.Port());
    Start();
    ASSERT_TRUE(server.Accept());
    ASSERT_TRUE(session.WaitForState(TransportState::Connected));
    session.Transport().SetHold(true);
    // Far more than the receive ring holds, with 255 doubled on the wire.
    std::string expected;
    std::string wire;
    for (int i = 0; i < 40000; ++i) {
        const char c = static_cast<char>(i % 7 == 0 ? 255 : 'a' + i % 26);
        expected += c;
        wire += c;
        if (c == static_cast<char>(255)) wire += c;
    }
    session.SetTransferRunning(true);
    std::thread writer([&] { server.Write(wire); });
    writer.join();
    server.CloseConnection();
    EXPECT_FALSE(session.WaitFor(
        [&] {
            return !session.TransferBytes().empty() ||
                   session.Transport().State() != TransportState::Connected;
        },
        200ms));
    session.Transport().SetHold(false);
    ExpectCleanEnd();
    EXPECT_TRUE(session.TransferBytes() == expected);
}

TEST_F(TelnetTransportTest, TypedEchoWaitsBehindReceivedDataWhileHeld) {
    Listener server;
    Open("127.0.0.1", server.Port());
    session.Emulator().Settings().SetNumber(P::LocalEcho, 1);
    Start();
    ASSERT_TRUE(server.Accept());
    ASSERT_TRUE(session.WaitForState(TransportState::Connected));
    session.Transport().SetHold(true);
    // Exactly a full receive ring of numbered lines, all taken in.
    std::string lines;
    for (int i = 0; i < 128; ++i) {
        char number[8];
        std::snprintf(number, sizeof number, "%04d", i);
        lines += number + std::string(58, 'r') + "\r\n";
    }
    ASSERT_EQ(lines.size(), CTransport::kRingSize);
    server.Write(lines);
    ASSERT_TRUE(session.WaitFor([&] { return session.Transport().Waiting() == lines.size(); }));
    EXPECT_TRUE(session.Type("E"));
    EXPECT_EQ(server.Read(1), "E");
    server.Write("after");
    session.Transport().SetHold(false);
    ASSERT_TRUE(session.WaitForScreen("Eafter")) << session.ScreenText();
    EXPECT_NE(session.ScreenText().find("0127" + std::string(58, 'r') + "\nEafter"),
              std::string::npos);
}

TEST_F(TelnetTransportTest, NameAndSettingsMessage) {
    Open("host.example", 23);
    session.Attach(std::make_unique<CTelnetTransport>(session));
    EXPECT_EQ(session.Transport().GetName(session.Emulator().Settings()), "host.example");
    EXPECT_TRUE(session.Transport().ApplySettings(session.Emulator().Settings()));
    EXPECT_EQ(session.Messages(), std::vector{1030});
}

} // namespace
} // namespace tamsivane::testing
