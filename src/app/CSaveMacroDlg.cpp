#include "app/CSaveMacroDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/CScriptDialogs.h"
#include "config/ResourceStrings.h"
#include "script/MacroTargets.h"

namespace tamsivane {

CSaveMacroDlg::CSaveMacroDlg(std::string script, const std::array<std::string, kButtons>& captions,
                             UserNotifier& user, QWidget* parent)
    : QDialog(parent),
      script_(std::move(script)),
      user_(user),
      toButton_(new QRadioButton("Save to button:", this)),
      toKey_(new QRadioButton("Save to mapped key", this)),
      toClipboard_(new QRadioButton("Copy to clipboard", this)),
      buttons_(new QListWidget(this)),
      caption_(new QLineEdit(this)),
      keys_(new QListWidget(this)),
      character_(new QLineEdit(this)),
      ctrl_(new QCheckBox("CTRL", this)),
      alt_(new QCheckBox("ALT", this)),
      shift_(new QCheckBox("SHIFT", this)) {
    setWindowTitle("Save Recorded Macro");
    for (int i = 0; i < kButtons; ++i) {
        buttons_->addItem(
            QString::asprintf("Button #%02d %s", i + 1, captions[static_cast<size_t>(i)].c_str()));
    }
    for (const char* name : MacroKeyNames()) keys_->addItem(name);
    buttons_->setCurrentRow(0);
    keys_->setCurrentRow(0);
    character_->setMaxLength(1);
    toButton_->setChecked(true);

    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(
        "Your macro has been recorded as a Tamsivane script. Please select to "
        "where you want to save the generated script:",
        this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto* grid = new QGridLayout;
    grid->addWidget(toButton_, 0, 0);
    grid->addWidget(buttons_, 1, 0);
    auto* captionRow = new QHBoxLayout;
    captionRow->addWidget(new QLabel("Button Caption:", this));
    captionRow->addWidget(caption_);
    grid->addLayout(captionRow, 2, 0);
    grid->addWidget(toKey_, 0, 1);
    auto* keyRow = new QHBoxLayout;
    keyRow->addWidget(keys_);
    keyRow->addWidget(character_, 0, Qt::AlignTop);
    grid->addLayout(keyRow, 1, 1);
    auto* modifierRow = new QHBoxLayout;
    for (QCheckBox* box : {ctrl_, alt_, shift_}) modifierRow->addWidget(box);
    grid->addLayout(modifierRow, 2, 1);
    layout->addLayout(grid);
    layout->addWidget(toClipboard_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* edit = buttons->addButton("Edit Script", QDialogButtonBox::ActionRole);
    connect(edit, &QPushButton::clicked, this, &CSaveMacroDlg::EditScript);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    for (QRadioButton* choice : {toButton_, toKey_, toClipboard_}) {
        connect(choice, &QRadioButton::toggled, this, &CSaveMacroDlg::UpdateEnabled);
    }
    UpdateEnabled();
}

void CSaveMacroDlg::UpdateEnabled() {
    const bool button = toButton_->isChecked();
    const bool key = toKey_->isChecked();
    buttons_->setEnabled(button);
    caption_->setEnabled(button);
    for (QWidget* widget :
         std::initializer_list<QWidget*>{keys_, character_, ctrl_, alt_, shift_}) {
        widget->setEnabled(key);
    }
}

void CSaveMacroDlg::EditScript() {
    CEditScriptDlg editor(script_, this);
    if (editor.exec() == QDialog::Accepted) script_ = editor.Script();
}

CSaveMacroDlg::Target CSaveMacroDlg::Choice() const {
    return toButton_->isChecked() ? Target::Button
           : toKey_->isChecked()  ? Target::Key
                                  : Target::Clipboard;
}

int CSaveMacroDlg::ButtonIndex() const { return buttons_->currentRow(); }

std::string CSaveMacroDlg::Caption() const { return caption_->text().toStdString(); }

uint8_t CSaveMacroDlg::KeyCode() const {
    const QString text = character_->text();
    const char character = text.size() == 1 ? text.front().toLatin1() : '\0';
    return MacroKeyCode(static_cast<size_t>(keys_->currentRow()), character);
}

uint8_t CSaveMacroDlg::Modifiers() const {
    return static_cast<uint8_t>((ctrl_->isChecked() ? 2 : 0) | (alt_->isChecked() ? 1 : 0) |
                                (shift_->isChecked() ? 4 : 0));
}

void CSaveMacroDlg::accept() {
    switch (Choice()) {
    case Target::Button:
        if (caption_->text().isEmpty()) {
            user_.Notify(Msg::NoButtonCaption);
            caption_->setFocus();
            return;
        }
        break;
    case Target::Key:
        if (keys_->currentRow() == 0 && (character_->text().size() != 1 || KeyCode() == 0)) {
            user_.Notify(Msg::NoMappedKeyCharacter);
            character_->setFocus();
            return;
        }
        break;
    case Target::Clipboard:
        QApplication::clipboard()->setText(QString::fromStdString(script_));
        break;
    }
    QDialog::accept();
}

} // namespace tamsivane
