#include "app/CAddressBookDlg.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/CAddressEntryDlg.h"
#include "app/StdText.h"

namespace tamsivane {
namespace {

// The list's columns and their widths; the script is there but not shown.
struct Column {
    const char* title;
    int width;
};
constexpr Column kColumns[] = {
    {"Site Name", 150}, {"Type", 70}, {"Address", 300}, {"Template", 120}, {"Script", 0},
};
constexpr int kScriptColumn = 4;

} // namespace

CAddressBookDlg::CAddressBookDlg(AddressBookPaths paths, std::vector<std::string> templates,
                                 UserNotifier& user, QWidget* parent)
    : QDialog(parent), user_(user), templates_(std::move(templates)), book_(std::move(paths)),
      list_(new QTreeWidget(this)) {
    setWindowTitle(tr("Tamsivane Address Book"));
    std::string error;
    if (!book_.Load(error)) {
        user_.ShowMessage(Msg::CannotReadAddressBook,
                          FormatResource(Msg::CannotReadAddressBook, {book_.Paths().read, error}));
    }

    list_->setObjectName("hosts");
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setAllColumnsShowFocus(true);
    QStringList titles;
    for (const Column& column : kColumns) titles << tr(column.title);
    list_->setHeaderLabels(titles);
    for (int i = 0; i < kScriptColumn; ++i) list_->setColumnWidth(i, kColumns[i].width);
    list_->setColumnHidden(kScriptColumn, true);
    list_->setMinimumWidth(kColumns[0].width + kColumns[1].width + kColumns[2].width +
                           kColumns[3].width + 24);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &CAddressBookDlg::Connect);

    auto* buttons = new QDialogButtonBox(this);
    const auto addButton = [&](const QString& text, const char* name,
                               void (CAddressBookDlg::*slot)(), QDialogButtonBox::ButtonRole role) {
        QPushButton* button = buttons->addButton(text, role);
        button->setObjectName(name);
        connect(button, &QPushButton::clicked, this, slot);
        return button;
    };
    addButton(tr("&Connect"), "connect", &CAddressBookDlg::Connect, QDialogButtonBox::AcceptRole)
        ->setDefault(true);
    addButton(tr("C&lose"), "close", &CAddressBookDlg::reject, QDialogButtonBox::RejectRole);
    addButton(tr("&Add"), "add", &CAddressBookDlg::Add, QDialogButtonBox::ActionRole);
    addButton(tr("&Remove"), "remove", &CAddressBookDlg::Remove, QDialogButtonBox::ActionRole);
    addButton(tr("&Modify"), "modify", &CAddressBookDlg::Modify, QDialogButtonBox::ActionRole);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Host List:"), this));
    layout->addWidget(list_);
    layout->addWidget(new QLabel(tr("(Double click on a Site Name to connect)"), this));
    layout->addWidget(buttons);
    Fill(std::nullopt);
}

void CAddressBookDlg::Fill(std::optional<size_t> current) {
    list_->clear();
    for (const AddressBookEntry& e : book_.Entries()) {
        new QTreeWidgetItem(list_, {Q(e.site), Q(e.type), Q(e.address), Q(e.templateName),
                                    Q(e.script)});
    }
    if (current && *current < book_.Entries().size()) {
        list_->setCurrentItem(list_->topLevelItem(static_cast<int>(*current)));
    }
}

std::optional<size_t> CAddressBookDlg::Selected() {
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty()) {
        user_.Notify(Msg::NoSiteSelected);
        return std::nullopt;
    }
    return static_cast<size_t>(list_->indexOfTopLevelItem(selected.front()));
}

std::optional<AddressBookEntry> CAddressBookDlg::Edit(AddressBookEntry entry) {
    CAddressEntryDlg dialog(std::move(entry), templates_, user_, this);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Entry();
}

void CAddressBookDlg::Add() {
    if (auto entry = Edit(AddressBookEntry{})) Fill(book_.Add(std::move(*entry)));
}

void CAddressBookDlg::Modify() {
    const auto index = Selected();
    if (!index) return;
    if (auto entry = Edit(book_.Entries()[*index])) Fill(book_.Replace(*index, std::move(*entry)));
}

void CAddressBookDlg::Remove() {
    const auto index = Selected();
    if (!index) return;
    book_.Remove(*index);
    Fill(std::nullopt);
}

void CAddressBookDlg::Connect() {
    const auto index = Selected();
    if (!index) return;
    chosen_ = book_.Entries()[*index];
    SaveBook();
    QDialog::accept();
}

void CAddressBookDlg::reject() {
    SaveBook();
    QDialog::reject();
}

void CAddressBookDlg::SaveBook() {
    std::string error;
    if (!book_.Save(error)) {
        user_.ShowMessage(Msg::CannotSaveAddressBook,
                          FormatResource(Msg::CannotSaveAddressBook, {book_.Paths().save, error}));
    }
}

} // namespace tamsivane
