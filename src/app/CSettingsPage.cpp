#include "app/CSettingsPage.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>

#include <climits>

#include "app/CSettingsSheet.h"
#include "emulator/ControlNames.h"
#include "session/UserNotifier.h"

namespace tamsivane {
namespace {

// Checkbox-like parameters hold any non-zero value as "on"; saving keeps a
// stored non-zero value when the box stays checked.
int32_t CheckValue(bool checked, int32_t stored) {
    if (!checked) return 0;
    return stored != 0 ? stored : 1;
}

QWidget* Labelled(QBoxLayout* layout, const char* label, QWidget* field) {
    if (label == nullptr) {
        layout->addWidget(field);
        return field;
    }
    auto* row = new QHBoxLayout;
    auto* caption = new QLabel(label);
    caption->setBuddy(field);
    row->addWidget(caption);
    row->addWidget(field, 1);
    layout->addLayout(row);
    return field;
}

} // namespace

CSettingsPage::CSettingsPage(CSettingsSheet& sheet, const QString& title)
    : sheet_(sheet), title_(title) {
    setObjectName(title);
}

SettingsStore& CSettingsPage::Working() const { return sheet_.Settings(); }

UserNotifier& CSettingsPage::User() const { return sheet_.Context().user; }

void CSettingsPage::Tell(int stringId) const { User().Notify(stringId); }

bool CSettingsPage::ExchangeData(ExchangeDirection direction) {
    if (direction == ExchangeDirection::Save) {
        // Every text first: a refused one leaves the working copy untouched.
        std::vector<std::string> texts(texts_.size());
        for (size_t i = 0; i < texts_.size(); ++i) {
            if (!texts_[i].read(texts[i])) return false;
        }
        for (size_t i = 0; i < texts_.size(); ++i) {
            ExchangeString(direction, texts_[i].param, texts[i]);
        }
        for (const NumberBinding& binding : numbers_) {
            int32_t value = binding.read(Working().GetNumber(binding.param));
            ExchangeNumber(direction, binding.param, value);
        }
    } else {
        for (const TextBinding& binding : texts_) {
            std::string text;
            ExchangeString(direction, binding.param, text);
            binding.show(text);
        }
        for (const NumberBinding& binding : numbers_) {
            int32_t value = 0;
            ExchangeNumber(direction, binding.param, value);
            binding.show(value);
        }
    }
    return Exchange(direction);
}

bool CSettingsPage::Exchange(ExchangeDirection) { return true; }

void CSettingsPage::ExchangeNumber(ExchangeDirection direction, int param, int32_t& field) {
    if (direction == ExchangeDirection::Save) {
        Working().SetNumber(param, field); // a value the parameter refuses leaves it as it was
    } else {
        field = Working().GetNumber(param);
    }
}

void CSettingsPage::ExchangeString(ExchangeDirection direction, int param, std::string& field) {
    if (direction == ExchangeDirection::Save) {
        Working().SetString(param, field);
    } else {
        field = Working().GetString(param);
    }
}

void CSettingsPage::BindNumber(int param, std::function<int32_t(int32_t)> read,
                               std::function<void(int32_t)> show) {
    numbers_.push_back({param, std::move(read), std::move(show)});
}

QGroupBox* CSettingsPage::AddChoice(QBoxLayout* layout, const ChoiceRule& rule) {
    auto* box = new QGroupBox(rule.title ? QString(rule.title) : QString(), this);
    box->setObjectName(Descriptor(rule.param).key);
    auto* buttons = new QVBoxLayout(box);
    auto* group = new QButtonGroup(box);
    for (const Choice& choice : rule.choices) {
        if (choice.caption == nullptr) break;
        auto* button = new QRadioButton(choice.caption, box);
        buttons->addWidget(button);
        group->addButton(button, choice.value);
    }
    layout->addWidget(box);
    BindNumber(
        rule.param,
        [group](int32_t stored) { return group->checkedId() != -1 ? group->checkedId() : stored; },
        [group](int32_t value) {
            QAbstractButton* button = group->button(value);
            if (button != nullptr) {
                button->setChecked(true);
            } else if (QAbstractButton* checked = group->checkedButton()) {
                group->setExclusive(false);
                checked->setChecked(false);
                group->setExclusive(true);
            }
        });
    return box;
}

void CSettingsPage::AddChoices(QBoxLayout* layout, std::span<const ChoiceRule> rules) {
    for (const ChoiceRule& rule : rules) AddChoice(layout, rule);
}

QCheckBox* CSettingsPage::AddCheck(QBoxLayout* layout, const CheckRule& rule) {
    auto* box = new QCheckBox(rule.caption, this);
    box->setObjectName(Descriptor(rule.param).key);
    layout->addWidget(box);
    BindNumber(
        rule.param, [box](int32_t stored) { return CheckValue(box->isChecked(), stored); },
        [box](int32_t value) { box->setChecked(value != 0); });
    return box;
}

void CSettingsPage::AddChecks(QBoxLayout* layout, std::span<const CheckRule> rules) {
    for (const CheckRule& rule : rules) AddCheck(layout, rule);
}

QSpinBox* CSettingsPage::AddNumber(QBoxLayout* layout, int param, const char* label) {
    auto* spin = new QSpinBox(this);
    spin->setObjectName(Descriptor(param).key);
    const ValueRange* range = Descriptor(param).range;
    spin->setRange(range ? range->min : 0, range ? range->max : INT_MAX);
    Labelled(layout, label, spin);
    BindNumber(
        param, [spin](int32_t) { return spin->value(); },
        [spin](int32_t value) { spin->setValue(value); });
    return spin;
}

QLineEdit* CSettingsPage::AddText(QBoxLayout* layout, int param, const char* label) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(Descriptor(param).key);
    Labelled(layout, label, edit);
    texts_.push_back(
        {param,
         [edit](std::string& out) {
             out = edit->text().toStdString();
             return true;
         },
         [edit](const std::string& text) { edit->setText(QString::fromStdString(text)); }});
    return edit;
}

