#include <gtest/gtest.h>

#include <thread>

#include "TestPeers.h"
#include "TestSession.h"
#include "transport/CLocalTransport.h"

namespace tamsivane::testing {
namespace {

class LocalTransportTest : public ::testing::Test {
protected:
    void SetUp() override {
        session.StartEmulator();
        session.Attach(std::make_unique<CLocalTransport>(session));
    }
    void StartConnected() {
        ASSERT_TRUE(session.Transport().Start());
        ASSERT_TRUE(session.WaitForState(TransportState::Connected));
    }

    TestSession session;
};

TEST_F(LocalTransportTest, WhatIsSentComesBackThroughTheEmulator) {
    StartConnected();
    EXPECT_TRUE(session.Type("hello\r\nworld"));
    EXPECT_TRUE(session.WaitForScreen("hello\nworld"));
    // The emulator's own reply to a device-attributes request loops back too
    // (and is parsed as a report, so nothing more is shown).
    EXPECT_TRUE(session.Type("\x1b[c"));
    EXPECT_TRUE(
        session.WaitFor([&] { return session.Sent().find("\x1b[?") != std::string::npos; }));
    EXPECT_EQ(session.Transport().GetName(session.Emulator().Settings()), "Echo");
}

TEST_F(LocalTransportTest, LocalEchoShowsTypedBytesBeforeTheirLoopBack) {
    session.Emulator().Settings().SetNumber(P::LocalEcho, 1);
    StartConnected();
    EXPECT_TRUE(session.Type("ab"));
    EXPECT_TRUE(session.WaitForScreen("abab"));
}

TEST_F(LocalTransportTest, HoldScreenKeepsDataUntilReleased) {
    StartConnected();
    session.Transport().SetHold(true);
    EXPECT_TRUE(session.Transport().IsHeld());
    session.Type("held");
    // Nothing shows while held; give the I/O thread a moment to misbehave.
    EXPECT_FALSE(session.WaitForScreen("held", 200ms));
    session.Transport().SetHold(false);
    EXPECT_FALSE(session.Transport().IsHeld());
    EXPECT_TRUE(session.WaitForScreen("held"));
}

TEST_F(LocalTransportTest, DuringATransferTypingIsDroppedAndDataGoesToTheTransfer) {
    StartConnected();
    session.SetTransferRunning(true);
    EXPECT_TRUE(session.Type("typed"));
    const std::string block = "for the transfer";
    session.Transport().Write(reinterpret_cast<const uint8_t*>(block.data()), block.size());
    EXPECT_TRUE(session.WaitFor([&] { return session.TransferBytes() == block; }));
    EXPECT_EQ(session.Sent(), "");
    EXPECT_EQ(session.ScreenText().find("typed"), std::string::npos);
}

TEST_F(LocalTransportTest, StopRunsTheLifecycleOnceAndBounded) {
    // Stop before Start does nothing.
    const auto before = std::chrono::steady_clock::now();
    EXPECT_TRUE(session.Transport().Stop());
    EXPECT_EQ(session.Transport().State(), TransportState::Idle);
    StartConnected();
    EXPECT_FALSE(session.Transport().Start());
    EXPECT_TRUE(session.Transport().Stop());
    EXPECT_LT(std::chrono::steady_clock::now() - before, kPromptLimit);
    EXPECT_EQ(session.Transport().State(), TransportState::Closed);
    EXPECT_EQ(session.States(), (std::vector{TransportState::Connecting, TransportState::Connected,
                                             TransportState::Closing, TransportState::Closed}));
    EXPECT_EQ(session.EndCount(), 1);
    EXPECT_TRUE(session.Messages().empty());
    // Sending after the end is harmless.
    session.Type("late");
}

TEST_F(LocalTransportTest, StopFromTheIoThreadDoesNotWaitForItself) {
    std::atomic<bool> stopReturned{false};
    session.onScreenChanged = [&] {
        session.Transport().Stop();
        stopReturned = true;
    };
    StartConnected();
    session.Type("x");
    EXPECT_TRUE(session.WaitForState(TransportState::Closed));
    EXPECT_TRUE(stopReturned);
    EXPECT_EQ(session.EndCount(), 1);
}

TEST_F(LocalTransportTest, StopRightAfterStartEndsTheThread) {
    for (int i = 0; i < 20; ++i) {
        TestSession quick;
        quick.StartEmulator();
        quick.Attach(std::make_unique<CLocalTransport>(quick));
        ASSERT_TRUE(quick.Transport().Start());
        quick.Transport().Stop();
        EXPECT_EQ(quick.Transport().State(), TransportState::Closed);
        EXPECT_EQ(quick.EndCount(), 1);
    }
}

TEST_F(LocalTransportTest, StopFromSeveralThreadsAtOnce) {
    StartConnected();
    std::vector<std::thread> stoppers;
    for (int i = 0; i < 3; ++i) stoppers.emplace_back([&] { session.Transport().Stop(); });
    for (std::thread& stopper : stoppers) stopper.join();
    EXPECT_EQ(session.Transport().State(), TransportState::Closed);
    EXPECT_EQ(session.EndCount(), 1);
}

TEST_F(LocalTransportTest, SettingsChangesAskForARestartUnlessStillLoopBack) {
    SettingsStore changed;
    changed.SetNumber(P::HostType, 2);
    EXPECT_TRUE(session.Transport().ApplySettings(changed));
    EXPECT_TRUE(session.Messages().empty());
    changed.SetNumber(P::HostType, 0);
    EXPECT_TRUE(session.Transport().ApplySettings(changed));
    EXPECT_EQ(session.Messages(), std::vector{1030});
}

} // namespace
} // namespace tamsivane::testing
