// "Configure..." on the modem page: the list of modems the modem transport
// dials with (name, serial device, initialisation string, speed).
#pragma once

#include <QDialog>

#include <vector>

#include "config/ModemList.h"
#include "session/UserNotifier.h"

class QTableWidget;

namespace tamsivane {

class CModemListDlg final : public QDialog {
    Q_OBJECT
public:
    CModemListDlg(std::vector<Modem> modems, UserNotifier& user, QWidget* parent = nullptr);
    // The list as edited, after OK.
    const std::vector<Modem>& Modems() const { return modems_; }

    void accept() override;

private:
    void AddRow(const Modem& modem);

    UserNotifier& user_;
    std::vector<Modem> modems_;
    QTableWidget* table_;
};

} // namespace tamsivane