QLineEdit* CSettingsPage::AddNotation(QBoxLayout* layout, int param, const char* label) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(Descriptor(param).key);
    Labelled(layout, label, edit);
    texts_.push_back({param,
                      [this, edit](std::string& out) {
                          if (DecodeNotation(edit->text().toStdString(), out)) return true;
                          Tell(Msg::InvalidSequence);
                          edit->setFocus();
                          return false;
                      },
                      [edit](const std::string& bytes) {
                          edit->setText(QString::fromStdString(EncodeNotation(bytes)));
                      }});
    return edit;
}

QComboBox* CSettingsPage::AddList(QBoxLayout* layout, int param, const char* label,
                                  std::span<const char* const> items,
                                  std::span<const int32_t> values) {
    auto* list = new QComboBox(this);
    list->setObjectName(Descriptor(param).key);
    for (size_t i = 0; i < items.size(); ++i) {
        list->addItem(items[i], values.empty() ? static_cast<int>(i) : values[i]);
    }
    Labelled(layout, label, list);
    BindNumber(
        param,
        [list](int32_t stored) {
            return list->currentIndex() >= 0 ? list->currentData().toInt() : stored;
        },
        [list](int32_t value) { list->setCurrentIndex(list->findData(value)); });
    return list;
}

QGroupBox* CSettingsPage::AddFont(QBoxLayout* layout, const char* title, int faceParam,
                                  int sizeParam, int boldParam) {
    auto* box = new QGroupBox(title, this);
    auto* rows = new QVBoxLayout(box);
    auto* face = new QComboBox(box);
    face->setObjectName(Descriptor(faceParam).key);
    face->setEditable(true);
    face->setInsertPolicy(QComboBox::NoInsert);
    for (const QString& family : QFontDatabase::families()) {
        if (QFontDatabase::isFixedPitch(family)) face->addItem(family);
    }
    rows->addWidget(face);
    texts_.push_back(
        {faceParam,
         [face](std::string& out) {
             out = face->currentText().trimmed().toStdString();
             return true;
         },
         [face](const std::string& text) { face->setEditText(QString::fromStdString(text)); }});
    auto* line = new QHBoxLayout;
    rows->addLayout(line);
    AddNumber(line, sizeParam, "Size:");
    AddCheck(line, {boldParam, "Bold"});
    layout->addWidget(box);
    return box;
}

} // namespace tamsivane
