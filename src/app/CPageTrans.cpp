// The Communication page: how the session reaches its host.
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <charconv>

#include "app/CAddressBookDlg.h"
#include "app/CSettingsSheet.h"
#include "app/SettingsPages.h"
#include "config/ModemList.h"
#include "config/RecentList.h"
#include "config/ResourceStrings.h"
#include "config/Templates.h"
#include "session/AddressBookSession.h"
#include "session/NewConnection.h"
#include "transport/CSshTransport.h"
#include "transport/TransportHost.h"
#include "transport/ServiceNames.h"

namespace tamsivane {
namespace {

// The type list, with the HostType each stores and the fields it shows.
enum TypeIndex { kTelnet, kTelnetProxy, kSerial, kLocal, kModem, kLocalShell, kSsh };
struct TransportChoice {
    const char* caption;
    int32_t hostType;
    int fields; // page of the field stack
};
constexpr TransportChoice kTypes[] = {
    {"Telnet", 0, 0}, {"Telnet Proxy", 0, 0}, {"Serial Port", 1, 1}, {"Local", 2, 2},
    {"Modem", 3, 3},  {"Local Shell", 7, 4},  {"SSH", 8, 5},
};
constexpr int kNoFields = 2;
// The address book's SSH2 entries open SSH sessions as well.
constexpr int32_t kSsh2EntryHostType = static_cast<int32_t>(TransportType::Ssh2Entry);

// The list entry for a HostType; -1 for one the list does not offer.
int TypeIndexOf(int32_t hostType, bool proxy) {
    if (hostType == kSsh2EntryHostType) return kSsh;
    if (hostType == 0) return proxy ? kTelnetProxy : kTelnet;
    for (int i = 0; i < static_cast<int>(std::size(kTypes)); ++i) {
        if (kTypes[i].hostType == hostType) return i;
    }
    return -1;
}

int32_t LeadingNumber(std::string_view text) {
    int32_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// "COM<n>" in any case: n - 1; a missing or smaller number gives 0.
int32_t CommPortIndex(const QString& text) {
    const QString upper = text.trimmed().toUpper();
    if (!upper.startsWith("COM")) return 0;
    const int32_t number = LeadingNumber(upper.mid(3).toStdString());
    return number > 1 ? number - 1 : 0;
}

QComboBox* Fixed(QWidget* parent, const char* name, std::span<const char* const> items) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    for (const char* item : items) box->addItem(item);
    return box;
}

QComboBox* Editable(QWidget* parent, const char* name, std::span<const char* const> items) {
    QComboBox* box = Fixed(parent, name, items);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    return box;
}

void ShowIndex(QComboBox* box, int32_t index) {
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : 0);
}

constexpr const char* kPortNames[] = {"Telnet", "Echo"};
constexpr const char* kSshPortNames[] = {"SSH"};

} // namespace

