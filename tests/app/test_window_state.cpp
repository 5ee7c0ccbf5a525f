// The main window's size and bars: remembered in the profile's "Window"
// section and in each session's settings.
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>

#include "FrameFixture.h"
#include "app/WindowState.h"
#include "config/SetupFile.h"

namespace tamsivane::testing {
namespace {

using WindowStateTest = FrameTest;

bool Shown(QWidget* bar) { return bar->isVisibleTo(bar->window()); }

TEST_F(WindowStateTest, FirstStartIs619By459WithToolAndStatusBarOnly) {
    frame->show();
    EXPECT_EQ(frame->size(), QSize(619, 459));
    EXPECT_TRUE(Shown(frame->ToolBar()));
    EXPECT_TRUE(Shown(frame->statusBar()));
    EXPECT_FALSE(Shown(frame->ButtonBarDock()));
    EXPECT_FALSE(Shown(frame->ChatLineDock()));
    EXPECT_EQ(frame->windowTitle(), "Tamsivane 4.4");
}

TEST_F(WindowStateTest, ClosingWritesSizePlusOneAndTheBarsShown) {
    frame->show();
    frame->resize(700, 500);
    frame->Execute(Command::ChatLine);
    frame->Execute(Command::ToolBar);
    ASSERT_TRUE(frame->close());
    EXPECT_EQ(profile.GetInt("Window", "width", 0), 701);
    EXPECT_EQ(profile.GetInt("Window", "height", 0), 501);
    EXPECT_EQ(profile.GetInt("Window", "maximized", -1), 0);
    EXPECT_EQ(profile.GetInt("Window", "toolbar", -1), 0);
    EXPECT_EQ(profile.GetInt("Window", "statusbar", -1), 1);
    EXPECT_EQ(profile.GetInt("Window", "buttonbar", -1), 0);
    EXPECT_EQ(profile.GetInt("Window", "chatline", -1), 1);
    // The values the user edits by hand are never written.
    EXPECT_EQ(profile.GetInt("Window", "menu", -1), -1);

    // The next start takes them back.
    CMainFrame next(profile, user, ShippedTemplates(folder.Path()));
    next.show();
    EXPECT_EQ(next.size(), QSize(700, 500));
    EXPECT_FALSE(Shown(next.ToolBar()));
    EXPECT_TRUE(Shown(next.ChatLineDock()));
}

TEST_F(WindowStateTest, ClosingMaximizedWritesTheNormalSize) {
    frame->resize(500, 350);
    frame->show();
    frame->showMaximized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame->size() != QSize(500, 350); }, 5000));
    ASSERT_TRUE(frame->isMaximized());
    ASSERT_TRUE(frame->close());
    EXPECT_EQ(profile.GetInt("Window", "maximized", 0), 1);
    EXPECT_EQ(profile.GetInt("Window", "width", 0), 501);
    EXPECT_EQ(profile.GetInt("Window", "height", 0), 351);
}

TEST_F(WindowStateTest, MenuValueZeroHidesTheMenuBar) {
    profile.SetInt("Window", "menu", 0);
    CMainFrame bare(profile, user, ShippedTemplates(folder.Path()));
    bare.show();
    EXPECT_FALSE(bare.menuBar()->isVisible());
}

TEST_F(WindowStateTest, WithoutSystemMenuOrCaption) {
    profile.SetInt("Window", "sysmenu", 0);
    CMainFrame noMenu(profile, user, ShippedTemplates(folder.Path()));
    EXPECT_FALSE(noMenu.windowFlags().testFlag(Qt::WindowSystemMenuHint));
    EXPECT_TRUE(noMenu.windowFlags().testFlag(Qt::WindowTitleHint));
    profile.SetInt("Window", "titlebar", 0);
    CMainFrame noCaption(profile, user, ShippedTemplates(folder.Path()));
    EXPECT_FALSE(noCaption.windowFlags().testFlag(Qt::WindowTitleHint));
}

TEST_F(WindowStateTest, SessionCopyIsStoredOnSaveAndApplied) {
    frame->show();
    frame->setGeometry(40, 30, 640, 420);
    frame->Execute(Command::ButtonPalette);
    CChildFrame* child = OpenLoopback();
    ASSERT_NE(child, nullptr);
    user.WillChooseSaveFile(folder.File("saved.qzv"));
    ASSERT_TRUE(frame->Execute(Command::Save));

    SettingsStore stored;
    KeyMap keys;
    ASSERT_TRUE(LoadSetupFile(folder.File("saved.qzv"), stored, keys).ok);
    EXPECT_EQ(stored.GetNumber(P::Width), 641);
    EXPECT_EQ(stored.GetNumber(P::Height), 421);
    EXPECT_EQ(stored.GetNumber(P::XPos), 40);
    EXPECT_EQ(stored.GetNumber(P::YPos), 30);
    EXPECT_EQ(stored.GetNumber(P::ButtonBar), 1);
    EXPECT_EQ(stored.GetNumber(P::ChatLine), 0);
    EXPECT_EQ(stored.GetNumber(P::ToolBar), 1);

    // Another window opening that file takes its state.
    CMainFrame other(profile, user, ShippedTemplates(folder.Path()));
    other.show();
    other.SetOpenWithoutConnecting(true);
    CChildFrame* opened = other.OpenSetupFile(QString::fromStdString(folder.File("saved.qzv")));
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(opened->Document().ConnectionState(), TransportState::Idle);
    other.ApplySessionWindowState(opened->Document());
    EXPECT_EQ(other.geometry(), QRect(40, 30, 640, 420));
    EXPECT_TRUE(Shown(other.ButtonBarDock()));
    EXPECT_FALSE(Shown(other.ChatLineDock()));
}

TEST_F(WindowStateTest, AWindowStoredOffTheScreensComesBackOnScreen) {
    frame->show();
    CChildFrame* child = OpenLoopback([](SettingsStore& s) {
        s.SetNumber(P::XPos, 30000);
        s.SetNumber(P::YPos, 30000);
        s.SetNumber(P::Width, 601);
        s.SetNumber(P::Height, 401);
        s.SetNumber(P::ToolBar, 1);
    });
    frame->ApplySessionWindowState(child->Document());
    EXPECT_EQ(frame->size(), QSize(600, 400));
    EXPECT_TRUE(frame->screen()->availableVirtualGeometry().intersects(frame->geometry()));
}

TEST_F(WindowStateTest, ASessionThatNeverStoredAStateChangesNothing) {
    frame->show();
    CChildFrame* child = OpenLoopback();
    ASSERT_NE(child, nullptr);
    const QRect before = frame->geometry();
    frame->ApplySessionWindowState(child->Document());
    EXPECT_EQ(frame->geometry(), before);
    EXPECT_TRUE(Shown(frame->ToolBar()));
    EXPECT_TRUE(Shown(frame->statusBar()));
}

} // namespace
} // namespace tamsivane::testing
