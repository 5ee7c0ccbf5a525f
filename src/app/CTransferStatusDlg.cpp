#include "app/CTransferStatusDlg.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>

namespace tamsivane {

CTransferStatusDlg::CTransferStatusDlg(QWidget* parent)
    : QDialog(parent), message_(new QLabel(this)), abort_(new QPushButton("Abort Transfer", this)) {
    setWindowTitle("File Transfer Status");
    setModal(false);
    // Shown beside the terminal without taking its keyboard.  It still
    // accepts the focus, so that a window manager handing the focus on to
    // it (as when another window closes) hands it to this program, which
    // gives it back to the terminal (changeEvent); a window refusing it
    // would leave the keyboard with no window at all.
    setAttribute(Qt::WA_ShowWithoutActivating);
    abort_->setFocusPolicy(Qt::NoFocus);
    abort_->setAutoDefault(false);
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
    message_->setWordWrap(true);
    message_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    message_->hide();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(message_);
    layout->addWidget(abort_, 0, Qt::AlignCenter);
    connect(abort_, &QPushButton::clicked, this, &CTransferStatusDlg::ButtonClicked);
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

void CTransferStatusDlg::ShowError(const QString& detail) {
    message_->setText(detail.isEmpty() ? QStringLiteral("Error!") : "Error! " + detail);
    message_->show();
    emit changed();
}

void CTransferStatusDlg::SetField(Field field, const QString& text) {
    Label(field)->setText(text);
    emit changed();
}

void CTransferStatusDlg::ButtonClicked() {
    if (over_) {
        close();
    } else {
        emit abortRequested();
    }
}

void CTransferStatusDlg::Dismiss() {
    over_ = true;
    close();
}

void CTransferStatusDlg::KeepAfterFailure() {
    over_ = true;
    abort_->setText("Close");
    abort_->setEnabled(true);
    // From now on the user may bring it forward and close it with Esc.
    abort_->setFocusPolicy(Qt::StrongFocus);
    show();
}

void CTransferStatusDlg::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    // Whatever the window manager activates, the keyboard goes back to the
    // terminal while the transfer runs.
    if (event->type() != QEvent::ActivationChange || over_ || !isActiveWindow()) return;
    QWidget* owner = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
    if (owner == nullptr) return;
    QTimer::singleShot(0, owner, [owner = QPointer<QWidget>(owner)] {
        if (owner != nullptr) owner->activateWindow();
    });
}

void CTransferStatusDlg::closeEvent(QCloseEvent* event) {
    if (!over_) {
        event->ignore();
        return;
    }
    // QDialog would reject(), which only closes again.
    event->accept();
}

void CTransferStatusDlg::reject() {
    if (over_) close();
}

} // namespace tamsivane
