// The bars of a session window for what its host asks and causes, offscreen:
// the question about a host script with its three answers while the session
// works on, a second script asked for meanwhile, the standing choice on the
// General page, and a flood of requests that leaves one notice.
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>

#include "FrameFixture.h"
#include "app/CSettingsSheet.h"
#include "app/HostBars.h"

namespace tamsivane::testing {
namespace {

std::string HostScript(std::string_view text) { return "\x1bP$t" + std::string(text) + "\x1b\\"; }

class HostBarsTest : public FrameTest {
protected:
    template <typename Widget = QWidget>
    Widget* Find(const char* name) {
        return child_->findChild<Widget*>(name);
    }
    CVT420Doc& Session() { return child_->Document(); }
    bool WaitForBar(const char* name, bool shown) {
        return QTest::qWaitFor([&] { return Find(name)->isVisible() == shown; }, 10000);
    }
    void Answer(const char* button) {
        QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton);
    }
    void Open() {
        child_ = OpenLoopback();
        frame->show();
    }

    CChildFrame* child_ = nullptr;
};

TEST_F(HostBarsTest, TheUserAnswersWhileTheSessionWorksOn) {
    Open();
    Session().ReceiveLocally(HostScript("\r\nterm.Send('once');\r\nx = 1;"));
    ASSERT_TRUE(WaitForBar("hostScriptBar", true));
    EXPECT_EQ(Find<QLabel>("hostScriptSummary")->text(), "term.Send('once');");
    // The session goes on; a second script meanwhile is counted, not run.
    Session().ReceiveLocally("still here");
    Session().ReceiveLocally(HostScript("term.Send('second');"));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return Find<QLabel>("hostScriptDropped")->text() == "1 more requests dropped"; },
        10000));
    {
        const SessionLock locked = Session().Locked();
        EXPECT_NE(PageText(locked.Screen()).find("still here"), std::string::npos);
    }
    Answer("hostScriptRunOnce");
    EXPECT_TRUE(WaitForSent("once"));
    EXPECT_TRUE(WaitForBar("hostScriptBar", false));

    Session().ReceiveLocally(HostScript("term.Send('refused');"));
    ASSERT_TRUE(WaitForBar("hostScriptBar", true));
    Answer("hostScriptRefuse");
    EXPECT_TRUE(WaitForBar("hostScriptBar", false));

    Session().ReceiveLocally(HostScript("term.Send('+session');"));
    ASSERT_TRUE(WaitForBar("hostScriptBar", true));
    Answer("hostScriptAllowSession");
    EXPECT_TRUE(WaitForSent("once+session"));
    Session().ReceiveLocally(HostScript("term.Send('+unasked');"));
    EXPECT_TRUE(WaitForSent("once+session+unasked"));
    EXPECT_FALSE(Find("hostScriptBar")->isVisible());
}

TEST_F(HostBarsTest, TheStandingChoiceIsAnApplicationPreference) {
    EXPECT_EQ(ReadHostScriptPolicy(profile), HostScriptPolicy::Ask);
    Open();
    WhenModal<CSettingsSheet>([](CSettingsSheet& sheet) {
        auto* choice = sheet.findChild<QComboBox*>("hostScriptPolicy");
        ASSERT_NE(choice, nullptr);
        EXPECT_EQ(choice->currentText(), "Ask");
        choice->setCurrentText("Always refuse");
        sheet.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    EXPECT_TRUE(frame->Execute(Command::Settings));
    EXPECT_EQ(ReadHostScriptPolicy(profile), HostScriptPolicy::Refuse);
    // The open session follows at once, and says what it refused.
    Session().ReceiveLocally(HostScript("term.Send('no');"));
    ASSERT_TRUE(WaitForBar("hostNotice", true));
    EXPECT_EQ(Find<QLabel>("hostNoticeText")->text(),
              "The host asked to run a script; it was refused.");
    EXPECT_FALSE(Find("hostScriptBar")->isVisible());
}

// However many scripts the host asks for, one runs at a time and whatever
// they cause is one notice, never a box per message.
TEST_F(HostBarsTest, AFloodOfRequestsLeavesOneNotice) {
    WriteHostScriptPolicy(profile, HostScriptPolicy::Allow);
    Open();
    std::string flood = HostScript("sys.Sleep(600000);");
    for (int i = 0; i < 10000; ++i) flood += "\x1bP$s/nonexistent/x" + std::to_string(i) + "\x1b\\";
    Session().ReceiveLocally(flood);
    ASSERT_TRUE(WaitForBar("hostNotice", true));
    EXPECT_EQ(Find<QLabel>("hostNoticeText")->text(),
              "The host asked to run a script while one was running; the request was dropped. "
              "(10000 times)");
    for (QWidget* window : QApplication::topLevelWidgets()) {
        EXPECT_EQ(qobject_cast<QMessageBox*>(window), nullptr);
    }
    EXPECT_TRUE(user.Messages().empty());
    Answer("hostNoticeClose");
    EXPECT_TRUE(WaitForBar("hostNotice", false));
    EXPECT_EQ(Session().HostNoticeText(), "");
}

} // namespace
} // namespace tamsivane::testing
