#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/CSettingsSheet.h"
#include "app/SettingsPages.h"
#include "emulator/ControlNames.h"

namespace tamsivane {
namespace {

constexpr int kButtonCount = 32;
constexpr int kSendSequence = 0;
constexpr const char* kButtonActions[] = {"Send Sequence", "Execute Script", "Run Script File"};

} // namespace

CPageButtons::CPageButtons(CSettingsSheet& sheet)
    : CSettingsPage(sheet, "Buttons"),
      list_(new QListWidget(this)),
      caption_(new QLineEdit(this)),
      action_(new QComboBox(this)),
      text_(new QLineEdit(this)) {
    auto* rows = new QVBoxLayout(this);
    list_->setObjectName("buttons");
    rows->addWidget(list_, 1);
    auto* form = new QHBoxLayout;
    rows->addLayout(form);
    caption_->setObjectName("caption");
    action_->setObjectName("action");
    text_->setObjectName("string");
    for (const char* action : kButtonActions) action_->addItem(action);
    form->addWidget(new QLabel("Caption:", this));
    form->addWidget(caption_);
    form->addWidget(new QLabel("Action:", this));
    form->addWidget(action_);
    rows->addWidget(text_);
    auto* set = new QPushButton("Set", this);
    set->setObjectName("set");
    rows->addWidget(set);
    connect(list_, &QListWidget::currentRowChanged, this, &CPageButtons::ShowButton);
    connect(set, &QPushButton::clicked, this, &CPageButtons::SetButton);
}

void CPageButtons::FillList() {
    const int row = list_->currentRow();
    const QSignalBlocker blocker(list_);
    list_->clear();
    for (int i = 0; i < kButtonCount; ++i) {
        const QString caption =
            QString::fromStdString(Working().GetArrayString(P::ButtonCaption, i));
        list_->addItem(QString::asprintf("Button #%02d: ", i + 1) + caption);
    }
    list_->setCurrentRow(row >= 0 ? row : 0);
}

void CPageButtons::ShowButton(int index) {
    if (index < 0) return;
    const int32_t action = Working().GetArrayNumber(P::ButtonAction, index);
    const std::string& text = Working().GetArrayString(P::ButtonString, index);
    caption_->setText(QString::fromStdString(Working().GetArrayString(P::ButtonCaption, index)));
    action_->setCurrentIndex(action >= 0 && action < action_->count() ? action : kSendSequence);
    text_->setText(QString::fromStdString(action == kSendSequence ? EncodeNotation(text) : text));
}

void CPageButtons::SetButton() {
    const int index = list_->currentRow();
    if (index < 0) return;
    const int action = action_->currentIndex();
    std::string text = text_->text().toStdString();
    if (action == kSendSequence) {
        std::string bytes;
        if (!DecodeNotation(text, bytes)) {
            Tell(Msg::InvalidSequence);
            return;
        }
        text = std::move(bytes);
    }
    Working().SetArrayString(P::ButtonCaption, index, caption_->text().toStdString());
    Working().SetArrayNumber(P::ButtonAction, index, action);
    Working().SetArrayString(P::ButtonString, index, text);
    FillList();
}

bool CPageButtons::Exchange(ExchangeDirection direction) {
    if (direction == ExchangeDirection::Load) {
        FillList();
        ShowButton(list_->currentRow());
    }
    return true;
}

} // namespace tamsivane
