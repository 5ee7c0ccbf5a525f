#include "app/CNewConnectionDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <mutex>

#include "app/CAddressBookDlg.h"
#include "app/CMainFrame.h"
#include "app/CModemListDlg.h"
#include "app/SettingsCommands.h"
#include "app/StdText.h"
#include "config/ModemList.h"
#include "config/RecentList.h"
#include "config/ResourceStrings.h"
#include "session/AddressBookSession.h"
#include "config/Templates.h"
#include "session/CVT420Doc.h"

namespace tamsivane {
namespace {

std::string S(const QString& text) { return text.trimmed().toStdString(); }

template <size_t N>
QComboBox* FixedList(QWidget* parent, const char* name, const char* const (&items)[N],
                     int selected) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    for (const char* item : items) box->addItem(item);
    box->setCurrentIndex(selected);
    return box;
}

QComboBox* EditableList(QWidget* parent, const char* name, const QStringList& items,
                        const QString& text) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->addItems(items);
    box->setEditText(text);
    return box;
}

QStringList ToQStrings(const std::vector<std::string>& texts) {
    QStringList list;
    for (const std::string& text : texts) list << Q(text);
    return list;
}

// Page index in the stack for each offered type; 0 is the empty page.
int PageOf(std::optional<ConnectionKind> kind) {
    if (!kind) return 0;
    switch (*kind) {
    case ConnectionKind::Telnet: return 1;
    case ConnectionKind::Serial: return 2;
    case ConnectionKind::Modem: return 3;
    case ConnectionKind::TelnetProxy: return 4;
    case ConnectionKind::LocalShell: return 5;
    case ConnectionKind::Ssh: return 6;
    case ConnectionKind::Local: return 7;
    case ConnectionKind::Debug: return 0;
    }
    return 0;
}

} // namespace

