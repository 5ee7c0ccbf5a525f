#include "app/CInputBoxDlg.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tamsivane {

namespace {
constexpr const char* kAllFilesFilter = "All Files (*.*)";
} // namespace

CInputBoxDlg::CInputBoxDlg(const QString& prompt, const QString& initial, InputStyle style,
                           QWidget* parent)
    : QDialog(parent), prompt_(prompt), style_(style), field_(new QLineEdit(initial, this)) {
    setWindowTitle("Input Box");
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(prompt, this);
    label->setWordWrap(true);
    layout->addWidget(label);
    auto* row = new QHBoxLayout;
    row->addWidget(field_);
    if (style == InputStyle::Password) field_->setEchoMode(QLineEdit::Password);
    if (style == InputStyle::SaveFile || style == InputStyle::OpenFile) {
        browse_ = new QPushButton("...", this);
        browse_->setAutoDefault(false);
        connect(browse_, &QPushButton::clicked, this, &CInputBoxDlg::Browse);
        row->addWidget(browse_);
    }
    layout->addLayout(row);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    field_->setFocus();
}

QString CInputBoxDlg::Text() const { return field_->text(); }

void CInputBoxDlg::Browse() {
    QFileDialog dialog(this, prompt_, field_->text(), kAllFilesFilter);
    if (style_ == InputStyle::SaveFile) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
    } else {
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        field_->setText(dialog.selectedFiles().front());
    }
}

} // namespace tamsivane
