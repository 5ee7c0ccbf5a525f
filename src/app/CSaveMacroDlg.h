// "Save Recorded Macro": where a recorded script goes -- a button of the
// button bar (with its caption), a mapped key (a named key, or the key that
// types a character, with CTRL, ALT and SHIFT), or the clipboard.  "Edit
// Script" changes the script first.
#pragma once

#include <QDialog>

#include <array>
#include <string>

#include "session/UserNotifier.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QRadioButton;

namespace tamsivane {

class CSaveMacroDlg final : public QDialog {
    Q_OBJECT
public:
    enum class Target { Button, Key, Clipboard };
    static constexpr int kButtons = 32;

    // captions: the session's 32 button captions.
    CSaveMacroDlg(std::string script, const std::array<std::string, kButtons>& captions,
                  UserNotifier& user, QWidget* parent = nullptr);

    // After OK.
    Target Choice() const;
    const std::string& Script() const { return script_; }
    int ButtonIndex() const;
    std::string Caption() const;
    uint8_t KeyCode() const;
    // 2 CTRL, 1 ALT, 4 SHIFT.
    uint8_t Modifiers() const;

    void accept() override;

    QRadioButton* ButtonChoice() const { return toButton_; }
    QRadioButton* KeyChoice() const { return toKey_; }
    QRadioButton* ClipboardChoice() const { return toClipboard_; }
    QListWidget* ButtonList() const { return buttons_; }
    QLineEdit* CaptionField() const { return caption_; }
    QListWidget* KeyList() const { return keys_; }
    QLineEdit* CharacterField() const { return character_; }
    std::array<QCheckBox*, 3> ModifierBoxes() const { return {ctrl_, alt_, shift_}; }

private:
    void UpdateEnabled();
    void EditScript();

    std::string script_;
    UserNotifier& user_;
    QRadioButton* toButton_;
    QRadioButton* toKey_;
    QRadioButton* toClipboard_;
    QListWidget* buttons_;
    QLineEdit* caption_;
    QListWidget* keys_;
    QLineEdit* character_;
    QCheckBox* ctrl_;
    QCheckBox* alt_;
    QCheckBox* shift_;
};

} // namespace tamsivane
