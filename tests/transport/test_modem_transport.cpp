#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "SerialPeers.h"
#include "TestPeers.h"
#include "TestSession.h"
#include "config/SettingsStore.h"
#include "transport/CModemTransport.h"

namespace tamsivane::testing {
namespace {

using Clock = std::chrono::steady_clock;

class ModemTransportTest : public ::testing::Test {
protected:
    void SetUp() override { session.StartEmulator(); }

    // The scripted modem (see tests/tools/fake_modem.cpp) on the far end of
    // a pseudo-terminal.
    void StartModem(const std::string& script) {
        std::ofstream(folder.File("script")) << script;
        ptys = std::make_unique<SocatPtys>(std::vector<std::string>{
            TAMSIVANE_FAKE_MODEM, folder.File("script"), folder.File("log")});
        ASSERT_TRUE(ptys->Ready());
    }
    void Dial(TestSession& s, const std::string& number = "555-0100", int speed = 9600) {
        s.StartEmulator();
        SettingsStore& settings = s.Emulator().Settings();
        settings.SetNumber(P::HostType, 3);
        settings.SetNumber(P::Port, 0);
        settings.SetString(P::HostName, number);
        s.lines.modems = {Modem{"Test modem", ptys ? ptys->Near() : device, init, speed}};
        s.Attach(std::make_unique<CModemTransport>(s));
        ASSERT_TRUE(s.Transport().Start());
    }
    std::string Log() {
        std::ifstream in(folder.File("log"));
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    bool WaitForLog(const std::string& text, std::chrono::milliseconds limit = 20s) {
        return WaitUntil([&] { return Log().find(text) != std::string::npos; }, limit);
    }
    // The call failed: the screen shows the dialling and then text, and the
    // user is told the connection could not be made.
    void ExpectFailed(TestSession& s, const std::string& text) {
        ASSERT_TRUE(s.WaitForState(TransportState::Closed));
        EXPECT_EQ(s.ScreenText().rfind("Dialing...\n" + text, 0), 0u) << s.ScreenText();
        EXPECT_EQ(s.Messages(), std::vector<int>{Msg::CannotConnect});
        // The message says why on its second line.
        const std::string why = text.substr(text.rfind('\n') + 1);
        EXPECT_EQ(s.LastMessage(), "Cannot connect to remote host.\n" + why);
    }

    TempFolder folder;
    std::unique_ptr<SocatPtys> ptys;
    std::string init;
    std::string device; // without a modem program
    TestSession session;
};

TEST_F(ModemTransportTest, ACallShowsItsProgressThenRunsLikeASerialLine) {
    StartModem("dial RINGING\ndial CONNECT 9600\ngreeting Welcome\nhangup-on bye\n");
    init = "ATS7=45";
    Dial(session);
    ASSERT_TRUE(session.WaitForState(TransportState::Connected));
    EXPECT_TRUE(session.WaitForScreen("Dialing...\nRingback\nConnected.\nWelcome"))
        << session.ScreenText();
    EXPECT_EQ(session.Transport().GetName(session.Emulator().Settings()), "Phone# 555-0100");
    EXPECT_EQ(Log(), "CMD ATZ\nCMD ATS7=45\nCMD ATDT555-0100\n");
    // The far end echoes what is typed.
    EXPECT_TRUE(session.Type(" hello"));
    EXPECT_TRUE(session.WaitForScreen("Welcome hello"));
    // The far end hangs up: the session ends without a message.
    EXPECT_TRUE(session.Type(" bye"));
    EXPECT_TRUE(session.WaitForState(TransportState::Closed));
    EXPECT_TRUE(session.Messages().empty());
    EXPECT_EQ(session.EndCount(), 1);
}

TEST_F(ModemTransportTest, AnEchoingModemIsUnderstood) {
    StartModem("echo\ndial CONNECT\n");
    Dial(session, "(0)12 345,6");
    ASSERT_TRUE(session.WaitForState(TransportState::Connected));
    EXPECT_TRUE(session.WaitForScreen("Dialing...\nConnected."));
    EXPECT_NE(Log().find("CMD ATDT(0)12 345,6"), std::string::npos);
}

TEST_F(ModemTransportTest, ResultCodesThatEndTheCallAreShown) {
    const std::pair<std::string, std::string> results[] = {
        {"BUSY", "Busy"},           {"NO CARRIER", "NO CARRIER"}, {"NO DIALTONE", "NO DIALTONE"},
        {"NO ANSWER", "NO ANSWER"}, {"ERROR", "ERROR"},
    };
    for (const auto& [result, shown] : results) {
        SCOPED_TRACE(result);
        StartModem("dial RINGING\ndial " + result + "\n");
        TestSession call;
        Dial(call);
        ExpectFailed(call, "Ringback\n" + shown);
        ptys.reset();
    }
}

TEST_F(ModemTransportTest, CommandsNotAnsweredOkFailTheCall) {
    StartModem("ATZ ERROR\n");
    Dial(session);
    ExpectFailed(session, "Failed to make a call. (Err# 2)");
    EXPECT_EQ(Log(), "CMD ATZ\n");

    StartModem("AT ERROR\n");
    init = "AT&F";
    TestSession badInit;
    Dial(badInit);
    ExpectFailed(badInit, "Failed to make a call. (Err# 2)");

    StartModem("ATZ silent\n");
    TestSession silent;
    const auto start = Clock::now();
    Dial(silent);
    ExpectFailed(silent, "Failed to make a call. (Err# 1)");
    EXPECT_GE(Clock::now() - start, CModemTransport::kCommandTimeout);
}

TEST_F(ModemTransportTest, WhatCannotBeDialledIsRefusedBeforeDialling) {
    // No modem configured.
    device = "/dev/tamsivane-no-such-modem";
    Dial(session);
    ExpectFailed(session, "Modem doesn't exist or driver version not supported.");

    StartModem("");
    TestSession letters;
    Dial(letters, "555-CALL");
    ExpectFailed(letters, "Invalid dialing address.");
    TestSession noSpeed;
    Dial(noSpeed, "555", 0);
    ExpectFailed(noSpeed, "Invalid baud rate: 0.");
    EXPECT_EQ(Log(), "");
}

TEST_F(ModemTransportTest, ClosingWhileDiallingInterruptsAndHangsUp) {
    StartModem("");
    Dial(session);
    ASSERT_TRUE(WaitForLog("CMD ATDT"));
    EXPECT_TRUE(session.WaitForScreen("Dialing..."));
    const auto start = Clock::now();
    session.Transport().Stop();
    EXPECT_LT(Clock::now() - start, 10s);
    EXPECT_EQ(session.Transport().State(), TransportState::Closed);
    EXPECT_TRUE(WaitForLog("HANGUP"));
    EXPECT_NE(Log().find("ABORT"), std::string::npos);
    // A call given up by the user is not reported as a failure.
    EXPECT_TRUE(session.Messages().empty());
}

TEST_F(ModemTransportTest, OneCallAtATimeAndAConnectedCallIsHungUp) {
    StartModem("dial CONNECT 9600\n");
    Dial(session);
    ASSERT_TRUE(session.WaitForState(TransportState::Connected));

    TestSession second;
    Dial(second);
    ExpectFailed(second, "Modem not available.");

    session.Transport().Stop();
    EXPECT_TRUE(WaitForLog("ESCAPE\nCMD ATH\nHANGUP"));
    // The modem is free again.
    StartModem("dial CONNECT\n");
    TestSession third;
    Dial(third);
    EXPECT_TRUE(third.WaitForState(TransportState::Connected));
}

TEST_F(ModemTransportTest, TypingWhileDiallingEndsTheAttempt) {
    StartModem("");
    Dial(session);
    ASSERT_TRUE(WaitForLog("CMD ATDT"));
    EXPECT_FALSE(session.Type("x"));
    EXPECT_TRUE(session.WaitForState(TransportState::Closed));
    EXPECT_TRUE(WaitForLog("HANGUP"));
}

} // namespace
} // namespace tamsivane::testing
