// The Key Map page: the PC keyboard picture coloured by how each key is
// mapped, and the mapping of the chosen key with the checked modifiers.
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/CSettingsSheet.h"
#include "app/SettingsPages.h"
#include "config/ResourceStrings.h"
#include "config/Templates.h"
#include "emulator/ControlNames.h"
#include "keyboard/CommandTable.h"
#include "keyboard/KeyMapping.h"
#include "keyboard/KeyboardInput.h"
#include "view/CMapToVtKeyDlg.h"
#include "view/KeyPictureWidget.h"
#include "view/LayoutPanel.h"

namespace tamsivane {
namespace {

constexpr const char* kKeyTemplates[kKeyTemplateCount] = {
    "VT420/320/220 Keyboard", "SCO Console Keyboard", "Linux Console Keyboard", "AT386 Keyboard",
    "Wyse 60 Keyboard"};

struct ModifierBox {
    const char* caption;
    const char* prefix;
    uint8_t bit;
};
constexpr ModifierBox kModifiers[] = {{"Alt", "Alt+ ", Modifier::Alt},
                                      {"Ctrl", "Ctrl+ ", Modifier::Ctrl},
                                      {"Shift", "Shift+ ", Modifier::Shift}};

QColor StateColour(KeyMappingState state) {
    switch (state) {
    case KeyMappingState::Plain:
        return QColor(0xFF, 0x00, 0x00);
    case KeyMappingState::WithModifiers:
        return QColor(0x00, 0xFF, 0x00);
    case KeyMappingState::Both:
        return QColor(0xFF, 0xFF, 0x00);
    case KeyMappingState::None:
        break;
    }
    return QColor(0xC0, 0xC0, 0xC0);
}

// The menu items a key may perform: every command of the menus up to Print.
QStringList MenuItems() {
    QStringList items;
    for (const CommandInfo& command : CommandTable()) {
        if (command.id == 0) continue;
        if (MenuText(command.menu) == "Help") break;
        items << QString::fromStdString(MenuPath(command));
    }
    return items;
}

} // namespace

CPageKeymap::CPageKeymap(CSettingsSheet& sheet)
    : CSettingsPage(sheet, "Key Map"),
      panel_(new LayoutPanel(KeyboardLayouts::Installed(), 0, this)),
      keyName_(new QLabel(this)),
      kind_(new QComboBox(this)),
      vtKeyName_(new QLineEdit(this)),
      change_(new QPushButton("Change", this)),
      text_(new QLineEdit(this)),
      menu_(new QComboBox(this)),
      set_(new QPushButton("Set", this)) {
    auto* rows = new QVBoxLayout(this);
    rows->addWidget(panel_);
    connect(panel_, &LayoutPanel::keyClicked, this, [this](int key) {
        key_ = static_cast<uint8_t>(key);
        ShowMapping();
    });
    connect(panel_, &LayoutPanel::layoutChanged, this, [this] {
        key_ = 0;
        ColourKeys();
        ShowMapping();
    });

    auto* keyRow = new QHBoxLayout;
    rows->addLayout(keyRow);
    for (size_t i = 0; i < std::size(kModifiers); ++i) {
        modifiers_[i] = new QCheckBox(kModifiers[i].caption, this);
        keyRow->addWidget(modifiers_[i]);
        connect(modifiers_[i], &QCheckBox::toggled, this, &CPageKeymap::ShowMapping);
    }
    keyName_->setObjectName("keyName");
    keyRow->addWidget(keyName_, 1);

    auto* mappingRow = new QHBoxLayout;
    rows->addLayout(mappingRow);
    kind_->setObjectName("mapping");
    for (const char* kind : kMappingKindNames) kind_->addItem(kind);
    mappingRow->addWidget(new QLabel("Mapping:", this));
    mappingRow->addWidget(kind_);
    vtKeyName_->setObjectName("vtKey");
    vtKeyName_->setReadOnly(true);
    change_->setObjectName("change");
    text_->setObjectName("text");
    menu_->setObjectName("menuItem");
    menu_->addItems(MenuItems());
    mappingRow->addWidget(vtKeyName_, 1);
    mappingRow->addWidget(change_);
    mappingRow->addWidget(text_, 1);
    mappingRow->addWidget(menu_, 1);
    connect(kind_, &QComboBox::currentIndexChanged, this, &CPageKeymap::ShowKindFields);
    connect(change_, &QPushButton::clicked, this, [this] {
        CMapToVtKeyDlg dialog(User(), vtKey_, this);
        if (dialog.exec() != QDialog::Accepted) return;
        vtKey_ = dialog.SelectedKey();
        vtKeyName_->setText(VtKeyName(vtKey_));
    });

    auto* buttons = new QHBoxLayout;
    rows->addLayout(buttons);
    set_->setObjectName("set");
    auto* defaults = new QPushButton("Default", this);
    defaults->setObjectName("default");
    auto* templates = new QComboBox(this);
    templates->setObjectName("keyTemplate");
    for (const char* name : kKeyTemplates) templates->addItem(name);
    for (const std::string& name : Sheet().Context().templates.Names()) {
        templates->addItem(QString::fromStdString(name));
    }
    templates->setCurrentIndex(-1);
    buttons->addWidget(set_);
    buttons->addWidget(defaults);
    buttons->addWidget(new QLabel("Use Template:", this));
    buttons->addWidget(templates, 1);
    connect(set_, &QPushButton::clicked, this, &CPageKeymap::SetMapping);
    connect(defaults, &QPushButton::clicked, this, [this] {
        Sheet().Keys().ResetToDefaults();
        KeysReplaced();
    });
    connect(templates, &QComboBox::activated, this,
            [this, templates](int index) { UseTemplate(index, templates->itemText(index)); });
    rows->addStretch(1);
}

uint8_t CPageKeymap::Modifiers() const {
    uint8_t modifiers = 0;
    for (size_t i = 0; i < std::size(kModifiers); ++i) {
        if (modifiers_[i]->isChecked()) modifiers |= kModifiers[i].bit;
    }
    return modifiers;
}

void CPageKeymap::ColourKeys() {
    const int layout = panel_->Layout();
    for (const KeyRect& key : panel_->Layouts().Keys(layout)) {
        panel_->Picture()->ColourKey(key.key, StateColour(MappingState(Sheet().Keys(), key.key)));
    }
}

// The chosen key's name after the checked modifiers, and its mapping.
void CPageKeymap::ShowMapping() {
    QString name;
    for (size_t i = 0; i < std::size(kModifiers); ++i) {
        if (modifiers_[i]->isChecked()) name += kModifiers[i].prefix;
    }
    const int layout = panel_->Layout();
    const std::string keyName = key_ ? panel_->Layouts().KeyName(layout, key_) : std::string();
    name += keyName.empty() ? QString::asprintf("Key #%d", key_) : QString::fromStdString(keyName);
    keyName_->setText(key_ ? name : QString());

    const bool mappable = key_ != 0 && panel_->Layouts().IsMappable(layout, key_, Modifiers());
    kind_->setEnabled(mappable);
    set_->setEnabled(mappable);
    const KeyLookup mapping = Sheet().Keys().LookUp(key_, Modifiers());
    const MappingKind kind = KindOfAction(mapping.action);
    vtKey_ = kind == MappingKind::VtKey ? mapping.action : 0;
    vtKeyName_->setText(vtKey_ ? VtKeyName(vtKey_) : "");
    text_->setText(QString::fromStdString(
        kind == MappingKind::Sequence ? EncodeNotation(mapping.text) : mapping.text));
    menu_->setCurrentIndex(
        kind == MappingKind::MenuItem ? menu_->findText(QString::fromStdString(mapping.text)) : -1);
    kind_->setCurrentIndex(static_cast<int>(kind));
    ShowKindFields();
}

void CPageKeymap::ShowKindFields() {
    const auto kind = static_cast<MappingKind>(kind_->currentIndex());
    vtKeyName_->setVisible(kind == MappingKind::VtKey);
    change_->setVisible(kind == MappingKind::VtKey);
    menu_->setVisible(kind == MappingKind::MenuItem);
    text_->setVisible(kind == MappingKind::Sequence || kind == MappingKind::ScriptText ||
                      kind == MappingKind::ScriptFile);
}

void CPageKeymap::SetMapping() {
    if (key_ == 0) return;
    KeyMap& keys = Sheet().Keys();
    const uint8_t modifiers = Modifiers();
    const auto kind = static_cast<MappingKind>(kind_->currentIndex());
    std::string text = text_->text().toStdString();
    switch (kind) {
    case MappingKind::None:
        keys.RemoveEntry(key_, modifiers);
        break;
    case MappingKind::VtKey:
        if (vtKey_ == 0) {
            Tell(Msg::NoVtKeySelected);
            return;
        }
        keys.SetEntry(key_, modifiers, ActionOfKind(kind, vtKey_), "");
        break;
    case MappingKind::Sequence: {
        std::string bytes;
        if (!DecodeNotation(text, bytes)) {
            Tell(Msg::InvalidSequence);
            return;
        }
        keys.SetEntry(key_, modifiers, ActionOfKind(kind), bytes);
        break;
    }
    case MappingKind::MenuItem:
        if (menu_->currentIndex() < 0) {
            Tell(Msg::SelectMenuItem);
            return;
        }
        keys.SetEntry(key_, modifiers, ActionOfKind(kind), menu_->currentText().toStdString());
        break;
    case MappingKind::ScriptText:
    case MappingKind::ScriptFile:
        keys.SetEntry(key_, modifiers, ActionOfKind(kind), text);
        break;
    }
    ColourKeys();
}

// A built-in template (the first five entries) or a saved settings template's key map.
void CPageKeymap::UseTemplate(int index, const QString& name) {
    if (index < kKeyTemplateCount) {
        Sheet().Keys().ApplyTemplate(index);
    } else {
        SettingsStore settings;
        KeyMap keys;
        if (!Sheet().Context().templates.Load(name.toStdString(), settings, keys)) {
            Tell(Msg::CannotLoadTemplate);
            return;
        }
        Sheet().Keys() = keys;
    }
    KeysReplaced();
}

void CPageKeymap::KeysReplaced() {
    ColourKeys();
    ShowMapping();
}

bool CPageKeymap::Exchange(ExchangeDirection direction) {
    if (direction == ExchangeDirection::Save) {
        Working().SetNumber(P::KBLayout, panel_->Layout());
        return true;
    }
    panel_->SetLayout(panel_->Layouts().Valid(Working().GetNumber(P::KBLayout)));
    KeysReplaced();
    return true;
}

} // namespace tamsivane