CPageTrans::CPageTrans(CSettingsSheet& sheet)
    : CSettingsPage(sheet, "Communication"),
      type_(new QComboBox(this)),
      fields_(new QStackedWidget(this)) {
    auto* rows = new QVBoxLayout(this);
    AddCheck(rows, {P::KeepSession, "Keep Session for Long Idle Time"});
    auto* typeRow = new QHBoxLayout;
    rows->addLayout(typeRow);
    auto* typeForm = new QFormLayout;
    typeRow->addLayout(typeForm, 1);
    type_->setObjectName("transportType");
    for (const TransportChoice& type : kTypes) type_->addItem(type.caption);
    typeForm->addRow("Transportation Type:", type_);
    auto* addressBook = new QPushButton("Address Book...", this);
    addressBook->setObjectName("addressBook");
    connect(addressBook, &QPushButton::clicked, this, &CPageTrans::UseAddressBook);
    typeRow->addWidget(addressBook);
    rows->addWidget(fields_);
    rows->addStretch(1);

    auto* telnet = new QWidget(fields_);
    auto* telnetForm = new QFormLayout(telnet);
    host_ = new QLineEdit(telnet);
    host_->setObjectName("host");
    port_ = Editable(telnet, "port", kPortNames);
    proxy_ = new QLineEdit(telnet);
    proxy_->setObjectName("proxy");
    proxyPort_ = Editable(telnet, "proxyPort", kPortNames);
    telnetForm->addRow("Host:", host_);
    telnetForm->addRow("Port:", port_);
    telnetForm->addRow("Proxy:", proxy_);
    telnetForm->addRow("Proxy Port:", proxyPort_);
    fields_->addWidget(telnet);

    auto* serial = new QWidget(fields_);
    auto* serialForm = new QFormLayout(serial);
    commPort_ = Editable(serial, "commPort", kCommPorts);
    baudRate_ = Editable(serial, "baudRate", kBaudRates);
    dataBits_ = Fixed(serial, "dataBits", kDataBits);
    stopBits_ = Fixed(serial, "stopBits", kStopBits);
    parity_ = Fixed(serial, "parity", kParities);
    flowControl_ = Fixed(serial, "flowControl", kFlowControls);
    serialForm->addRow("Port:", commPort_);
    serialForm->addRow("Baud Rate:", baudRate_);
    serialForm->addRow("Data Bits:", dataBits_);
    serialForm->addRow("Stop Bits:", stopBits_);
    serialForm->addRow("Parity:", parity_);
    serialForm->addRow("Flow Control:", flowControl_);
    fields_->addWidget(serial);

    fields_->addWidget(new QWidget(fields_)); // Local has nothing to set

    auto* modem = new QWidget(fields_);
    auto* modemForm = new QFormLayout(modem);
    modem_ = new QComboBox(modem);
    modem_->setObjectName("modem");
    for (const Modem& entry : LoadModems(Sheet().Context().profile)) {
        modem_->addItem(QString::fromStdString(entry.name));
    }
    number_ = new QLineEdit(modem);
    number_->setObjectName("number");
    modemForm->addRow("Modem:", modem_);
    modemForm->addRow("Number:", number_);
    fields_->addWidget(modem);

    auto* shell = new QWidget(fields_);
    auto* shellForm = new QFormLayout(shell);
    shellCommand_ = new QLineEdit(shell);
    shellCommand_->setObjectName("shellCommand");
    shellCommand_->setPlaceholderText("(your login shell)");
    shellForm->addRow("Command:", shellCommand_);
    fields_->addWidget(shell);

    auto* ssh = new QWidget(fields_);
    auto* sshForm = new QFormLayout(ssh);
    sshHost_ = Editable(ssh, "sshHost", {});
    for (const std::string& host : RecentHosts(Sheet().Context().profile).Load()) {
        sshHost_->addItem(QString::fromStdString(host));
    }
    sshPort_ = Editable(ssh, "sshPort", kSshPortNames);
    sshUser_ = new QLineEdit(ssh);
    sshUser_->setObjectName("sshUser");
    sshForm->addRow("Host:", sshHost_);
    sshForm->addRow("Port:", sshPort_);
    sshForm->addRow("User:", sshUser_);
    fields_->addWidget(ssh);

    connect(type_, &QComboBox::currentIndexChanged, this, [this](int index) {
        fields_->setCurrentIndex(index >= 0 ? kTypes[index].fields : kNoFields);
        if (index < 0) return;
        proxy_->setEnabled(index == kTelnetProxy);
        proxyPort_->setEnabled(index == kTelnetProxy);
    });
}

