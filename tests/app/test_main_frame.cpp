// The main window's titles, status panes, recent files, help and the
// scripts' request to open a setup file.
#include <QDesktopServices>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>

#include <fstream>
#include <thread>

#include "FrameFixture.h"
#include "UrlCatcher.h"
#include "app/CommandActions.h"
#include "app/HelpFiles.h"
#include "view/CVT420View.h"

namespace tamsivane::testing {
namespace {

using MainFrameTest = FrameTest;

QStringList PaneTexts(QStatusBar* bar) {
    QStringList texts;
    for (QLabel* pane : bar->findChildren<QLabel*>()) texts << pane->text();
    return texts;
}

// Counts the key presses that reach a widget.
class KeyCounter : public QObject {
public:
    QList<QKeyCombination> pressed;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            pressed << static_cast<QKeyEvent*>(event)->keyCombination();
        }
        return false;
    }
};

TEST_F(MainFrameTest, WindowKeysReachTheTerminalView) {
    frame->show();
    CChildFrame* first = OpenLoopback();
    CChildFrame* second = OpenLoopback();
    KeyCounter counter;
    second->View()->installEventFilter(&counter);
    QTest::keyClick(second->View(), Qt::Key_Tab, Qt::ControlModifier);
    QTest::keyClick(second->View(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(counter.pressed.contains(Qt::ControlModifier | Qt::Key_Tab));
    EXPECT_TRUE(counter.pressed.contains(Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_Backtab));
    EXPECT_EQ(frame->ActiveFrame(), second);
    EXPECT_NE(first, second);
}

TEST_F(MainFrameTest, TitleFollowsTheActiveSession) {
    frame->show();
    OpenLoopback([](SettingsStore& s) { s.SetString(P::Title, "Lab host"); });
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return frame->windowTitle() == "Lab host - Tamsivane 4.4"; }, 5000))
        << frame->windowTitle().toStdString();
}

TEST_F(MainFrameTest, CursorPaneShowsTheActiveSession) {
    frame->show();
    CChildFrame* first = OpenLoopback();
    first->Document().Send("abc");
    ASSERT_TRUE(QTest::qWaitFor([&] { return PaneTexts(frame->statusBar()).contains("1:4"); }, 5000));
    CChildFrame* second = OpenLoopback();
    EXPECT_TRUE(PaneTexts(frame->statusBar()).contains("1:1"));
    frame->Area()->setActiveSubWindow(first);
    EXPECT_TRUE(PaneTexts(frame->statusBar()).contains("1:4"));
    EXPECT_TRUE(PaneTexts(frame->statusBar()).contains("NUM"));
    EXPECT_NE(first, second);
}

TEST_F(MainFrameTest, CapsPaneFollowsTheLockModifierOfKeyEvents) {
    frame->show();
    QKeyEvent locked(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, 38, 'A', 0x2, "A");
    QApplication::sendEvent(frame.get(), &locked);
    EXPECT_TRUE(PaneTexts(frame->statusBar()).contains("CAP"));
    QKeyEvent unlocked(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, 38, 'a', 0, "a");
    QApplication::sendEvent(frame.get(), &unlocked);
    EXPECT_FALSE(PaneTexts(frame->statusBar()).contains("CAP"));
}

TEST_F(MainFrameTest, RecentFilesOpenFromTheConnectionMenu) {
    frame->show();
    CChildFrame* child = OpenLoopback();
    child->Document().SaveAs(folder.File("recent.qzv"));
    QStringList used;
    QObject::connect(frame.get(), &CMainFrame::setupFileUsed, [&](const QString& path) { used << path; });
    frame->SetRecentFiles({QString::fromStdString(folder.File("recent.qzv"))});
    frame->SetRecentFiles({QString::fromStdString(folder.File("recent.qzv"))});
    QMenu* menu = frame->Commands().Menu("Connection");
    ASSERT_NE(menu, nullptr);
    QList<QAction*> recent;
    for (QAction* action : menu->actions()) {
        if (action->text().startsWith("&1 ")) recent << action;
    }
    ASSERT_EQ(recent.size(), 1);
    recent[0]->trigger();
    EXPECT_EQ(frame->SessionFrames().size(), 2u);
    EXPECT_EQ(used, QStringList({QString::fromStdString(folder.File("recent.qzv"))}));
}

TEST_F(MainFrameTest, ScriptRequestOpensASetupFileFromAnotherThread) {
    frame->show();
    CChildFrame* child = OpenLoopback();
    child->Document().SaveAs(folder.File("by-script.qzv"));
    std::thread script(
        [&] { frame->RequestOpenSetupFile(QString::fromStdString(folder.File("by-script.qzv"))); });
    script.join();
    EXPECT_TRUE(QTest::qWaitFor([&] { return frame->SessionFrames().size() == 2; }, 5000));
}

TEST_F(MainFrameTest, HelpOnTheWebOpensTheProfilesAddress) {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "Open");
    // Without one there is nowhere to go: the local guide is Content's.
    EXPECT_FALSE(frame->Commands().IsEnabled(Command::HelpOnWeb));
    profile.SetString(kHelpSection, "HelpURL", "https://help.example/tamsivane");
    EXPECT_TRUE(frame->Execute(Command::HelpOnWeb));
    QDesktopServices::unsetUrlHandler("https");
    EXPECT_EQ(catcher.opened, QList<QUrl>({QUrl("https://help.example/tamsivane")}));
}

TEST_F(MainFrameTest, SessionWithoutATransportOpensNothingAndSaysWhy) {
    std::shared_ptr<CVT420Doc> doc = frame->CreateDocument();
    doc->LoadNewSession(ShippedTemplates(folder.Path()), ConnectionValues{4, "debug", 0});
    EXPECT_EQ(frame->OpenPreparedSession(doc), nullptr);
    EXPECT_TRUE(frame->SessionFrames().empty());
    ASSERT_EQ(user.Messages().size(), 1u);
    EXPECT_EQ(user.Messages()[0], "No connection can be made for HostType 4.");
}

TEST_F(MainFrameTest, UnreadableSetupFileOpensNothingAndSaysWhy) {
    frame->show();
    std::ofstream(folder.File("broken.qzv")) << "not a setup file";
    EXPECT_EQ(frame->OpenSetupFile(QString::fromStdString(folder.File("broken.qzv"))), nullptr);
    EXPECT_TRUE(frame->SessionFrames().empty());
    EXPECT_EQ(user.Messages().size(), 1u);
}

} // namespace
} // namespace tamsivane::testing

