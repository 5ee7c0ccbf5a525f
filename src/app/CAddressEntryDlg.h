// "Address Book Entry": a host's name, access type, address, settings
// template and login script.  OK needs an address; an empty name becomes
// the address.
#pragma once

#include <QDialog>

#include <string>
#include <vector>

#include "config/AddressBook.h"
#include "session/UserNotifier.h"

class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace tamsivane {

class CAddressEntryDlg final : public QDialog {
    Q_OBJECT
public:
    // templates: the names offered under "Settings Template:".
    CAddressEntryDlg(AddressBookEntry entry, const std::vector<std::string>& templates,
                     UserNotifier& user, QWidget* parent = nullptr);

    // The entry as edited; valid after OK.
    const AddressBookEntry& Entry() const { return entry_; }

    void accept() override;

private:
    UserNotifier& user_;
    AddressBookEntry entry_;
    QLineEdit* site_;
    QComboBox* type_;
    QLineEdit* address_;
    QComboBox* template_;
    QPlainTextEdit* script_;
};

} // namespace tamsivane
