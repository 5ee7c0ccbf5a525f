#include "view/FindTextDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tamsivane {

FindTextDialog::FindTextDialog(const FindRequest& initial, QWidget* parent)
    : QDialog(parent),
      text_(new QLineEdit(QString::fromStdU16String(initial.text), this)),
      up_(new QRadioButton("Search &Up", this)),
      down_(new QRadioButton("Search &Down", this)),
      caseSensitive_(new QCheckBox("&Case Sensitive", this)),
      wholeWord_(new QCheckBox("&Whole Word Only", this)) {
    setWindowTitle("Find Text");
    (initial.down ? down_ : up_)->setChecked(true);
    caseSensitive_->setChecked(initial.caseSensitive);
    wholeWord_->setChecked(initial.wholeWord);
    text_->selectAll();

    auto* form = new QFormLayout;
    form->addRow("&Find:", text_);
    auto* direction = new QGroupBox("Direction", this);
    auto* directionLayout = new QHBoxLayout(direction);
    directionLayout->addWidget(up_);
    directionLayout->addWidget(down_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Nothing to find, nothing to start.
    const auto enableOk = [this, buttons] {
        buttons->button(QDialogButtonBox::Ok)->setEnabled(!text_->text().isEmpty());
    };
    connect(text_, &QLineEdit::textChanged, this, enableOk);
    enableOk();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(direction);
    layout->addWidget(caseSensitive_);
    layout->addWidget(wholeWord_);
    layout->addWidget(buttons);
}

FindRequest FindTextDialog::Choice() const {
    return FindRequest{text_->text().toStdU16String(), down_->isChecked(),
                       caseSensitive_->isChecked(), wholeWord_->isChecked()};
}

} // namespace tamsivane
