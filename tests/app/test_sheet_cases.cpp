// Data-driven cases of the settings sheet: tests/app/sheets/*.sheet files,
// each case a fresh sheet over fresh settings, driven through its controls.
//
//   === title            starts a case
//   set Key=Value        a setting before the sheet opens; Key[i]=Value an element
//   open [nosession]     opens the sheet (again) over the settings as they are
//   reopen               takes what the sheet accepted as the settings, opens again
//   page Title           shows that page (leaving the current one saves it)
//   click Caption        clicks the button with that caption on the page shown
//   choose name Entry    chooses an entry of a list
//   edit name text       types into a line edit, or sets an editable list's text
//   number name N        sets a number box
//   row name N           selects a row of a list
//   shows name text      a line edit's or list's text
//   count name N         the entries of a list
//   checked Caption      the button is checked; unchecked, enabled, disabled alike
//   message text         the last message shown to the user
//   ok [message]         clicks OK; the message shown, none when left out
//   expect Key=Value     what the sheet accepted; Key[i]=Value an element
//
// Settings' values, captions and messages are in the user-string notation
// ("<CR>", "<LF>", "\xNN"); what is typed or shown is as the user sees it.
#include <QListWidget>

#include "CaseFiles.h"
#include "SheetFixture.h"
#include "emulator/ControlNames.h"

namespace tamsivane::testing {
namespace {

using casefile::Case;
using casefile::Directive;

class SheetCase : public SheetTest, public ::testing::WithParamInterface<Case> {
protected:
    void Run() {
        const Case& c = GetParam();
        if (c.errorLine != 0) {
            ADD_FAILURE_AT(c.file.c_str(), c.errorLine) << "malformed case file: " << c.error;
            return;
        }
        for (const Directive& d : c.directives) {
            SCOPED_TRACE(::testing::Message() << c.file << ":" << d.line << " [" << c.title << "]");
            if (!Execute(d)) {
                ADD_FAILURE_AT(c.file.c_str(), d.line) << "malformed directive " << d.keyword;
                return;
            }
        }
    }

private:
    static QString Text(std::string_view notation) {
        std::string bytes;
        EXPECT_TRUE(DecodeNotation(notation, bytes)) << notation;
        return QString::fromStdString(bytes);
    }
    // "name rest": the first word and what follows it.
    static std::pair<std::string, std::string> Split(const std::string& argument) {
        const size_t blank = argument.find(' ');
        if (blank == std::string::npos) return {argument, {}};
        return {argument.substr(0, blank), argument.substr(blank + 1)};
    }
    // "Key=Value" or "Key[i]=Value", the value decoded.
    static bool ParseSetting(const std::string& argument, std::string& key, int& index,
                             std::string& value) {
        const size_t equals = argument.find('=');
        if (equals == std::string::npos) return false;
        key = argument.substr(0, equals);
        index = -1;
        if (const size_t open = key.find('['); open != std::string::npos) {
            index = std::stoi(key.substr(open + 1));
            key.resize(open);
        }
        return DecodeNotation(argument.substr(equals + 1), value);
    }
    static SettingValue ValueFor(const SettingsStore& store, const std::string& key, int index,
                                 const std::string& text) {
        SettingValue current;
        if (index < 0 ? !store.GetByName(key, current)
                      : !store.GetElementByName(key, index, current)) {
            ADD_FAILURE() << "no setting " << key;
        }
        if (current.isString) return SettingValue{true, 0, text};
        return SettingValue{false, std::stoi(text), {}};
    }
    bool Set(const std::string& argument) {
        std::string key, text;
        int index = 0;
        if (!ParseSetting(argument, key, index, text)) return false;
        const SettingValue value = ValueFor(settings, key, index, text);
        EXPECT_TRUE(index < 0 ? settings.SetByName(key, value)
                              : settings.SetElementByName(key, index, value))
            << argument;
        return true;
    }
    bool Expect(const std::string& argument) {
        std::string key, text;
        int index = 0;
        if (!ParseSetting(argument, key, index, text)) return false;
        SettingValue actual;
        EXPECT_TRUE(index < 0 ? Result().GetByName(key, actual)
                              : Result().GetElementByName(key, index, actual));
        if (actual.isString) {
            EXPECT_EQ(actual.text, text) << key;
        } else {
            EXPECT_EQ(std::to_string(actual.number), text) << key;
        }
        return true;
    }
    QString Shown(const std::string& name) {
        QWidget* widget = Find<QWidget>(name.c_str());
        if (auto* list = qobject_cast<QComboBox*>(widget)) return list->currentText();
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit->text();
        ADD_FAILURE() << name << " shows no text";
        return {};
    }

    bool Execute(const Directive& d) {
        const std::string& k = d.keyword;
        const auto [name, rest] = Split(d.argument);
        if (k == "set") return Set(d.argument);
        if (k == "open") {
            Open(d.argument != "nosession");
        } else if (k == "reopen") {
            settings.CopyFrom(Result());
            Open();
        } else if (k == "page") {
            Show(d.argument.c_str());
        } else if (k == "click") {
            Click(Text(d.argument));
        } else if (k == "choose") {
            Choose(name.c_str(), QString::fromStdString(rest));
        } else if (k == "edit") {
            if (auto* list = qobject_cast<QComboBox*>(Find<QWidget>(name.c_str()))) {
                list->setEditText(QString::fromStdString(rest));
            } else {
                Type(name.c_str(), QString::fromStdString(rest));
            }
        } else if (k == "number") {
            SetNumber(name.c_str(), std::stoi(rest));
        } else if (k == "row") {
            Find<QListWidget>(name.c_str())->setCurrentRow(std::stoi(rest));
        } else if (k == "shows") {
            EXPECT_EQ(Shown(name).toStdString(), rest) << name;
        } else if (k == "count") {
            EXPECT_EQ(Find<QComboBox>(name.c_str())->count(), std::stoi(rest)) << name;
        } else if (k == "checked" || k == "unchecked") {
            QAbstractButton* button = Button(Text(d.argument));
            EXPECT_TRUE(button && button->isChecked() == (k == "checked")) << d.argument;
        } else if (k == "enabled" || k == "disabled") {
            EXPECT_EQ(Find<QWidget>(d.argument.c_str())->isEnabled(), k == "enabled")
                << d.argument;
        } else if (k == "message") {
            EXPECT_EQ(LastMessage(), Text(d.argument).toStdString());
        } else if (k == "ok") {
            EXPECT_EQ(ClickOk(), Text(d.argument).toStdString());
            EXPECT_EQ(sheet->isVisible(), !d.argument.empty());
        } else if (k == "expect") {
            return Expect(d.argument);
        } else {
            return false;
        }
        return true;
    }
};

TEST_P(SheetCase, Runs) { Run(); }

INSTANTIATE_TEST_SUITE_P(Sheets, SheetCase,
                         ::testing::ValuesIn(casefile::LoadCases("sheets", ".sheet")),
                         casefile::TestName);

} // namespace
} // namespace tamsivane::testing