CNewConnectionDlg::CNewConnectionDlg(CVT420Doc& doc, const Templates& templates,
                                     AppProfile& profile, UserNotifier& user, QWidget* parent)
    : QDialog(parent), doc_(doc), templates_(templates), profile_(profile), user_(user),
      type_(new QComboBox(this)), pages_(new QStackedWidget(this)) {
    setWindowTitle(tr("New Connection"));
    const ConnectionEntries last = LoadLastEntries(profile_);

    type_->setObjectName("type");
    type_->addItems(ToQStrings(OfferedConnectionTypes()));
    pages_->addWidget(new QWidget(pages_));
    pages_->addWidget(MakeTelnetPage(last));
    pages_->addWidget(MakeSerialPage(last));
    pages_->addWidget(MakeModemPage(last));
    pages_->addWidget(MakeProxyPage(last));
    pages_->addWidget(MakeShellPage(last));
    pages_->addWidget(MakeSshPage(last));
    pages_->addWidget(MakeLocalPage());
    connect(type_, &QComboBox::currentIndexChanged, this, &CNewConnectionDlg::ShowPageOfType);
    // The type used last time, else Telnet.
    type_->setCurrentIndex(last.type >= 0 && last.type < type_->count() ? last.type
                                                                         : type_->findText("Telnet"));
    ShowPageOfType(type_->currentIndex());

    auto* templateList = new QComboBox(this);
    templateList->setObjectName("template");
    templateList->addItems(ToQStrings(templates_.Names()));
    // The session holds the "default" template already.
    templateList->setCurrentIndex(templateList->findText(Q(std::string(kDefaultTemplate))));
    connect(templateList, &QComboBox::textActivated, this, &CNewConnectionDlg::ApplyTemplate);

    // The settings sheet on the new session's settings.
    auto* settings = new QPushButton(tr("&Settings..."), this);
    settings->setObjectName("settings");
    connect(settings, &QPushButton::clicked, this, [this] {
        EditSessionSettings(
            doc_, {},
            SettingsSheetContext{templates_, user_, profile_, true, printSetup_, addressBook_},
            this);
    });
    auto* addressBook = new QPushButton(tr("&Address Book"), this);
    addressBook->setObjectName("addressBook");
    connect(addressBook, &QPushButton::clicked, this, &CNewConnectionDlg::ConnectFromAddressBook);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->addButton(settings, QDialogButtonBox::ActionRole);
    buttons->addButton(addressBook, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* top = new QFormLayout;
    top->addRow(tr("Connection &Type:"), type_);
    auto* bottom = new QFormLayout;
    bottom->addRow(tr("Use T&emplate:"), templateList);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(pages_);
    layout->addLayout(bottom);
    layout->addWidget(buttons);
}

QWidget* CNewConnectionDlg::MakeLocalPage() {
    auto* page = new QGroupBox(tr("Local Connection"), pages_);
    auto* text = new QLabel(tr("No host: what you type comes straight back to the screen, "
                               "for trying out settings, keys and scripts."),
                            page);
    text->setObjectName("localHint");
    text->setWordWrap(true);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(text);
    layout->addStretch();
    return page;
}

QWidget* CNewConnectionDlg::MakeTelnetPage(const ConnectionEntries& last) {
    auto* page = new QGroupBox(tr("Telnet Connection"), pages_);
    const QStringList hosts = ToQStrings(RecentHosts(profile_).Load());
    host_ = EditableList(page, "host", hosts, hosts.value(0));
    port_ = EditableList(page, "port", {"Telnet", "Echo"}, Q(last.port));
    auto* form = new QFormLayout(page);
    form->addRow(tr("&Host:"), host_);
    form->addRow(tr("&Port:"), port_);
    return page;
}

QWidget* CNewConnectionDlg::MakeSerialPage(const ConnectionEntries& last) {
    auto* page = new QGroupBox(tr("Serial Port Connection"), pages_);
    commPort_ = EditableList(page, "commPort", {}, Q(last.commPort));
    for (const char* port : kCommPorts) commPort_->addItem(port);
    commPort_->setEditText(Q(last.commPort));
    baudRate_ = EditableList(page, "baudRate", {}, Q(last.baudRate));
    for (const char* rate : kBaudRates) baudRate_->addItem(rate);
    baudRate_->setEditText(Q(last.baudRate));
    dataBits_ = FixedList(page, "dataBits", kDataBits, last.dataBits);
    parity_ = FixedList(page, "parity", kParities, last.parity);
    stopBits_ = FixedList(page, "stopBits", kStopBits, last.stopBits);
    flowControl_ = FixedList(page, "flowControl", kFlowControls, last.flowControl);
    auto* form = new QFormLayout(page);
    form->addRow(tr("&Port:"), commPort_);
    form->addRow(tr("&Baud Rate:"), baudRate_);
    form->addRow(tr("&Data Bits:"), dataBits_);
    form->addRow(tr("P&arity:"), parity_);
    form->addRow(tr("&Stop Bits:"), stopBits_);
    form->addRow(tr("&Flow Control:"), flowControl_);
    return page;
}

QWidget* CNewConnectionDlg::MakeModemPage(const ConnectionEntries& last) {
    auto* page = new QGroupBox(tr("Modem Connection"), pages_);
    modem_ = new QComboBox(page);
    modem_->setObjectName("modem");
    noModem_ = new QLabel(QString::fromUtf8(ResourceString(Msg::NoModem)), page);
    noModem_->setObjectName("noModem");
    noModem_->setWordWrap(true);
    phoneNumber_ = EditableList(page, "phoneNumber",
                                ToQStrings(RecentPhoneNumbers(profile_).Load()),
                                Q(last.phoneNumber));
    auto* configure = new QPushButton(tr("&Configure..."), page);
    configure->setObjectName("configure");
    connect(configure, &QPushButton::clicked, this, &CNewConnectionDlg::ConfigureModems);
    // The address book as a phone book: Connect takes the entry's number.
    auto* phoneBook = new QPushButton(tr("P&hone Book..."), page);
    phoneBook->setObjectName("phoneBook");
    connect(phoneBook, &QPushButton::clicked, this, [this] {
        if (const auto entry = ChooseFromAddressBook()) {
            phoneNumber_->setEditText(Q(entry->address));
        }
    });
    auto* form = new QFormLayout(page);
    form->addRow(tr("&Modem:"), modem_);
    form->addRow(noModem_);
    form->addRow(tr("P&hone Number:"), phoneNumber_);
    auto* row = new QHBoxLayout;
    row->addWidget(configure);
    row->addWidget(phoneBook);
    row->addStretch();
    form->addRow(row);
    FillModems(last.modem);
    return page;
}

QWidget* CNewConnectionDlg::MakeProxyPage(const ConnectionEntries& last) {
    auto* page = new QGroupBox(tr("Telnet Proxy Connection"), pages_);
    const QStringList hosts = ToQStrings(RecentHosts(profile_).Load());
    proxyTargetHost_ = EditableList(page, "proxyTargetHost", hosts, hosts.value(0));
    proxyTargetPort_ = EditableList(page, "proxyTargetPort", {"Telnet", "Echo"}, Q(last.port));
    auto* proxy = new QGroupBox(tr("Proxy"), page);
    proxyHost_ = new QLineEdit(Q(last.proxyHost), proxy);
    proxyHost_->setObjectName("proxyHost");
    proxyPort_ = EditableList(proxy, "proxyPort", {"Telnet", ""}, Q(last.proxyPort));
    auto* proxyForm = new QFormLayout(proxy);
    proxyForm->addRow(tr("H&ost:"), proxyHost_);
    proxyForm->addRow(tr("Po&rt:"), proxyPort_);
    auto* form = new QFormLayout(page);
    form->addRow(tr("&Host:"), proxyTargetHost_);
    form->addRow(tr("&Port:"), proxyTargetPort_);
    form->addRow(proxy);
    return page;
}

std::optional<AddressBookEntry> CNewConnectionDlg::ChooseFromAddressBook() {
    CAddressBookDlg book(addressBook_, templates_.Names(), user_, this);
    if (book.exec() != QDialog::Accepted) return std::nullopt;
    return book.Chosen();
}

void CNewConnectionDlg::ConnectFromAddressBook() {
    const auto entry = ChooseFromAddressBook();
    if (!entry) return;
    bool applied;
    {
        const SessionLock locked = doc_.Locked();
        applied = ApplyAddressBookEntry(*entry, templates_, locked.Settings(), locked.Keys(),
                                        user_);
    }
    // The pages are not looked at: the entry is the connection.
    if (applied) QDialog::accept();
}

QWidget* CNewConnectionDlg::MakeShellPage(const ConnectionEntries& last) {
    auto* page = new QGroupBox(tr("Local Shell"), pages_);
    shellCommand_ = new QLineEdit(Q(last.shellCommand), page);
    shellCommand_->setObjectName("shellCommand");
    shellCommand_->setPlaceholderText(tr("(your login shell)"));
    auto* form = new QFormLayout(page);
    form->addRow(tr("&Command:"), shellCommand_);
    return page;
}

QWidget* CNewConnectionDlg::MakeSshPage(const ConnectionEntries& last) {
    auto* page = new QGroupBox(tr("SSH Connection"), pages_);
    const QStringList hosts = ToQStrings(RecentHosts(profile_).Load());
    sshHost_ = EditableList(page, "sshHost", hosts, hosts.value(0));
    sshPort_ = EditableList(page, "sshPort", {"SSH"}, Q(last.sshPort));
    sshUser_ = new QLineEdit(Q(last.sshUser), page);
    sshUser_->setObjectName("sshUser");
    auto* form = new QFormLayout(page);
    form->addRow(tr("&Host:"), sshHost_);
    form->addRow(tr("&Port:"), sshPort_);
    form->addRow(tr("&User:"), sshUser_);
    return page;
}

void CNewConnectionDlg::ShowPageOfType(int index) {
    const auto& offered = OfferedConnectionTypes();
    const bool chosen = index >= 0 && index < static_cast<int>(offered.size());
    pages_->setCurrentIndex(PageOf(chosen ? ConnectionKindByName(offered[index]) : std::nullopt));
}

void CNewConnectionDlg::FillModems(int selected) {
    modem_->clear();
    for (const Modem& modem : LoadModems(profile_)) modem_->addItem(Q(modem.name));
    const bool none = modem_->count() == 0;
    modem_->setVisible(!none);
    noModem_->setVisible(none);
    modem_->setCurrentIndex(none ? -1 : std::clamp(selected, 0, modem_->count() - 1));
}

void CNewConnectionDlg::ConfigureModems() {
    CModemListDlg dialog(LoadModems(profile_), user_, this);
    if (dialog.exec() != QDialog::Accepted) return;
    std::string error;
    if (!SaveModems(profile_, dialog.Modems(), error)) {
        user_.ShowMessage(Msg::CannotSaveModemList,
                          FormatResource(Msg::CannotSaveModemList, {error}));
    }
    FillModems(modem_->currentIndex());
}

void CNewConnectionDlg::ApplyTemplate(const QString& name) {
    bool loaded;
    {
        const SessionLock locked = doc_.Locked();
        loaded = templates_.Load(S(name), locked.Settings(), locked.Keys());
    }
    if (!loaded) user_.Notify(Msg::CannotLoadTemplate);
}

ConnectionEntries CNewConnectionDlg::Entries() const {
    ConnectionEntries e;
    e.type = type_->currentIndex();
    const bool proxy = e.type >= 0 && e.type < type_->count() &&
                       ConnectionKindByName(S(type_->currentText())) == ConnectionKind::TelnetProxy;
    e.host = S((proxy ? proxyTargetHost_ : host_)->currentText());
    e.port = S((proxy ? proxyTargetPort_ : port_)->currentText());
    e.proxyHost = S(proxyHost_->text());
    e.proxyPort = S(proxyPort_->currentText());
    e.commPort = S(commPort_->currentText());
    e.baudRate = S(baudRate_->currentText());
    e.dataBits = dataBits_->currentIndex();
    e.parity = parity_->currentIndex();
    e.stopBits = stopBits_->currentIndex();
    e.flowControl = flowControl_->currentIndex();
    e.modem = modem_->count() == 0 ? -1 : modem_->currentIndex();
    e.phoneNumber = S(phoneNumber_->currentText());
    // A command keeps its spaces as typed.
    e.shellCommand = shellCommand_->text().toStdString();
    e.sshHost = S(sshHost_->currentText());
    e.sshPort = S(sshPort_->currentText());
    e.sshUser = S(sshUser_->text());
    return e;
}

void CNewConnectionDlg::accept() {
    const ConnectionEntries entries = Entries();
    std::optional<int> refusal;
    {
        const SessionLock locked = doc_.Locked();
        refusal = ApplyConnection(entries, locked.Settings(), profile_);
    }
    if (refusal) {
        user_.Notify(*refusal);
        return;
    }
    QDialog::accept();
}

void RunNewConnection(CMainFrame& frame, const Templates& templates) {
    std::shared_ptr<CVT420Doc> doc = frame.CreateDocument();
    bool loaded;
    {
        const SessionLock locked = doc->Locked();
        loaded = templates.Load(kDefaultTemplate, locked.Settings(), locked.Keys());
    }
    if (!loaded) frame.User().Notify(Msg::CannotLoadTemplate);
    CNewConnectionDlg dialog(*doc, templates, frame.Profile(), frame.User(), &frame);
    const SettingsSheetContext context = frame.SheetContext();
    dialog.SetAddressBookFile(context.addressBook);
    dialog.SetPrintSetup(context.printSetup);
    if (dialog.exec() == QDialog::Accepted) frame.OpenPreparedSession(std::move(doc));
}

} // namespace tamsivane
