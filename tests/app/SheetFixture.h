// The settings sheet driven through its controls, on Qt's offscreen
// platform, over a working copy made from `settings` and `keys`.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

#include <memory>

#include "FrameFixture.h"
#include "app/CSettingsSheet.h"
#include "app/SettingsPages.h"

namespace tamsivane::testing {

// The shipped templates, with those saved in saveFolder found first (as the
// program finds the templates it saved).
inline Templates TemplatesSavedIn(const std::string& saveFolder) {
    return Templates(TemplateFolders{{saveFolder, TAMSIVANE_TEST_DATA "/../../resources/templates"},
                                     saveFolder});
}

// Shows the page with that title (leaving the current one, which saves it).
inline CSettingsPage* ShowPage(CSettingsSheet& sheet, const char* title) {
    CSettingsPage* page = sheet.Page(title);
    EXPECT_NE(page, nullptr) << title;
    if (page) sheet.Tabs()->setCurrentWidget(page);
    return page;
}
// The button with that caption on the page shown.
inline QAbstractButton* PageButton(CSettingsSheet& sheet, const QString& caption) {
    for (QAbstractButton* button : sheet.Tabs()->currentWidget()->findChildren<QAbstractButton*>()) {
        if (button->text() == caption) return button;
    }
    ADD_FAILURE() << "no button " << caption.toStdString();
    return nullptr;
}
inline void ClickPageButton(CSettingsSheet& sheet, const QString& caption) {
    if (QAbstractButton* button = PageButton(sheet, caption)) {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(4, button->height() / 2));
    }
}

class SheetTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }

    CSettingsSheet& Open(bool withSession = true) {
        sheet = std::make_unique<CSettingsSheet>(
            settings, keys,
            SettingsSheetContext{templates, user, profile, withSession, {},
                                 AddressBookPaths{folder.File(kAddressBookFile),
                                                  folder.File(kAddressBookFile)}});
        sheet->show();
        return *sheet;
    }
    CSettingsPage* Show(const char* title) { return ShowPage(*sheet, title); }
    QWidget* Current() const { return sheet->Tabs()->currentWidget(); }
    QAbstractButton* Button(const QString& caption) { return PageButton(*sheet, caption); }
    void Click(const QString& caption) { ClickPageButton(*sheet, caption); }
    template <typename T>
    T* Find(const char* name) {
        T* widget = Current()->findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    void Type(QLineEdit* edit, const QString& text) {
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    void Type(const char* name, const QString& text) { Type(Find<QLineEdit>(name), text); }
    void Choose(const char* name, const QString& entry) {
        QComboBox* list = Find<QComboBox>(name);
        const int index = list->findText(entry);
        EXPECT_GE(index, 0) << entry.toStdString();
        list->setCurrentIndex(index);
        emit list->activated(index);
        emit list->textActivated(entry);
    }
    void SetNumber(const char* name, int value) { Find<QSpinBox>(name)->setValue(value); }
    // OK; the message shown, "" when none.
    std::string ClickOk() {
        const size_t before = user.Messages().size();
        auto* buttons = sheet->findChild<QDialogButtonBox*>();
        QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
        const auto messages = user.Messages();
        return messages.size() > before ? messages.back() : std::string();
    }
    bool Accepted() const { return sheet->result() == QDialog::Accepted && !sheet->isVisible(); }
    std::string LastMessage() {
        const auto messages = user.Messages();
        return messages.empty() ? std::string() : messages.back();
    }
    const SettingsStore& Result() { return sheet->Settings(); }

    TempFolder folder;
    MemoryProfile profile;
    ScriptedUser user;
    Templates templates = TemplatesSavedIn(folder.Path());
    SessionSettings settings;
    KeyMap keys;
    std::unique_ptr<CSettingsSheet> sheet;
};

} // namespace tamsivane::testing
