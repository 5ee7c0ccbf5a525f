// What scripts ask of the desktop user: message boxes with the scripts'
// style numbers and results, and the "Input Box" dialog, both opened on the
// GUI thread for a script thread and closed when the script is cancelled.
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <future>

#include "GuiApplication.h"
#include "app/CInputBoxDlg.h"
#include "app/DesktopUser.h"

namespace tamsivane::testing {
namespace {

class ScriptUserTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }

    // Runs call on a thread of its own, as a script would, keeping the GUI
    // thread's events going until it returns.
    template <typename Call>
    auto OnScriptThread(Call call) {
        auto result = std::async(std::launch::async, call);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
            10000));
        return result.get();
    }
    // Acts on the first modal dialog that opens; replaces the act before.
    template <typename Dialog, typename Act>
    void WhenOpen(Act act) {
        QObject::disconnect(&watcher_, &QTimer::timeout, nullptr, nullptr);
        watcher_.callOnTimeout([this, act] {
            if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
                watcher_.stop();
                act(*dialog);
            }
        });
        watcher_.start(10);
    }

    DesktopUser user;

private:
    QTimer watcher_;
};

TEST_F(ScriptUserTest, MessageBoxButtonsIconsAndDefaultFromTheStyle) {
    QString text;
    QMessageBox::Icon icon{};
    QMessageBox::StandardButton defaultButton{};
    WhenOpen<QMessageBox>([&](QMessageBox& box) {
        text = box.text();
        icon = box.icon();
        defaultButton = box.standardButton(box.defaultButton());
        box.button(QMessageBox::No)->click();
    });
    // Yes No Cancel, question icon, second button by default.
    const int result =
        OnScriptThread([&] { return user.MessageBox("Go on?", "Script", 0x3 | 0x20 | 0x100, {}); });
    EXPECT_EQ(result, MessageBoxResult::No);
    EXPECT_EQ(text, "Go on?");
    EXPECT_EQ(icon, QMessageBox::Question);
    EXPECT_EQ(defaultButton, QMessageBox::No);
}

TEST_F(ScriptUserTest, ACancelledScriptClosesItsBoxWithTheDefaultAnswer) {
    std::atomic<bool> cancelled{false};
    WhenOpen<QMessageBox>([&](QMessageBox&) { cancelled = true; });
    const int result = OnScriptThread([&] {
        return user.MessageBox("Wait", "Script", 0x2 | 0x200, [&] { return cancelled.load(); });
    });
    EXPECT_EQ(result, MessageBoxResult::Ignore);
    EXPECT_TRUE(QTest::qWaitFor([] { return QApplication::activeModalWidget() == nullptr; }, 5000));
}

TEST_F(ScriptUserTest, InputBoxReturnsTheEditedTextOrNothing) {
    WhenOpen<CInputBoxDlg>([](CInputBoxDlg& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Input Box");
        EXPECT_EQ(dialog.Field()->text(), "guest");
        EXPECT_EQ(dialog.BrowseButton(), nullptr);
        dialog.Field()->setText("alice");
        dialog.accept();
    });
    EXPECT_EQ(
        OnScriptThread([&] { return user.InputBox("Name:", "guest", InputStyle::Plain, {}); }),
        std::optional<std::string>("alice"));
    WhenOpen<CInputBoxDlg>([](CInputBoxDlg& dialog) {
        EXPECT_EQ(dialog.Field()->echoMode(), QLineEdit::Password);
        dialog.reject();
    });
    EXPECT_EQ(
        OnScriptThread([&] { return user.InputBox("Password:", "", InputStyle::Password, {}); }),
        std::nullopt);
}

TEST_F(ScriptUserTest, FileStylesOfferABrowseButton) {
    for (const InputStyle style : {InputStyle::SaveFile, InputStyle::OpenFile}) {
        CInputBoxDlg dialog("File:", "/tmp/x", style);
        ASSERT_NE(dialog.BrowseButton(), nullptr);
        EXPECT_EQ(dialog.BrowseButton()->text(), "...");
        EXPECT_EQ(dialog.Text(), "/tmp/x");
    }
}

} // namespace
} // namespace tamsivane::testing
