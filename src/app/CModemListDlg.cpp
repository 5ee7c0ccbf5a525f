#include "app/CModemListDlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "config/ResourceStrings.h"
#include "session/NewConnection.h"

namespace tamsivane {
namespace {

enum ModemColumn { kName, kDevice, kInit, kSpeed, kModemColumns };

} // namespace

CModemListDlg::CModemListDlg(std::vector<Modem> modems, UserNotifier& user, QWidget* parent)
    : QDialog(parent), user_(user), modems_(std::move(modems)),
      table_(new QTableWidget(0, kModemColumns, this)) {
    setWindowTitle(tr("Modems"));
    table_->setObjectName("modems");
    table_->setHorizontalHeaderLabels({tr("Name"), tr("Device"), tr("Init"), tr("Speed")});
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    for (const Modem& modem : modems_) AddRow(modem);

    auto* add = new QPushButton(tr("&Add"), this);
    add->setObjectName("add");
    auto* remove = new QPushButton(tr("&Remove"), this);
    remove->setObjectName("remove");
    connect(add, &QPushButton::clicked, this, [this] {
        AddRow(Modem{tr("Modem %1").arg(table_->rowCount() + 1).toStdString(), "/dev/ttyUSB0",
                     "", Modem{}.speed});
        table_->setCurrentCell(table_->rowCount() - 1, kName);
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        if (table_->currentRow() >= 0) table_->removeRow(table_->currentRow());
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* rowButtons = new QHBoxLayout;
    rowButtons->addWidget(add);
    rowButtons->addWidget(remove);
    rowButtons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addLayout(rowButtons);
    layout->addWidget(buttons);
}

void CModemListDlg::AddRow(const Modem& modem) {
    const int row = table_->rowCount();
    table_->insertRow(row);
    const QString cells[kModemColumns] = {QString::fromStdString(modem.name),
                                     QString::fromStdString(modem.device),
                                     QString::fromStdString(modem.init),
                                     QString::number(modem.speed)};
    for (int column = 0; column < kModemColumns; ++column) {
        table_->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
}

// Rows without a name are left out; a speed that is no baud rate keeps the
// dialog open.
void CModemListDlg::accept() {
    std::vector<Modem> modems;
    const auto text = [this](int row, int column) {
        const QTableWidgetItem* item = table_->item(row, column);
        return item ? item->text().trimmed().toStdString() : std::string();
    };
    for (int row = 0; row < table_->rowCount() && row < kMaxModems; ++row) {
        Modem modem{text(row, kName), text(row, kDevice), text(row, kInit), 0};
        if (modem.name.empty()) continue;
        const auto speed = ParseBaudRate(text(row, kSpeed));
        if (!speed) {
            table_->setCurrentCell(row, kSpeed);
            user_.Notify(Msg::BadBaudRate);
            return;
        }
        modem.speed = *speed;
        modems.push_back(std::move(modem));
    }
    modems_ = std::move(modems);
    QDialog::accept();
}

} // namespace tamsivane
