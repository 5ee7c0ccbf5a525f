// The menus built from the command table: paths resolve to the actions
// shown, commands of features still to come stay disabled, and no action
// takes a key from the terminal view.
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>

#include "FrameFixture.h"
#include "app/CommandActions.h"
#include "keyboard/CommandTable.h"
#include "view/CVT420View.h"

namespace tamsivane::testing {
namespace {

using CommandsTest = FrameTest;

QStringList MenuTitles(QMenuBar* bar) {
    QStringList titles;
    for (QAction* action : bar->actions()) titles << action->text().remove('&');
    return titles;
}

TEST_F(CommandsTest, MenusInOrderAndEveryPathFindsTheActionShownThere) {
    EXPECT_EQ(MenuTitles(frame->menuBar()),
              QStringList({"Connection", "Edit", "View", "Window", "Print", "Help"}));
    for (const char* path : {"View: Scroll Page Down", "Window: Hold Screen", "Connection: New...",
                             "connection :  open...", "Help: Content"}) {
        const int id = FindMenuCommand(path);
        ASSERT_NE(id, 0) << path;
        QAction* action = frame->Commands().Action(id);
        ASSERT_NE(action, nullptr) << path;
        const std::string menu = std::string(path).substr(0, std::string(path).find(':'));
        bool found = false;
        for (QAction* popup : frame->menuBar()->actions()) {
            if (popup->text().remove('&').compare(QString::fromStdString(menu).trimmed(),
                                                  Qt::CaseInsensitive) == 0) {
                found = popup->menu()->actions().contains(action);
            }
        }
        EXPECT_TRUE(found) << path;
    }
    EXPECT_EQ(frame->Commands().Action(FindMenuCommand("View: Scroll Page Up"))->text(),
              "Scroll Page &Up\tCtrl+Page Up, Shift+Page Up");
}

TEST_F(CommandsTest, NoActionHasAShortcut) {
    for (const CommandInfo& info : CommandTable()) {
        if (info.id == 0) continue;
        EXPECT_TRUE(frame->Commands().Action(info.id)->shortcut().isEmpty()) << info.caption;
    }
    for (QAction* action : frame->findChildren<QAction*>()) {
        EXPECT_TRUE(action->shortcut().isEmpty()) << action->text().toStdString();
    }
}

TEST_F(CommandsTest, FeaturesStillToComeStayDisabledWithASession) {
    frame->show();
    OpenLoopback();
    frame->UpdateCommands();
    // Without its dialog plugged in, New is disabled too.
    EXPECT_FALSE(frame->Commands().Action(Command::New)->isEnabled());
    int asked = 0;
    frame->SetNewConnectionHandler([&] { ++asked; });
    EXPECT_TRUE(frame->Execute(Command::New));
    EXPECT_EQ(asked, 1);
}

TEST_F(CommandsTest, SessionCommandsFollowTheActiveSession) {
    frame->UpdateCommands();
    for (const int id : {Command::Save, Command::Close, Command::NewWindow, Command::ClearDisplay,
                         Command::LargerFont, Command::HoldScreen}) {
        EXPECT_FALSE(frame->Commands().Action(id)->isEnabled()) << id;
    }
    frame->show();
    CChildFrame* child = OpenLoopback();
    frame->UpdateCommands();
    for (const int id : {Command::Save, Command::Close, Command::NewWindow, Command::ClearDisplay,
                         Command::LargerFont, Command::HoldScreen, Command::ShowHistory}) {
        EXPECT_TRUE(frame->Commands().Action(id)->isEnabled()) << id;
    }
    // Reconnect only once the connection has ended.
    EXPECT_FALSE(frame->Commands().Action(Command::Reconnect)->isEnabled());
    child->Document().Disconnect(CVT420Doc::Confirm::Silently);
    frame->UpdateCommands();
    EXPECT_TRUE(frame->Commands().Action(Command::Reconnect)->isEnabled());

    // Hold Screen is the view's, checked while held.
    child->Document().Reconnect();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return child->Document().ConnectionState() == TransportState::Connected; }, 10000));
    ASSERT_TRUE(frame->Execute(Command::HoldScreen));
    EXPECT_TRUE(frame->Commands().Action(Command::HoldScreen)->isChecked());
    ASSERT_TRUE(frame->Execute(Command::HoldScreen));
    EXPECT_FALSE(frame->Commands().Action(Command::HoldScreen)->isChecked());
}

