#include "app/CAddressEntryDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "app/StdText.h"

namespace tamsivane {
namespace {

// The script is kept with CR LF line ends and edited with plain line feeds.
QString ScriptForEditing(const std::string& script) {
    return Q(script).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

std::string ScriptFromEditing(const QString& text) {
    QString script = text;
    script.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    script.replace(QChar('\n'), QStringLiteral("\r\n"));
    return script.toStdString();
}

void AddLabelled(QVBoxLayout* layout, const QString& text, QWidget* field) {
    auto* label = new QLabel(text, field->parentWidget());
    label->setWordWrap(true);
    label->setBuddy(field);
    layout->addWidget(label);
    layout->addWidget(field);
}

} // namespace

CAddressEntryDlg::CAddressEntryDlg(AddressBookEntry entry,
                                   const std::vector<std::string>& templates, UserNotifier& user,
                                   QWidget* parent)
    : QDialog(parent), user_(user), entry_(std::move(entry)), site_(new QLineEdit(this)),
      type_(new QComboBox(this)), address_(new QLineEdit(this)), template_(new QComboBox(this)),
      script_(new QPlainTextEdit(this)) {
    setWindowTitle(tr("Address Book Entry"));
    site_->setObjectName("site");
    site_->setText(Q(entry_.site));
    type_->setObjectName("type");
    type_->addItems({"Telnet", "Modem"});
    // A type the dialog does not offer (SSH) stays what it is unless changed.
    if (type_->findText(Q(entry_.type)) < 0) type_->addItem(Q(entry_.type));
    type_->setCurrentText(Q(entry_.type));
    address_->setObjectName("address");
    address_->setText(Q(entry_.address));
    template_->setObjectName("template");
    template_->addItem(QString()); // none
    QStringList names;
    for (const std::string& name : templates) names << Q(name);
    names.sort(Qt::CaseInsensitive);
    template_->addItems(names);
    if (template_->findText(Q(entry_.templateName)) < 0) template_->addItem(Q(entry_.templateName));
    template_->setCurrentText(Q(entry_.templateName));
    script_->setObjectName("script");
    script_->setPlainText(ScriptForEditing(entry_.script));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    AddLabelled(layout, tr("Put a name to identify the host here (optional):"), site_);
    AddLabelled(layout, tr("Access Type:"), type_);
    AddLabelled(layout,
                tr("Address (host name/IP or phone number, if not using standard network port, "
                   "put <host>:<port number>):"),
                address_);
    AddLabelled(layout, tr("Settings Template:"), template_);
    AddLabelled(layout,
                tr("Login Script (for more information about Tamsivane scripting, please refer "
                   "to script.htm):"),
                script_);
    layout->addWidget(buttons);
}

void CAddressEntryDlg::accept() {
    const std::string address = address_->text().trimmed().toStdString();
    if (address.empty()) {
        user_.Notify(Msg::NoHostAddress);
        address_->setFocus();
        return;
    }
    const std::string site = site_->text().trimmed().toStdString();
    entry_ = AddressBookEntry{site.empty() ? address : site, type_->currentText().toStdString(),
                              address, template_->currentText().toStdString(),
                              ScriptFromEditing(script_->toPlainText())};
    QDialog::accept();
}

} // namespace tamsivane
