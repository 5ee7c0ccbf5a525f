// Closing session windows and the main window: the session's consent,
// CantCloseWindow, the save question, AutoExit and second windows.
#include "FrameFixture.h"

namespace tamsivane::testing {
namespace {

using ClosingTest = FrameTest;

TEST_F(ClosingTest, CantCloseWindowKeepsTheSessionAndTheMainWindowOpen) {
    frame->show();
    CChildFrame* child = OpenLoopback([](SettingsStore& s) { s.SetNumber(P::CantCloseWindow, 1); });
    EXPECT_FALSE(child->close());
    EXPECT_EQ(frame->SessionFrames().size(), 1u);

    EXPECT_FALSE(frame->close());
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(child->Document().ConnectionState(), TransportState::Connected);
    // The window state is not written when closing stops at once.
    EXPECT_EQ(profile.GetInt("Window", "width", 0), 0);
    EXPECT_TRUE(user.Questions().empty());
}

TEST_F(ClosingTest, ConnectedSessionClosesOnlyWithTheUsersConsent) {
    frame->show();
    CChildFrame* child = OpenLoopback();
    user.WillAnswer({Answer::No});
    EXPECT_FALSE(child->close());
    ASSERT_EQ(frame->SessionFrames().size(), 1u);
    EXPECT_EQ(child->Document().ConnectionState(), TransportState::Connected);

    user.WillAnswer({Answer::Yes});
    EXPECT_TRUE(child->close());
    EXPECT_TRUE(frame->SessionFrames().empty());
    ASSERT_EQ(user.Questions().size(), 2u);
    EXPECT_EQ(user.Questions()[1].text, ResourceString(Msg::DisconnectQuestion));
    EXPECT_EQ(user.Questions()[1].defaultAnswer, Answer::No);
    EXPECT_EQ(frame->windowTitle(), "Tamsivane 4.4");
}

TEST_F(ClosingTest, EndedSessionAsksOnlyToSaveModifiedSettings) {
    frame->show();
    CChildFrame* idle = OpenLoopback();
    ASSERT_NE(idle, nullptr);
    idle->Document().Disconnect(CVT420Doc::Confirm::Silently);
    idle->Document().SetModified(true);
    user.WillAnswer({Answer::Yes});
    user.WillChooseSaveFile(folder.File("kept.qzv"));
    EXPECT_TRUE(idle->close());
    ASSERT_EQ(user.Questions().size(), 1u);
    EXPECT_EQ(user.Questions()[0].text, ResourceString(Msg::SaveSettingsQuestion));
    EXPECT_TRUE(std::filesystem::exists(folder.File("kept.qzv")));
}

TEST_F(ClosingTest, MainWindowAsksEachSessionAndStopsAtARefusal) {
    frame->show();
    CChildFrame* first = OpenLoopback();
    CChildFrame* second = OpenLoopback();
    user.WillAnswer({Answer::Yes, Answer::No});
    EXPECT_FALSE(frame->close());
    EXPECT_TRUE(frame->isVisible());
    // The window state is written before the sessions are asked.
    EXPECT_EQ(profile.GetInt("Window", "width", 0), frame->width() + 1);
    EXPECT_EQ(first->Document().ConnectionState(), TransportState::Closed);
    EXPECT_EQ(second->Document().ConnectionState(), TransportState::Connected);

    user.WillAnswer({Answer::Yes});
    EXPECT_TRUE(frame->close());
    EXPECT_EQ(second->Document().ConnectionState(), TransportState::Closed);
    EXPECT_EQ(user.Questions().size(), 3u);
}

TEST_F(ClosingTest, AutoExitClosesTheMainWindowWithTheLastSession) {
    frame->show();
    CChildFrame* child = OpenLoopback([](SettingsStore& s) { s.SetNumber(P::AutoExit, 1); });
    user.WillAnswer({Answer::Yes});
    EXPECT_TRUE(child->close());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !frame->isVisible(); }, 5000));
}

TEST_F(ClosingTest, SecondWindowClosesWithoutTouchingTheSession) {
    frame->show();
    CChildFrame* child = OpenLoopback();
    ASSERT_TRUE(frame->Execute(Command::NewWindow));
    ASSERT_EQ(frame->SessionFrames().size(), 2u);
    CChildFrame* second = frame->SessionFrames()[1];
    EXPECT_EQ(&second->Document(), &child->Document());
    EXPECT_EQ(frame->ActiveFrame(), second);

    EXPECT_TRUE(second->close());
    EXPECT_TRUE(user.Questions().empty());
    EXPECT_EQ(child->Document().ConnectionState(), TransportState::Connected);

    ASSERT_TRUE(frame->Execute(Command::NewWindow));
    // Close ends the session and every window on it.
    user.WillAnswer({Answer::Yes});
    ASSERT_TRUE(frame->Execute(Command::Close));
    EXPECT_TRUE(frame->SessionFrames().empty());
}

TEST_F(ClosingTest, NextActivatesTheFollowingSessionWindow) {
    frame->show();
    CChildFrame* first = OpenLoopback();
    CChildFrame* second = OpenLoopback();
    EXPECT_EQ(frame->ActiveFrame(), second);
    ASSERT_TRUE(frame->Execute(Command::NextWindow));
    EXPECT_EQ(frame->ActiveFrame(), first);
    EXPECT_TRUE(frame->Execute(Command::Tile));
    EXPECT_TRUE(frame->Execute(Command::Cascade));
}

} // namespace
} // namespace tamsivane::testing
