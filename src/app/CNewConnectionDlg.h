// "New Connection": the connection type, its page (Telnet host and port,
// serial line, modem and phone number, or host and proxy), a settings
// template to start from.  Works on a new session's settings before it
// connects; OK writes the choice into them and remembers the entries in
// the application profile.
#pragma once

#include <QDialog>

#include <functional>
#include <optional>

#include "config/AddressBook.h"
#include "config/AppProfile.h"
#include "config/Templates.h"
#include "session/NewConnection.h"
#include "session/UserNotifier.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;

namespace tamsivane {

class CMainFrame;
class CVT420Doc;

class CNewConnectionDlg final : public QDialog {
    Q_OBJECT
public:
    // doc: the new session, loaded with the "default" template, not connected.
    CNewConnectionDlg(CVT420Doc& doc, const Templates& templates, AppProfile& profile,
                      UserNotifier& user, QWidget* parent = nullptr);

    // Where the address book is kept (found with the program's data unless set).
    void SetAddressBookFile(AddressBookPaths paths) { addressBook_ = std::move(paths); }
    // The print setup that "Settings..." offers on its Print page.
    void SetPrintSetup(std::function<void(SettingsStore&, QWidget*)> setup) {
        printSetup_ = std::move(setup);
    }

    void accept() override;

private:
    QWidget* MakeTelnetPage(const ConnectionEntries& last);
    QWidget* MakeSerialPage(const ConnectionEntries& last);
    QWidget* MakeModemPage(const ConnectionEntries& last);
    QWidget* MakeProxyPage(const ConnectionEntries& last);
    QWidget* MakeShellPage(const ConnectionEntries& last);
    QWidget* MakeSshPage(const ConnectionEntries& last);
    // "Local" has nothing to fill in; the page says what it is.
    QWidget* MakeLocalPage();
    void ShowPageOfType(int index);
    void FillModems(int selected);
    void ConfigureModems();
    void ApplyTemplate(const QString& name);
    ConnectionEntries Entries() const;
    // The address book; the entry chosen with Connect, if any.
    std::optional<AddressBookEntry> ChooseFromAddressBook();
    // "Address Book": a chosen entry becomes the session's connection and
    // the dialog ends with OK.
    void ConnectFromAddressBook();

    CVT420Doc& doc_;
    const Templates& templates_;
    AppProfile& profile_;
    UserNotifier& user_;
    AddressBookPaths addressBook_ = DiscoverAddressBook();
    std::function<void(SettingsStore&, QWidget*)> printSetup_;

    QComboBox* type_;
    QStackedWidget* pages_;
    QComboBox* host_ = nullptr;
    QComboBox* port_ = nullptr;
    QComboBox* proxyTargetHost_ = nullptr;
    QComboBox* proxyTargetPort_ = nullptr;
    QLineEdit* proxyHost_ = nullptr;
    QComboBox* proxyPort_ = nullptr;
    QComboBox* commPort_ = nullptr;
    QComboBox* baudRate_ = nullptr;
    QComboBox* dataBits_ = nullptr;
    QComboBox* parity_ = nullptr;
    QComboBox* stopBits_ = nullptr;
    QComboBox* flowControl_ = nullptr;
    QComboBox* modem_ = nullptr;
    QLabel* noModem_ = nullptr;
    QComboBox* phoneNumber_ = nullptr;
    QLineEdit* shellCommand_ = nullptr;
    QComboBox* sshHost_ = nullptr;
    QComboBox* sshPort_ = nullptr;
    QLineEdit* sshUser_ = nullptr;
};

// Connection: New...: a session from the "default" template, the dialog on
// it, then the session's window in frame (nothing after Cancel).
void RunNewConnection(CMainFrame& frame, const Templates& templates);

} // namespace tamsivane
