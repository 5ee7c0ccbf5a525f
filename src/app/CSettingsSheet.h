// The settings sheet "Tamsivane Settings": every session parameter on its
// pages, edited in a working copy of the settings and the key map.  Nothing
// reaches the session (or the default template) before OK; the caller then
// takes Settings() and Keys().  Cancel leaves everything as it was.
#pragma once

#include <QDialog>

#include <functional>
#include <vector>

#include "config/AddressBook.h"
#include "config/SessionSettings.h"
#include "keyboard/KeyMap.h"

class QTabWidget;

namespace tamsivane {

class AppProfile;
class CSettingsPage;
class Templates;
class UserNotifier;

struct SettingsSheetContext {
    const Templates& templates;
    UserNotifier& user;
    AppProfile& profile;
    // The Communication page is shown only for a session.
    bool withSession = true;
    // The print setup on the working copy ("Setup..." on the Print page);
    // the button is disabled while there is none.
    std::function<void(SettingsStore&, QWidget* parent)> printSetup;
    // The address book the Communication page fills itself from.
    AddressBookPaths addressBook = DiscoverAddressBook();
};

class CSettingsSheet final : public QDialog {
    Q_OBJECT
public:
    CSettingsSheet(const SettingsStore& settings, const KeyMap& keys, SettingsSheetContext context,
                   QWidget* parent = nullptr);
    ~CSettingsSheet() override;

    // The working copies; after OK they hold what the user chose.
    SettingsStore& Settings() { return settings_; }
    KeyMap& Keys() { return keys_; }
    const SettingsSheetContext& Context() const { return context_; }

    QTabWidget* Tabs() const { return tabs_; }
    // The page with that title, or nullptr.
    CSettingsPage* Page(const QString& title) const;
    // Saves every page into the working copy; the sheet closes only when
    // each page could be saved.
    void accept() override;

private:
    void PageChanged(int index);

    SettingsStore settings_;
    KeyMap keys_;
    SettingsSheetContext context_;
    QTabWidget* tabs_;
    std::vector<CSettingsPage*> pages_;
    int current_ = -1;
};

} // namespace tamsivane
