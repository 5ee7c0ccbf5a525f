// The view with its session: coalesced updates from other threads, several
// views, titles, the connection mark, settings changes, a real Telnet server.
#include <unistd.h>

#include <thread>

#include "ViewFixture.h"
#include "config/SessionSettings.h"
#include "keyboard/CommandIds.h"
#include "view/ViewUpdateBridge.h"

namespace tamsivane::testing {
namespace {

TEST(ViewUpdateBridgeTest, CallsFromAnotherThreadMergeIntoOneUpdate) {
    EnsureApplication();
    std::vector<PendingUpdate> delivered;
    ViewUpdateBridge bridge([&](const PendingUpdate& u) { delivered.push_back(u); }, nullptr);
    std::thread io([&] {
        bridge.ScreenChanged(7, 9, false);
        bridge.ScreenChanged(-1, -1, false);
        bridge.ScreenChanged(2, 3, false);
        bridge.DisconnectedChanged(true);
        bridge.DisconnectedChanged(false);
    });
    io.join();
    EXPECT_TRUE(delivered.empty()) << "the I/O thread never runs the view";
    EXPECT_EQ(bridge.UpdatesPosted(), 1);
    QCoreApplication::processEvents();
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_TRUE(delivered[0].screen);
    EXPECT_EQ(delivered[0].firstRow, 2);
    EXPECT_EQ(delivered[0].lastRow, 9);
    EXPECT_FALSE(delivered[0].history);
    EXPECT_EQ(delivered[0].disconnected, std::optional<bool>(false));

    // One update a display frame: the next one is taken at the next frame,
    // or at once when asked.
    bridge.ScreenChanged(-1, -1, true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return delivered.size() == 2; }, 5000));
    EXPECT_TRUE(delivered[1].history);
    EXPECT_EQ(delivered[1].firstRow, -1);
    bridge.ScreenChanged(4, 4, false);
    EXPECT_TRUE(bridge.Waiting());
    bridge.TakeNow();
    ASSERT_EQ(delivered.size(), 3u);
    EXPECT_FALSE(bridge.Waiting());
    QCoreApplication::processEvents(); // the queued call finds nothing waiting
    EXPECT_EQ(delivered.size(), 3u);
}

TEST_F(ViewTest, TwoViewsOfOneSessionBothPaint) {
    Open();
    RecordingHost otherHost;
    CVT420View other(session, otherHost);
    other.resize(600, 400);
    other.show();
    Host("both", "both");
    EXPECT_EQ(Differences(Cell(Grab(), 0, 0), Reference("b", Palette(7), Palette(0))), 0);
    const QImage image = other.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect cell = other.CellRect(History(), 0);
    const CellFont& f = other.Font();
    QImage reference(f.width, f.height, QImage::Format_RGB32);
    reference.fill(Palette(0));
    QPainter painter(&reference);
    painter.setFont(f.font);
    painter.setPen(Palette(7));
    painter.drawText(reference.rect(), Qt::AlignLeft | Qt::AlignTop, "b");
    painter.end();
    EXPECT_EQ(Differences(image.copy(cell), reference), 0);
}

TEST_F(ViewTest, AViewNotYetShownFitsNothing) {
    OpenLoopback();
    view = std::make_unique<CVT420View>(session, host);
    Host("\x1b[?3hq", "q");
    const SessionLock locked = session.Locked();
    EXPECT_EQ(locked.Settings().GetNumber(P::FontSize), 9);
}

TEST_F(ViewTest, TitlesStatusAndTheDisconnectedMark) {
    SetNumber(P::AutoClose, 0);
    SetNumber(P::NumericKeypad, 0);
    Open();
    view->Activate();
    EXPECT_GE(host.buttonBarBuilds, 1);
    EXPECT_TRUE(host.mainTitle.endsWith(" - Tamsivane 4.4")) << host.mainTitle.toStdString();
    Configure([](SettingsStore& s) { s.SetString(P::Title, "Payroll"); });
    view->Activate();
    EXPECT_EQ(host.mainTitle, "Payroll - Tamsivane 4.4");
    EXPECT_EQ(MainWindowTitle(""), "Tamsivane 4.4");

    Host("\x1b[3;7Hs", "s");
    EXPECT_EQ(host.cursor, "3:8");
    EXPECT_EQ(host.pageSize, "80x24");
    EXPECT_FALSE(host.numeric);
    Host("\x1b>k", "sk");
    EXPECT_TRUE(host.numeric);

    host.frameTitle = "Payroll";
    ASSERT_TRUE(session.Disconnect(CVT420Doc::Confirm::Silently));
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.frameTitle == "Payroll - Disconnected"; }, 10000))
        << host.frameTitle.toStdString();
    ASSERT_TRUE(session.Reconnect());
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.frameTitle == "Payroll"; }, 10000))
        << host.frameTitle.toStdString();
    EXPECT_EQ(host.closeRequests, 0);

    // Under AutoClose the window closes instead, unless it is closing already.
    SetNumber(P::AutoClose, 1);
    ASSERT_TRUE(session.Disconnect(CVT420Doc::Confirm::Silently));
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.closeRequests == 1; }, 10000));
    EXPECT_EQ(host.frameTitle, "Payroll");
}