bool CPageTrans::Exchange(ExchangeDirection direction) {
    SettingsStore& s = Working();
    if (direction == ExchangeDirection::Load) {
        const int32_t hostType = s.GetNumber(P::HostType);
        loadedHostType_ = hostType;
        const int index = TypeIndexOf(hostType, !s.GetString(P::Proxy).empty());
        type_->setCurrentIndex(index);
        const QString hostName = QString::fromStdString(s.GetString(P::HostName));
        host_->setText(hostType == 0 ? hostName : QString());
        port_->setEditText(
            QString::fromStdString(PortToText(hostType == 0 ? s.GetNumber(P::Port) : 23)));
        proxy_->setText(QString::fromStdString(s.GetString(P::Proxy)));
        proxyPort_->setEditText(
            QString::fromStdString(PortToText(index == kTelnetProxy ? s.GetNumber(P::Speed) : 23)));
        const bool serial = hostType == 1;
        commPort_->setEditText(QString("COM%1").arg(serial ? s.GetNumber(P::Port) + 1 : 1));
        baudRate_->setEditText(QString::number(serial ? s.GetNumber(P::Speed) : 9600));
        ShowIndex(dataBits_, serial ? s.GetNumber(P::DataLength) - 6 : 2);
        ShowIndex(stopBits_, serial ? s.GetNumber(P::StopBits) : 0);
        ShowIndex(parity_, serial ? s.GetNumber(P::Parity) : 0);
        ShowIndex(flowControl_, serial ? s.GetNumber(P::FlowControl) : 0);
        const bool modem = hostType == 3;
        if (modem_->count() > 0) ShowIndex(modem_, modem ? s.GetNumber(P::Port) : 0);
        number_->setText(modem ? hostName : QString());
        shellCommand_->setText(index == kLocalShell ? hostName : QString());
        const bool ssh = index == kSsh;
        sshHost_->setEditText(ssh ? hostName : QString());
        const int32_t sshPort = ssh ? s.GetNumber(P::Port) : 0;
        sshPort_->setEditText(
            QString::fromStdString(PortToText(sshPort > 0 ? sshPort : CSshTransport::kDefaultPort)));
        sshUser_->setText(ssh ? QString::fromStdString(s.GetString(P::SshUser)) : QString());
        return true;
    }

    const int index = type_->currentIndex();
    if (index < 0) return true;
    switch (index) {
    case kTelnet:
    case kTelnetProxy: {
        const int port = PortFromText(port_->currentText().trimmed().toStdString());
        const int proxyPort = PortFromText(proxyPort_->currentText().trimmed().toStdString());
        if (port <= 0 || (index == kTelnetProxy && proxyPort <= 0)) {
            Tell(Msg::BadTelnetPort);
            return false;
        }
        s.SetString(P::HostName, host_->text().trimmed().toStdString());
        s.SetNumber(P::Port, port);
        // A plain Telnet connection drops the proxy: kept, it would still be used.
        s.SetString(P::Proxy,
                    index == kTelnetProxy ? proxy_->text().trimmed().toStdString() : std::string());
        if (index == kTelnetProxy) s.SetNumber(P::Speed, proxyPort);
        break;
    }
    case kSerial:
        s.SetNumber(P::Port, CommPortIndex(commPort_->currentText()));
        s.SetNumber(P::Speed, LeadingNumber(baudRate_->currentText().trimmed().toStdString()));
        s.SetNumber(P::DataLength, dataBits_->currentIndex() + 6);
        s.SetNumber(P::StopBits, stopBits_->currentIndex());
        s.SetNumber(P::Parity, parity_->currentIndex());
        s.SetNumber(P::FlowControl, flowControl_->currentIndex());
        break;
    case kModem:
        s.SetString(P::HostName, number_->text().trimmed().toStdString());
        s.SetNumber(P::Port, std::max(modem_->currentIndex(), 0));
        break;
    case kLocalShell:
    case kSsh: {
        ConnectionEntries entries;
        entries.shellCommand = shellCommand_->text().toStdString(); // spaces as typed
        entries.sshHost = sshHost_->currentText().trimmed().toStdString();
        entries.sshPort = sshPort_->currentText().trimmed().toStdString();
        entries.sshUser = sshUser_->text().trimmed().toStdString();
        const auto kind = index == kSsh ? ConnectionKind::Ssh : ConnectionKind::LocalShell;
        if (const std::optional<int> refusal = SetConnection(kind, entries, s)) {
            Tell(*refusal);
            return false;
        }
        // An SSH2 entry's session stays one: rewriting its type would be a change.
        if (index == kSsh && loadedHostType_ == kSsh2EntryHostType) {
            s.SetNumber(P::HostType, kSsh2EntryHostType);
        }
        return true;
    }
    default:
        break;
    }
    s.SetNumber(P::HostType, kTypes[index].hostType);
    return true;
}

// The address book's Connect fills the working copy as it would a new
// session (template, type, address, login script); the page then shows it.
void CPageTrans::UseAddressBook() {
    const SettingsSheetContext& context = Sheet().Context();
    CAddressBookDlg book(context.addressBook, context.templates.Names(), User(), this);
    if (book.exec() != QDialog::Accepted || !book.Chosen()) return;
    // On a copy: an entry refused after its template was loaded changes nothing.
    SettingsStore settings;
    settings.CopyFrom(Working());
    KeyMap keys = Sheet().Keys();
    if (!ApplyAddressBookEntry(*book.Chosen(), context.templates, settings, keys, User())) return;
    // As Connect would, an entry of a kind without a transport (SSH1) is refused.
    if (TypeIndexOf(settings.GetNumber(P::HostType), false) < 0) {
        Tell(Msg::ConnectionNotSupported);
        return;
    }
    Working().CopyFrom(settings);
    Sheet().Keys() = keys;
    ExchangeData(ExchangeDirection::Load);
}

} // namespace tamsivane
