// The button bar and the chat line over a loop-back session.
#include <QLineEdit>
#include <QPushButton>

#include "FrameFixture.h"
#include "app/ButtonBar.h"
#include "app/ChatLine.h"
#include "view/CVT420View.h"

namespace tamsivane::testing {
namespace {

using BarsTest = FrameTest;


TEST_F(BarsTest, PagesStepFromOneToFourAndShowTheirCaptions) {
    frame->show();
    frame->Execute(Command::ButtonPalette);
    OpenLoopback([](SettingsStore& s) {
        for (int i = 0; i < 32; ++i) s.SetArrayString(P::ButtonCaption, i, "B" + std::to_string(i + 1));
    });
    ButtonBar& bar = *frame->Buttons();
    EXPECT_EQ(bar.Button(0)->text(), "B1");
    EXPECT_FALSE(bar.PageDownButton()->isEnabled());
    EXPECT_TRUE(bar.PageUpButton()->isEnabled());

    for (int step = 0; step < 3; ++step) QTest::mouseClick(bar.PageUpButton(), Qt::LeftButton);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(bar.Button(i)->text(), QString("B%1").arg(25 + i));
    EXPECT_FALSE(bar.PageUpButton()->isEnabled());
    EXPECT_TRUE(bar.PageDownButton()->isEnabled());
    // Not beyond the last page.
    EXPECT_TRUE(frame->Execute(Command::ButtonPageUp));
    EXPECT_EQ(bar.Button(0)->text(), "B25");

    QTest::mouseClick(bar.PageDownButton(), Qt::LeftButton);
    EXPECT_EQ(bar.Button(0)->text(), "B17");
}

TEST_F(BarsTest, EachSessionWindowKeepsItsOwnPage) {
    frame->show();
    frame->Execute(Command::ButtonPalette);
    const auto captions = [](SettingsStore& s) {
        for (int i = 0; i < 32; ++i) s.SetArrayString(P::ButtonCaption, i, "B" + std::to_string(i + 1));
    };
    CChildFrame* first = OpenLoopback(captions);
    frame->Execute(Command::ButtonPageUp);
    CChildFrame* second = OpenLoopback(captions);
    EXPECT_EQ(frame->Buttons()->Button(0)->text(), "B1");
    frame->Area()->setActiveSubWindow(first);
    EXPECT_EQ(frame->Buttons()->Button(0)->text(), "B9");
    EXPECT_EQ(second->ButtonPage(), 0);
}

TEST_F(BarsTest, ButtonSendsItsDecodedStringAndGivesTheFocusBack) {
    frame->show();
    frame->Execute(Command::ButtonPalette);
    CChildFrame* child = OpenLoopback([](SettingsStore& s) {
        s.SetArrayString(P::ButtonString, 0, "ls<CR>");
        s.SetArrayString(P::ButtonString, 1, "");
        s.SetArrayNumber(P::ButtonAction, 1, 0);
        s.SetArrayString(P::ButtonString, 2, "");
        s.SetArrayNumber(P::ButtonAction, 2, 2);
    });
    frame->activateWindow();
    // Empty strings do nothing, whatever their action.
    QTest::mouseClick(frame->Buttons()->Button(1), Qt::LeftButton);
    QTest::mouseClick(frame->Buttons()->Button(2), Qt::LeftButton);
    QTest::mouseClick(frame->Buttons()->Button(0), Qt::LeftButton);
    EXPECT_TRUE(WaitForSent("ls\r"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return child->View()->hasFocus(); }, 5000));
    // The loop-back returns it as host output.
    EXPECT_TRUE(QTest::qWaitFor([&] {
        const SessionLock locked = child->Document().Locked();
        return PageText(locked.Screen()).rfind("ls", 0) == 0;
    }, 10000));
}

TEST_F(BarsTest, ScriptButtonsGoToTheScriptRunner) {
    std::vector<std::pair<bool, std::string>> scripts;
    frame->SetScriptRunner([&](CVT420Doc&, const ScriptRequest& request) {
        scripts.emplace_back(request.isFile, request.text);
    });
    OpenLoopback([](SettingsStore& s) {
        s.SetArrayString(P::ButtonString, 8, "Send(\"x\")");
        s.SetArrayNumber(P::ButtonAction, 8, 1);
        s.SetArrayString(P::ButtonString, 9, "/tmp/login.wbq");
        s.SetArrayNumber(P::ButtonAction, 9, 2);
    });
    frame->Execute(Command::ButtonPageUp);
    frame->Execute(Command::FirstButton);
    frame->Execute(Command::FirstButton + 1);
    ASSERT_EQ(scripts.size(), 2u);
    EXPECT_EQ(scripts[0], std::make_pair(false, std::string("Send(\"x\")")));
    EXPECT_EQ(scripts[1], std::make_pair(true, std::string("/tmp/login.wbq")));
    EXPECT_EQ(sent.Sent(), "");
}

TEST_F(BarsTest, ChatLineEnterSendsTheLineEndAndSendSendsTheTextAlone) {
    frame->show();
    frame->activateWindow();
    frame->Execute(Command::ChatLine);
    OpenLoopback([](SettingsStore& s) { s.SetNumber(P::NewLine, 1); });
    QLineEdit* field = frame->Chat()->Field();

    field->setFocus();
    QTest::keyClicks(field, "dir");
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_TRUE(WaitForSent("dir\r\n"));
    EXPECT_TRUE(field->text().isEmpty());

    QTest::keyClicks(field, "dir");
    QTest::mouseClick(frame->Chat()->SendButton(), Qt::LeftButton);
    EXPECT_TRUE(WaitForSent("dir\r\ndir"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return field->hasFocus(); }, 5000));

    // Nothing is decoded.
    QTest::keyClicks(field, "<CR>");
    QTest::mouseClick(frame->Chat()->SendButton(), Qt::LeftButton);
    EXPECT_TRUE(WaitForSent("dir\r\ndir<CR>"));
}

TEST_F(BarsTest, ChatLineEndIsCarriageReturnAloneWithNewLineZero) {
    frame->Execute(Command::ChatLine);
    OpenLoopback([](SettingsStore& s) { s.SetNumber(P::NewLine, 0); });
    QLineEdit* field = frame->Chat()->Field();
    QTest::keyClicks(field, "ls");
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_TRUE(WaitForSent("ls\r"));
}

TEST_F(BarsTest, ChatLineSendCommandFocusesTheFieldThenSends) {
    frame->show();
    frame->activateWindow();
    EXPECT_FALSE(frame->Execute(Command::ChatLineSend)); // the chat line is hidden
    frame->Execute(Command::ChatLine);
    CChildFrame* child = OpenLoopback([](SettingsStore& s) { s.SetNumber(P::NewLine, 0); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return child->View()->hasFocus(); }, 5000));
    QLineEdit* field = frame->Chat()->Field();
    field->setText("pwd");
    EXPECT_TRUE(frame->Execute(Command::ChatLineSend));
    EXPECT_TRUE(QTest::qWaitFor([&] { return field->hasFocus(); }, 5000));
    EXPECT_EQ(sent.Sent(), "");
    EXPECT_TRUE(frame->Execute(Command::ChatLineSend));
    EXPECT_TRUE(WaitForSent("pwd\r"));
}

TEST_F(BarsTest, WithoutASessionTheChatLineKeepsItsText) {
    QLineEdit* field = frame->Chat()->Field();
    QTest::keyClicks(field, "kept");
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(field->text(), "kept");
    EXPECT_FALSE(frame->Buttons()->Button(0)->isEnabled());
}

} // namespace
} // namespace tamsivane::testing
