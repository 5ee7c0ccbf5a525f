// The main window's size and bars: remembered in the profile's "Window"
// section and in each session's settings.
#include <QAction>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>

#include "FrameFixture.h"
#include "app/WindowState.h"
#include "view/CVT420View.h"
#include "config/SetupFile.h"

namespace tamsivane::testing {
namespace {

using WindowStateTest = FrameTest;

bool Shown(QWidget* bar) { return bar->isVisibleTo(bar->window()); }

TEST_F(WindowStateTest, FirstStartTakesTwoThirdsOfTheScreenWithToolAndStatusBarOnly) {
    frame->show();
    const QRect screen = frame->screen()->availableGeometry();
    EXPECT_EQ(frame->size(), FirstStartSize(screen));
    EXPECT_TRUE(screen.contains(QRect(screen.topLeft(), frame->size())));
    EXPECT_EQ(FirstStartSize(QRect(0, 0, 1920, 1050)), QSize(1280, 700));
    EXPECT_EQ(FirstStartSize(QRect(0, 0, 1024, 740)), QSize(800, 600));
    EXPECT_EQ(FirstStartSize(QRect(0, 0, 640, 480)), QSize(640, 480));
    EXPECT_EQ(frame->windowTitle(), "Tamsivane 4.4");
    // The tool bar has room for every command, each with a picture.
    for (QAction* action : frame->ToolBar()->actions()) {
        if (action->isSeparator()) continue;
        EXPECT_FALSE(action->icon().isNull()) << action->toolTip().toStdString();
        QWidget* button = frame->ToolBar()->widgetForAction(action);
        EXPECT_TRUE(button != nullptr && button->isVisible()) << action->toolTip().toStdString();
    }
    // The program's icon, not the toolkit's, on every window.
    EXPECT_FALSE(frame->windowIcon().isNull());
    EXPECT_EQ(frame->windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
    CChildFrame* child = OpenLoopback();
    EXPECT_EQ(child->windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
    EXPECT_TRUE(Shown(frame->ToolBar()));
    EXPECT_TRUE(Shown(frame->statusBar()));
    EXPECT_FALSE(Shown(frame->ButtonBarDock()));
    EXPECT_FALSE(Shown(frame->ChatLineDock()));
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

// The whole page is on view, or the vertical bar reaches the rows that are
// not (and likewise the columns).
::testing::AssertionResult ShowsWholePage(CChildFrame* child) {
    CVT420View* view = child->View();
    const QSize room = view->viewport()->size();
    const int rows = room.height() / view->Font().height;
    const int columns = room.width() / view->Font().width;
    const QScrollBar* vertical = view->verticalScrollBar();
    const QScrollBar* horizontal = view->horizontalScrollBar();
    if (rows < 24 && !(vertical->isVisible() && vertical->maximum() >= 24 - rows)) {
        return ::testing::AssertionFailure() << rows << " rows shown, bar up to " << vertical->maximum();
    }
    if (columns < 80 && !(horizontal->isVisible() && horizontal->maximum() >= 80 - columns)) {
        return ::testing::AssertionFailure() << columns << " columns shown";
    }
    return ::testing::AssertionSuccess() << rows << "x" << columns;
}

bool Settled(const std::function<bool()>& test) { return QTest::qWaitFor(test, 2000); }

TEST_F(WindowStateTest, AMaximizedSessionFillsTheAreaWhateverBarsAreShown) {
    // As from the command line: the session opens before the window shows.
    frame->resize(FirstStartSize(QRect(0, 0, 1920, 1050)));
    CChildFrame* child = OpenLoopback();
    ASSERT_NE(child, nullptr);
    frame->show();
    ASSERT_TRUE(Settled([&] { return child->geometry() == frame->Area()->viewport()->rect(); }));
    EXPECT_TRUE(child->isMaximized());
    CVT420View* view = child->View();
    EXPECT_GE(view->Font().height, 12);
    EXPECT_GE(view->viewport()->height() / view->Font().height, 24);
    EXPECT_TRUE(ShowsWholePage(child));

    for (const int bar : {Command::ButtonPalette, Command::ChatLine}) {
        frame->Execute(bar);
        EXPECT_TRUE(Settled([&] { return ShowsWholePage(child); })) << ShowsWholePage(child);
        EXPECT_EQ(child->geometry(), frame->Area()->viewport()->rect());
    }
    frame->resize(420, 260);
    EXPECT_TRUE(Settled([&] { return child->geometry() == frame->Area()->viewport()->rect(); }));
    EXPECT_TRUE(Settled([&] { return ShowsWholePage(child); })) << ShowsWholePage(child);
}

TEST_F(WindowStateTest, ASessionNotMaximizedOpensAtItsPageSizeAndStaysInside) {
    frame->show();
    CChildFrame* child = OpenLoopback([](SettingsStore& s) {
        s.SetNumber(P::Maximize, 0);
        s.SetNumber(P::FontSize, 8);
    });
    ASSERT_NE(child, nullptr);
    EXPECT_FALSE(child->isMaximized());
    CVT420View* view = child->View();
    EXPECT_EQ(view->size(), view->sizeHint());
    EXPECT_FALSE(view->verticalScrollBar()->isVisible());
    EXPECT_FALSE(view->horizontalScrollBar()->isVisible());
    EXPECT_GE(view->viewport()->height() / view->Font().height, 24);

    frame->resize(360, 240);
    const QRect room = frame->Area()->viewport()->rect();
    EXPECT_TRUE(Settled([&] { return room.contains(child->geometry()); }));
    EXPECT_TRUE(Settled([&] { return ShowsWholePage(child); })) << ShowsWholePage(child);
}

} // namespace
} // namespace tamsivane::testing