TEST_F(ViewTest, SettingsChangesReachFontsCursorTitleAndButtons) {
    SetNumber(P::FitFont, 0);
    Open();
    const int height = view->Font().height;
    Configure([](SettingsStore& s) {
        s.SetNumber(P::FontSize, 20);
        s.SetString(P::Title, "Changed");
    });
    ChangeSet changes;
    changes.fonts = true;
    changes.title = true;
    view->ApplySettingsChanges(changes);
    EXPECT_GT(view->Font().height, height);
    EXPECT_EQ(host.mainTitle, "Changed - Tamsivane 4.4");
    const int builds = host.buttonBarBuilds;
    changes.Clear();
    changes.buttons = true;
    view->ApplySettingsChanges(changes);
    EXPECT_EQ(host.buttonBarBuilds, builds + 1);
}

TEST_F(ViewTest, KeysTypedInTheViewReachTheSessionAndItsCommands) {
    Open();
    Focus();
    QTest::keyClicks(view.get(), "ab");
    QTest::keyClick(view.get(), Qt::Key_Tab);
    ASSERT_TRUE(WaitForScreen("ab"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.cursor == "1:9"; }, 10000))
        << host.cursor.toStdString();
    EXPECT_TRUE(view->hasFocus()) << "Tab stays with the terminal";

    // F1-F3 as local functions: Hold Screen in this window, Print Page
    // through the frame, Settings in the main window.
    Configure([](SettingsStore& s) {
        for (int key = 0; key < 3; ++key) s.SetArrayNumber(P::FKeys, key, 0);
    });
    QTest::keyClick(view.get(), Qt::Key_F1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return session.IsHeld(); }, 5000));
    QTest::keyClick(view.get(), Qt::Key_F1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !session.IsHeld(); }, 5000));
    QTest::keyClick(view.get(), Qt::Key_F2);
    QTest::keyClick(view.get(), Qt::Key_F3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.posted.size() == 2; }, 5000));
    EXPECT_EQ(host.posted, (std::vector<int>{Command::Settings, Command::PrintPage}));
}

// A view on a Telnet session with a shell under a real telnetd.
class ShellViewTest : public ViewTest {
protected:
    void OpenShell() {
        ASSERT_EQ(access(TAMSIVANE_TELNETD, X_OK), 0) << "the Telnet server is not installed";
        ASSERT_GT(server.Port(), 0);
        Configure([&](SettingsStore& s) {
            s.SetNumber(P::HostType, 0);
            s.SetString(P::HostName, "127.0.0.1");
            s.SetNumber(P::Port, server.Port());
        });
        ASSERT_TRUE(session.OpenConnection(CVT420Doc::Connect::Now));
        ASSERT_TRUE(WaitForState(TransportState::Connected));
        view = std::make_unique<CVT420View>(session, host);
        view->resize(900, 500);
        view->show();
    }

    ListeningProgram server{{TAMSIVANE_ACCEPT_EXEC, TAMSIVANE_TELNETD, "-E", "/bin/sh"}};
};

TEST_F(ShellViewTest, TelnetSessionTypedInTheViewPaintsTheShellsAnswer) {
    ASSERT_NO_FATAL_FAILURE(OpenShell());
    Focus();
    QTest::keyClicks(view.get(), "printf 'ok\\033[1;31mRED\\033[0m\\n'");
    QTest::keyClick(view.get(), Qt::Key_Return);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return ScreenText().find("okRED\n") != std::string::npos; }, 20000))
        << ScreenText();
    QCoreApplication::processEvents();
    // Find the painted answer's row and check its red cell.
    const std::string text = ScreenText();
    const size_t at = text.find("okRED\n");
    const int row = static_cast<int>(std::count(text.begin(), text.begin() + at, '\n'));
    const int column = static_cast<int>(at - (text.rfind('\n', at) + 1)) + 2;
    ASSERT_EQ(Attribute(row, column).Foreground(), 9);
    EXPECT_EQ(Differences(Cell(Grab(), row, column), Reference("R", Palette(9), Palette(0))), 0);
}

TEST_F(ShellViewTest, HoldScreenKeepsATelnetSessionsOutputUntilReleased) {
    ASSERT_NO_FATAL_FAILURE(OpenShell());
    // The shell answers a moment after the line arrives, so the screen can
    // be held in between.
    ASSERT_TRUE(session.Send("sleep 1; echo HE''LD-OUT\r"));
    ASSERT_TRUE(WaitForScreen("HE''LD-OUT")) << ScreenText();
    ASSERT_TRUE(view->HandleCommand(Command::HoldScreen));
    EXPECT_TRUE(view->IsCommandChecked(Command::HoldScreen));
    const std::string answer = "HELD-OUT\r\n";
    ASSERT_TRUE(WaitFor([&] { return session.WaitingBytes() >= answer.size(); }))
        << "the answer never arrived";
    QCoreApplication::processEvents();
    EXPECT_EQ(ScreenText().find("HELD-OUT\n"), std::string::npos) << ScreenText();

    ASSERT_TRUE(view->HandleCommand(Command::HoldScreen));
    EXPECT_FALSE(view->IsCommandChecked(Command::HoldScreen));
    ASSERT_TRUE(WaitForScreen("HELD-OUT\n")) << ScreenText();
    EXPECT_EQ(session.WaitingBytes(), 0u);
}

} // namespace
} // namespace tamsivane::testing
