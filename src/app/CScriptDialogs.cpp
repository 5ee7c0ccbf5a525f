#include "app/CScriptDialogs.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tamsivane {
namespace {

QDialogButtonBox* OkCancel(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

} // namespace

CEditScriptDlg::CEditScriptDlg(const std::string& script, QWidget* parent)
    : QDialog(parent), editor_(new QPlainTextEdit(this)) {
    setWindowTitle("Edit Tamsivane Script");
    QString text = QString::fromStdString(script);
    text.replace("\r\n", "\n");
    editor_->setPlainText(text);
    editor_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    editor_->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(editor_);
    layout->addWidget(OkCancel(this));
    resize(560, 360);
}

std::string CEditScriptDlg::Script() const {
    QString text = editor_->toPlainText();
    text.replace("\n", "\r\n");
    return text.toStdString();
}

CLoginScriptDlg::CLoginScriptDlg(LoginScriptValues values, QWidget* parent)
    : QDialog(parent),
      user_(new QLineEdit(QString::fromStdString(values.userId), this)),
      password_(new QLineEdit(QString::fromStdString(values.password), this)),
      edit_(new QPushButton("Edit Script ...", this)),
      script_(std::move(values.script)) {
    setWindowTitle("Login Script");
    password_->setEchoMode(QLineEdit::Password);
    edit_->setAutoDefault(false);
    connect(edit_, &QPushButton::clicked, this, &CLoginScriptDlg::EditScript);
    auto* form = new QFormLayout;
    form->addRow("User ID:", user_);
    form->addRow("Password:", password_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(edit_, 0, Qt::AlignLeft);
    layout->addWidget(OkCancel(this));
}

LoginScriptValues CLoginScriptDlg::Values() const {
    return {user_->text().toStdString(), password_->text().toStdString(), script_};
}

void CLoginScriptDlg::EditScript() {
    CEditScriptDlg editor(script_, this);
    if (editor.exec() == QDialog::Accepted) script_ = editor.Script();
}

} // namespace tamsivane
