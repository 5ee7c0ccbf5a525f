#include "app/CSaveTemplateDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

#include "config/Templates.h"
#include "session/CVT420Doc.h"

namespace tamsivane {

CSaveTemplateDlg::CSaveTemplateDlg(CVT420Doc& doc, const Templates& templates, UserNotifier& user,
                                   QWidget* parent)
    : QDialog(parent),
      doc_(doc),
      templates_(templates),
      user_(user),
      name_(new QLineEdit(this)),
      list_(new QListWidget(this)) {
    setWindowTitle("Save Settings As Template");
    name_->setObjectName("templateName");
    list_->setObjectName("templates");
    for (const std::string& name : templates_.Names()) list_->addItem(QString::fromStdString(name));
    connect(list_, &QListWidget::currentTextChanged, name_, &QLineEdit::setText);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    auto* nameLabel = new QLabel("Template Name:", this);
    nameLabel->setBuddy(name_);
    layout->addWidget(nameLabel);
    layout->addWidget(name_);
    layout->addWidget(new QLabel("Available Templates:", this));
    layout->addWidget(list_);
    layout->addWidget(buttons);
    name_->setFocus();
}

void CSaveTemplateDlg::accept() {
    const std::string name = name_->text().trimmed().toStdString();
    if (name.empty()) {
        user_.Notify(Msg::NoTemplateName);
        return;
    }
    // The session reports a name it cannot save under.
    if (doc_.SaveAsTemplate(templates_, name)) QDialog::accept();
}

} // namespace tamsivane
