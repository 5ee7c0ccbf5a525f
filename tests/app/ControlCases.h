// Data-driven cases of dialogs driven through their controls: each case a
// fresh dialog over fresh settings.  The directives every dialog takes:
//
//   === title            starts a case
//   set Key=Value        a setting before the dialog opens; Key[i]=Value an element
//   click Caption        clicks the button with that caption
//   choose name Entry    chooses an entry of a list
//   edit name text       types into a line edit, or sets an editable list's text
//   number name N        sets a number box
//   shows name text      a line edit's or list's text
//   count name N         the entries of a list
//   checked Caption      the button is checked; unchecked alike
//   enabled name         the control is enabled; disabled, visible, hidden alike
//   ok [message]         clicks OK; the message shown, none when left out
//   expect Key=Value     the settings after OK; Key[i]=Value an element
//
// Settings' values, captions and messages are in the user-string notation
// ("<CR>", "<LF>", "\xNN"); what is typed or shown is as the user sees it.
// Each dialog's fixture adds its own directives (opening it, pages).
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>

#include <string>
#include <utility>

#include "CaseFiles.h"
#include "config/SettingsStore.h"
#include "emulator/ControlNames.h"

namespace tamsivane::testing {

class ControlCases {
public:
    virtual ~ControlCases() = default;

    void RunCase(const casefile::Case& c) {
        if (c.errorLine != 0) {
            ADD_FAILURE_AT(c.file.c_str(), c.errorLine) << "malformed case file: " << c.error;
            return;
        }
        for (const casefile::Directive& d : c.directives) {
            SCOPED_TRACE(::testing::Message() << c.file << ":" << d.line << " [" << c.title << "]");
            if (!Execute(d) && !Own(d)) {
                ADD_FAILURE_AT(c.file.c_str(), d.line) << "malformed directive " << d.keyword;
                return;
            }
        }
    }

protected:
    // Where names and captions are looked for.
    virtual QWidget* Root() = 0;
    // Clicks OK; the message shown, "" when none.
    virtual std::string Ok() = 0;
    virtual SettingsStore& Before() = 0;
    virtual const SettingsStore& After() = 0;
    // The fixture's own directives; false when d is none of them.
    virtual bool Own(const casefile::Directive& d) = 0;

    static QString Text(std::string_view notation) {
        std::string bytes;
        EXPECT_TRUE(DecodeNotation(notation, bytes)) << notation;
        return QString::fromStdString(bytes);
    }
    template <typename T = QWidget>
    T* Named(const std::string& name) {
        T* widget = Root()->findChild<T*>(QString::fromStdString(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QAbstractButton* Captioned(const QString& caption) {
        for (QAbstractButton* button : Root()->findChildren<QAbstractButton*>()) {
            if (button->text() == caption) return button;
        }
        ADD_FAILURE() << "no button " << caption.toStdString();
        return nullptr;
    }

private:
    // "name rest": the first word and what follows it.
    static std::pair<std::string, std::string> Split(const std::string& argument) {
        const size_t blank = argument.find(' ');
        if (blank == std::string::npos) return {argument, {}};
        return {argument.substr(0, blank), argument.substr(blank + 1)};
    }
    // "Key=Value" or "Key[i]=Value"; the current value tells a number from a text.
    static bool Setting(const SettingsStore& store, const std::string& argument, std::string& key,
                        int& index, SettingValue& value) {
        const size_t equals = argument.find('=');
        std::string text;
        if (equals == std::string::npos || !DecodeNotation(argument.substr(equals + 1), text)) {
            return false;
        }
        key = argument.substr(0, equals);
        index = -1;
        if (const size_t open = key.find('['); open != std::string::npos) {
            index = std::stoi(key.substr(open + 1));
            key.resize(open);
        }
        if (index < 0 ? !store.GetByName(key, value) : !store.GetElementByName(key, index, value)) {
            ADD_FAILURE() << "no setting " << key;
        }
        value = value.isString ? SettingValue{true, 0, text} : SettingValue{false, std::stoi(text), {}};
        return true;
    }

    bool Execute(const casefile::Directive& d) {
        const std::string& k = d.keyword;
        const auto [name, rest] = Split(d.argument);
        std::string key;
        int index = 0;
        SettingValue value, actual;
        if (k == "set") {
            if (!Setting(Before(), d.argument, key, index, value)) return false;
            EXPECT_TRUE(index < 0 ? Before().SetByName(key, value)
                                  : Before().SetElementByName(key, index, value))
                << d.argument;
        } else if (k == "expect") {
            if (!Setting(After(), d.argument, key, index, value)) return false;
            EXPECT_TRUE(index < 0 ? After().GetByName(key, actual)
                                  : After().GetElementByName(key, index, actual));
            EXPECT_EQ(actual.isString ? actual.text : std::to_string(actual.number),
                      value.isString ? value.text : std::to_string(value.number))
                << d.argument;
        } else if (k == "click") {
            if (QAbstractButton* button = Captioned(Text(d.argument))) {
                QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(4, button->height() / 2));
            }
        } else if (k == "choose") {
            auto* list = Named<QComboBox>(name);
            const int at = list->findText(QString::fromStdString(rest));
            EXPECT_GE(at, 0) << rest;
            list->setCurrentIndex(at);
            emit list->activated(at);
            emit list->textActivated(list->currentText());
        } else if (k == "edit") {
            if (auto* list = qobject_cast<QComboBox*>(Named(name))) {
                list->setEditText(QString::fromStdString(rest));
            } else if (auto* edit = Named<QLineEdit>(name)) {
                edit->selectAll();
                QTest::keyClicks(edit, QString::fromStdString(rest));
            }
        } else if (k == "number") {
            Named<QSpinBox>(name)->setValue(std::stoi(rest));
        } else if (k == "shows") {
            QString shown;
            if (auto* list = qobject_cast<QComboBox*>(Named(name))) shown = list->currentText();
            if (auto* edit = qobject_cast<QLineEdit*>(Named(name))) shown = edit->text();
            EXPECT_EQ(shown.toStdString(), rest) << name;
        } else if (k == "count") {
            EXPECT_EQ(Named<QComboBox>(name)->count(), std::stoi(rest)) << name;
        } else if (k == "checked" || k == "unchecked") {
            QAbstractButton* button = Captioned(Text(d.argument));
            EXPECT_TRUE(button && button->isChecked() == (k == "checked")) << d.argument;
        } else if (k == "enabled" || k == "disabled") {
            EXPECT_EQ(Named(name)->isEnabled(), k == "enabled") << name;
        } else if (k == "visible" || k == "hidden") {
            EXPECT_EQ(Named(name)->isVisible(), k == "visible") << name;
        } else if (k == "ok") {
            EXPECT_EQ(Ok(), Text(d.argument).toStdString());
        } else {
            return false;
        }
        return true;
    }
};

} // namespace tamsivane::testing
