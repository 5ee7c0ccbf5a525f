// The desktop user: messages from any thread become boxes on the GUI
// thread without holding up their sender; questions are Yes/No boxes.
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <thread>

#include "GuiApplication.h"
#include "app/DesktopUser.h"

namespace tamsivane::testing {
namespace {

class DesktopUserTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }

    // Answers each box that opens with answer, remembering what it showed.
    void AnswerBoxes(QMessageBox::StandardButton answer) {
        watcher.callOnTimeout([this, answer] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            shown.push_back({box->windowTitle(), box->text(), box->defaultButton() != nullptr
                                                                  ? box->standardButton(box->defaultButton())
                                                                  : QMessageBox::NoButton});
            box->button(answer)->click();
        });
        watcher.start(10);
    }

    struct Shown {
        QString caption;
        QString text;
        QMessageBox::StandardButton defaultButton;
    };
    std::vector<Shown> shown;
    QTimer watcher;
    DesktopUser user;
};

TEST_F(DesktopUserTest, MessageFromAnotherThreadIsQueuedToTheGuiThread) {
    AnswerBoxes(QMessageBox::Ok);
    std::thread sender([&] { user.ShowMessage(1029, "Cannot connect to remote host."); });
    sender.join(); // returns without anybody answering
    EXPECT_TRUE(shown.empty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !shown.empty(); }, 5000));
    EXPECT_EQ(shown[0].caption, "Tamsivane");
    EXPECT_EQ(shown[0].text, "Cannot connect to remote host.");
}

TEST_F(DesktopUserTest, QuestionsAreYesNoWithTheGivenDefault) {
    AnswerBoxes(QMessageBox::Yes);
    EXPECT_EQ(
        user.Ask("host : Connection to h", ResourceString(Msg::DisconnectQuestion), Answer::No),
        Answer::Yes);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "host : Connection to h");
    EXPECT_EQ(shown[0].text.toStdString(), ResourceString(Msg::DisconnectQuestion));
    EXPECT_EQ(shown[0].defaultButton, QMessageBox::No);
}

TEST_F(DesktopUserTest, AnythingButYesIsNo) {
    AnswerBoxes(QMessageBox::No);
    EXPECT_EQ(user.Ask("t", ResourceString(Msg::SaveSettingsQuestion), Answer::Yes), Answer::No);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].defaultButton, QMessageBox::Yes);
}

} // namespace
} // namespace tamsivane::testing
