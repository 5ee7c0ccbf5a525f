#include "app/CTransferStatusDlg.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QVBoxLayout>

namespace tamsivane {

CTransferStatusDlg::CTransferStatusDlg(QWidget* parent)
    : QDialog(parent), abort_(new QPushButton("Abort Transfer", this)) {
    setWindowTitle("File Transfer Status");
    setModal(false);
    auto* form = new QFormLayout;
    constexpr std::array<const char*, 4> kCaptions = {
        "Transfer Protocol:", "File Tranfering:", "Bytes Transfered:", "File Size (Bytes):"};
    for (size_t i = 0; i < fields_.size(); ++i) {
        fields_[i] = new QLabel(this);
        fields_[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(kCaptions[i], fields_[i]);
    }
    Label(Field::Protocol)->setText("ZModem");
    // Room for long names and sizes without the window growing as they come.
    Label(Field::File)->setMinimumWidth(fontMetrics().horizontalAdvance(QString(32, 'M')));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(abort_, 0, Qt::AlignCenter);
    connect(abort_, &QPushButton::clicked, this, &CTransferStatusDlg::abortRequested);
}

void CTransferStatusDlg::ShowFile(const QString& name) {
    Label(Field::File)->setText(name);
    Label(Field::Bytes)->setText("0");
    Label(Field::Size)->clear();
    emit changed();
}

void CTransferStatusDlg::ShowSize(int64_t size) { SetField(Field::Size, QString::number(size)); }

void CTransferStatusDlg::ShowPosition(int64_t position) {
    SetField(Field::Bytes, QString::number(position));
}

void CTransferStatusDlg::ShowFinished() { SetField(Field::Bytes, "Finished"); }

void CTransferStatusDlg::ShowAborting() {
    abort_->setEnabled(false);
    SetField(Field::Bytes, "Aborting ...");
}

void CTransferStatusDlg::SetField(Field field, const QString& text) {
    Label(field)->setText(text);
    emit changed();
}

void CTransferStatusDlg::Dismiss() {
    dismissed_ = true;
    close();
}

void CTransferStatusDlg::closeEvent(QCloseEvent* event) {
    if (dismissed_) {
        QDialog::closeEvent(event);
    } else {
        event->ignore();
    }
}

} // namespace tamsivane
