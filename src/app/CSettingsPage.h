// One page of the settings sheet.  A page shows part of the sheet's working
// copy of the settings: it loads its controls from the copy when it is shown
// and saves them into the copy when the user leaves it or presses OK.
//
// Controls that stand for one parameter by a uniform rule (radio buttons
// with a value each, check boxes, number and text fields, lists) are made
// from the rule tables of each page and exchanged here; a page's own
// Exchange() carries the rules that are not uniform.
#pragma once

#include <QWidget>

#include <array>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "config/ResourceStrings.h"
#include "config/SettingsStore.h"

class QBoxLayout;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QSpinBox;

namespace tamsivane {

class CSettingsSheet;
class KeyMap;
class UserNotifier;

enum class ExchangeDirection { Load, Save };

// One radio button and the value it stores.
struct Choice {
    const char* caption = nullptr; // nullptr ends the list
    int32_t value = 0;
};

// A radio group for one parameter; the button whose value the parameter
// holds is checked (none for a value no button has, which then stays).
struct ChoiceRule {
    int param;
    const char* title; // group title, nullptr for none
    std::array<Choice, 6> choices;
};

// A check box: checked stores 1, unchecked 0.
struct CheckRule {
    int param;
    const char* caption;
};

class CSettingsPage : public QWidget {
    Q_OBJECT
public:
    CSettingsPage(CSettingsSheet& sheet, const QString& title);

    const QString& Title() const { return title_; }
    // Loads the controls from the working copy or saves them into it.  False
    // when a control holds a value that cannot be stored: the user has been
    // told why and the page stays.
    bool ExchangeData(ExchangeDirection direction);

protected:
    // The page's own rules, after the bound controls.
    virtual bool Exchange(ExchangeDirection direction);

    // Save: field into the working copy; Load: the working copy into field.
    void ExchangeNumber(ExchangeDirection direction, int param, int32_t& field);
    void ExchangeString(ExchangeDirection direction, int param, std::string& field);

    CSettingsSheet& Sheet() const { return sheet_; }
    SettingsStore& Working() const;
    UserNotifier& User() const;

    // --- controls bound to one parameter, added to layout
    QGroupBox* AddChoice(QBoxLayout* layout, const ChoiceRule& rule);
    void AddChoices(QBoxLayout* layout, std::span<const ChoiceRule> rules);
    QCheckBox* AddCheck(QBoxLayout* layout, const CheckRule& rule);
    void AddChecks(QBoxLayout* layout, std::span<const CheckRule> rules);
    // Limits from the parameter's accepted range when it has one.
    QSpinBox* AddNumber(QBoxLayout* layout, int param, const char* label);
    // label nullptr: the field alone.
    QLineEdit* AddText(QBoxLayout* layout, int param, const char* label);
    // A text shown in the escape notation and stored decoded; a malformed
    // escape refuses to save with "Invalid format in sequence.".
    QLineEdit* AddNotation(QBoxLayout* layout, int param, const char* label);
    // A list; entry i stores values[i], or i when values is empty.
    QComboBox* AddList(QBoxLayout* layout, int param, const char* label,
                       std::span<const char* const> items, std::span<const int32_t> values = {});
    // A font face (editable list of the fixed-pitch families), its size and "Bold".
    QGroupBox* AddFont(QBoxLayout* layout, const char* title, int faceParam, int sizeParam,
                       int boldParam);

    // A validation message from the string table; the page stays open.
    void Tell(int stringId) const;

private:
    struct NumberBinding {
        int param;
        std::function<int32_t(int32_t stored)> read; // stored: the working copy's value
        std::function<void(int32_t)> show;
    };
    struct TextBinding {
        int param;
        std::function<bool(std::string&)> read; // false: cannot be stored
        std::function<void(const std::string&)> show;
    };
    void BindNumber(int param, std::function<int32_t(int32_t)> read,
                    std::function<void(int32_t)> show);

    CSettingsSheet& sheet_;
    QString title_;
    std::vector<NumberBinding> numbers_;
    std::vector<TextBinding> texts_;
};

} // namespace tamsivane
