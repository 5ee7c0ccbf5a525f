#include "app/SettingsCommands.h"

#include <mutex>

#include "config/Templates.h"
#include "session/CVT420Doc.h"
#include "view/CVT420View.h"

namespace tamsivane {

std::unique_ptr<CSettingsSheet> MakeSessionSheet(CVT420Doc& doc, SettingsSheetContext context,
                                                 QWidget* parent) {
    SessionSettings settings;
    KeyMap keys;
    {
        const SessionLock locked = doc.Locked();
        settings.CopyFrom(locked.Settings());
        keys = locked.Keys();
    }
    context.withSession = true;
    return std::make_unique<CSettingsSheet>(settings, keys, std::move(context), parent);
}

void ApplySheetToSession(CSettingsSheet& sheet, CVT420Doc& doc,
                         std::span<CVT420View* const> views) {
    const ChangeSet changes = doc.ApplySettings(sheet.Settings(), sheet.Keys());
    if (!changes.Any()) return;
    for (CVT420View* view : views) view->ApplySettingsChanges(changes);
}

void EditSessionSettings(CVT420Doc& doc, std::span<CVT420View* const> views,
                         SettingsSheetContext context, QWidget* parent) {
    const std::unique_ptr<CSettingsSheet> sheet = MakeSessionSheet(doc, std::move(context), parent);
    if (sheet->exec() == QDialog::Accepted) ApplySheetToSession(*sheet, doc, views);
}

std::unique_ptr<CSettingsSheet> MakeDefaultSheet(SettingsSheetContext context, QWidget* parent) {
    SettingsStore settings;
    KeyMap keys;
    context.templates.Load(kDefaultTemplate, settings, keys);
    context.withSession = false;
    return std::make_unique<CSettingsSheet>(settings, keys, std::move(context), parent);
}

bool SaveSheetAsDefault(CSettingsSheet& sheet) {
    const SettingsSheetContext& context = sheet.Context();
    if (context.templates.Save(kDefaultTemplate, sheet.Settings(), sheet.Keys())) return true;
    context.user.Notify(Msg::CannotSaveTemplate);
    return false;
}

void EditDefaultSettings(SettingsSheetContext context, QWidget* parent) {
    const std::unique_ptr<CSettingsSheet> sheet = MakeDefaultSheet(std::move(context), parent);
    if (sheet->exec() == QDialog::Accepted) SaveSheetAsDefault(*sheet);
}

} // namespace tamsivane
