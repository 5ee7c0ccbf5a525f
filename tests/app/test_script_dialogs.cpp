// The dialogs around scripts: editing a script, the login script's values
// and where a recorded macro is saved.
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "GuiApplication.h"
#include "app/CSaveMacroDlg.h"
#include "app/CScriptDialogs.h"

namespace tamsivane::testing {
namespace {

class RecordingNotifier final : public UserNotifier {
public:
    void ShowMessage(int, std::string_view text) override { messages.emplace_back(text); }
    std::vector<std::string> messages;
};

class ScriptDialogsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }
    static std::array<std::string, CSaveMacroDlg::kButtons> Captions() {
        std::array<std::string, CSaveMacroDlg::kButtons> captions;
        captions[1] = "Mail";
        return captions;
    }
    RecordingNotifier user;
};

TEST_F(ScriptDialogsTest, EditScriptKeepsCrLfLines) {
    CEditScriptDlg dialog("a;\r\nb;\r\n");
    EXPECT_EQ(dialog.windowTitle(), "Edit Tamsivane Script");
    EXPECT_EQ(dialog.Editor()->toPlainText(), "a;\nb;\n");
    dialog.Editor()->setPlainText("x;\ny;");
    EXPECT_EQ(dialog.Script(), "x;\r\ny;");
}

TEST_F(ScriptDialogsTest, LoginScriptHandsBackItsValues) {
    CLoginScriptDlg dialog({"alice", "secret", "term.Send(\"x\");"});
    EXPECT_EQ(dialog.windowTitle(), "Login Script");
    EXPECT_EQ(dialog.PasswordField()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dialog.EditButton()->text(), "Edit Script ...");
    dialog.UserField()->setText("bob");
    // "Edit Script ..." opens the editor on the script; OK keeps the change.
    QTimer::singleShot(0, [] {
        auto* editor = qobject_cast<CEditScriptDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(editor, nullptr);
        editor->Editor()->setPlainText("term.Send(\"y\");");
        editor->accept();
    });
    dialog.EditButton()->click();
    const LoginScriptValues values = dialog.Values();
    EXPECT_EQ(values.userId, "bob");
    EXPECT_EQ(values.password, "secret");
    EXPECT_EQ(values.script, "term.Send(\"y\");");
}

TEST_F(ScriptDialogsTest, SaveToButtonNeedsACaption) {
    CSaveMacroDlg dialog("term.Send(\"a\");\r\n", Captions(), user);
    EXPECT_EQ(dialog.windowTitle(), "Save Recorded Macro");
    ASSERT_EQ(dialog.ButtonList()->count(), 32);
    EXPECT_EQ(dialog.ButtonList()->item(1)->text(), "Button #02 Mail");
    EXPECT_TRUE(dialog.ButtonChoice()->isChecked());
    EXPECT_FALSE(dialog.KeyList()->isEnabled());
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(user.messages, std::vector<std::string>{"Please specify a caption for the button."});
    dialog.ButtonList()->setCurrentRow(3);
    dialog.CaptionField()->setText("Go");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Choice(), CSaveMacroDlg::Target::Button);
    EXPECT_EQ(dialog.ButtonIndex(), 3);
    EXPECT_EQ(dialog.Caption(), "Go");
}

TEST_F(ScriptDialogsTest, SaveToAKeyByCharacterOrName) {
    CSaveMacroDlg dialog("s", Captions(), user);
    dialog.KeyChoice()->setChecked(true);
    EXPECT_TRUE(dialog.KeyList()->isEnabled());
    EXPECT_FALSE(dialog.ButtonList()->isEnabled());
    dialog.accept();
    EXPECT_EQ(user.messages,
              std::vector<std::string>{"Please specify a single character for mapped key."});
    dialog.CharacterField()->setText("q");
    dialog.ModifierBoxes()[0]->setChecked(true); // CTRL
    dialog.ModifierBoxes()[2]->setChecked(true); // SHIFT
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.KeyCode(), 0x51); // the Q key, not the code of "q"
    EXPECT_EQ(dialog.Modifiers(), 6);
    dialog.KeyList()->setCurrentRow(1);
    EXPECT_EQ(dialog.KeyCode(), 0x70); // F1
}

TEST_F(ScriptDialogsTest, CopyToClipboard) {
    CSaveMacroDlg dialog("term.Send(\"c\");\r\n", Captions(), user);
    dialog.ClipboardChoice()->setChecked(true);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(QApplication::clipboard()->text(), "term.Send(\"c\");\r\n");
}

} // namespace
} // namespace tamsivane::testing