TEST_F(CommandsTest, ViewPopupSharesTheMenuActions) {
    QStringList texts;
    for (QAction* action : frame->ViewPopup()->actions()) {
        texts << (action->isSeparator() ? QString("-") : action->text());
    }
    EXPECT_EQ(texts, QStringList({"&Copy\tCtrl+Shift+C", "&Paste\tCtrl+Shift+V, Shift+Insert", "-", "&Close", "Se&ttings...",
                                  "&Print", "-", "&Clear Display", "Clear History",
                                  "Clear All", "&Larger Font", "S&maller Font", "-",
                                  "Capture to file..."}));
    EXPECT_TRUE(frame->ViewPopup()->actions().contains(frame->Commands().Action(Command::Close)));
}

TEST_F(CommandsTest, EditCommandsThePopUpAndHistoryCommandsReachTheActiveView) {
    frame->show();
    CChildFrame* child = OpenLoopback([](SettingsStore& s) { s.SetNumber(P::History, 1); });
    CVT420View* view = child->View();
    std::string lines;
    for (int i = 0; i < 40; ++i) lines += "row " + std::to_string(i) + "\r\n";
    ASSERT_TRUE(child->Document().Send(lines + "last"));
    ASSERT_TRUE(WaitForSent(lines + "last"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return child->Document().CanClearHistory(); }, 10000));
    ASSERT_TRUE(child->Document().WaitUntilShown(std::chrono::steady_clock::now() + 10s));
    QCoreApplication::processEvents();

    frame->UpdateCommands();
    EXPECT_FALSE(frame->Commands().Action(Command::Copy)->isEnabled());
    ASSERT_TRUE(frame->Execute(Command::SelectAll));
    EXPECT_TRUE(frame->Commands().Action(Command::Copy)->isEnabled());
    ASSERT_TRUE(frame->Execute(Command::Copy));
    EXPECT_TRUE(QGuiApplication::clipboard()->text().startsWith("row 0\r\nrow 1\r\n"));

    // The right button opens the pop-up menu, raised a little above the pointer.
    const QPoint point(20, 20);
    QTest::mousePress(view->viewport(), Qt::RightButton, {}, point);
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame->ViewPopup()->isVisible(); }, 5000));
    EXPECT_EQ(frame->ViewPopup()->pos(), view->viewport()->mapToGlobal(point) - QPoint(0, 4));
    EXPECT_TRUE(frame->Commands().Action(Command::Paste)->isEnabled());
    frame->ViewPopup()->hide();

    // Clear All leaves the view nothing to scroll back to.
    const int scrollable = view->verticalScrollBar()->maximum();
    ASSERT_GE(scrollable, 17);
    ASSERT_TRUE(frame->Execute(Command::ClearAll));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return view->verticalScrollBar()->maximum() <= scrollable - 17; }, 5000));
    EXPECT_EQ(view->VerticalPosition(), 0);
}

TEST_F(CommandsTest, ShortcutsRunTheirCommandsWithAndWithoutASession) {
    frame->show();
    int asked = 0;
    frame->SetNewConnectionHandler([&] { ++asked; });
    // No session: the main window takes the key.
    QTest::keyClick(frame.get(), Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(asked, 1);
    // A session: the view's key goes to the command, a plain Ctrl+N to the host.
    CChildFrame* child = OpenLoopback();
    CVT420View* view = child->View();
    view->setFocus();
    QTest::keyClick(view, Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return asked == 2; }, 5000));
    QTest::keyClick(view, Qt::Key_N, Qt::ControlModifier, 0);
    EXPECT_EQ(asked, 2);
}

TEST_F(CommandsTest, F10OpensTheMenuBarOnlyWhenTheSettingSaysSo) {
    frame->show();
    CChildFrame* child = OpenLoopback();
    CVT420View* view = child->View();
    view->setFocus();
    QTest::keyClick(view, Qt::Key_F10);
    ASSERT_TRUE(WaitForSent("\x1b[21~"));
    EXPECT_EQ(frame->menuBar()->activeAction(), nullptr);
    frame->UpdateCommands();
    EXPECT_FALSE(frame->Commands().Action(Command::F10OpensMenu)->isChecked());
    ASSERT_TRUE(frame->Execute(Command::F10OpensMenu));
    EXPECT_TRUE(frame->Commands().Action(Command::F10OpensMenu)->isChecked());
    QTest::keyClick(view, Qt::Key_F10);
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame->menuBar()->activeAction() != nullptr; }, 5000));
    EXPECT_EQ(frame->menuBar()->activeAction()->text(), "&Connection");
}

TEST_F(CommandsTest, BarTogglesAreCheckedWhileShown) {
    frame->show();
    QAction* chat = frame->Commands().Action(Command::ChatLine);
    frame->UpdateCommands();
    EXPECT_FALSE(chat->isChecked());
    chat->trigger();
    EXPECT_TRUE(frame->ChatLineDock()->isVisible());
    EXPECT_TRUE(chat->isChecked());
}

} // namespace
} // namespace tamsivane::testing
