// Dialogs around scripts: "Edit Tamsivane Script" (a script text in a
// multi-line field) and "Login Script" (user id, password and the login
// script, handed back to the settings page).
#pragma once

#include <QDialog>

#include <string>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tamsivane {

class CEditScriptDlg final : public QDialog {
    Q_OBJECT
public:
    // script: lines end with CR LF, as stored.
    explicit CEditScriptDlg(const std::string& script, QWidget* parent = nullptr);
    // The edited text, lines ended with CR LF.
    std::string Script() const;
    QPlainTextEdit* Editor() const { return editor_; }

private:
    QPlainTextEdit* editor_;
};

struct LoginScriptValues {
    std::string userId;
    std::string password;
    std::string script;
};

class CLoginScriptDlg final : public QDialog {
    Q_OBJECT
public:
    explicit CLoginScriptDlg(LoginScriptValues values, QWidget* parent = nullptr);
    // After OK: the edited values.
    LoginScriptValues Values() const;

    QLineEdit* UserField() const { return user_; }
    QLineEdit* PasswordField() const { return password_; }
    QPushButton* EditButton() const { return edit_; }

private:
    void EditScript();

    QLineEdit* user_;
    QLineEdit* password_;
    QPushButton* edit_;
    std::string script_;
};

} // namespace tamsivane
