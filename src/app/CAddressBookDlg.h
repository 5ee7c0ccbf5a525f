// "Tamsivane Address Book": the hosts of the address book in a list sorted
// by site name, with Add, Modify and Remove, and Connect (or a double click)
// to open a session on the chosen host.  The file is saved when the dialog
// ends, with Connect or Close.
#pragma once

#include <QDialog>

#include <optional>
#include <string>
#include <vector>

#include "config/AddressBook.h"
#include "session/UserNotifier.h"

class QTreeWidget;

namespace tamsivane {

class CAddressBookDlg final : public QDialog {
    Q_OBJECT
public:
    // Loads the address book at paths; templates: the names the entry
    // dialog offers.
    CAddressBookDlg(AddressBookPaths paths, std::vector<std::string> templates,
                    UserNotifier& user, QWidget* parent = nullptr);

    // The entry chosen with Connect; nullopt after Close.
    const std::optional<AddressBookEntry>& Chosen() const { return chosen_; }
    const AddressBook& Book() const { return book_; }

    void reject() override;

private:
    void Fill(std::optional<size_t> current);
    std::optional<size_t> Selected();
    // Runs the entry dialog; the entry as edited, nullopt on Cancel.
    std::optional<AddressBookEntry> Edit(AddressBookEntry entry);
    void Add();
    void Modify();
    void Remove();
    void Connect();
    void SaveBook();

    UserNotifier& user_;
    std::vector<std::string> templates_;
    AddressBook book_;
    QTreeWidget* list_;
    std::optional<AddressBookEntry> chosen_;
};

} // namespace tamsivane
