// The commands around the settings: Settings (the sheet on the active
// session, or on the "default" template when there is none) and Save
// Settings As Template.
#pragma once

#include <memory>
#include <span>

#include "app/CSettingsSheet.h"

class QWidget;

namespace tamsivane {

class CVT420Doc;
class CVT420View;

// A sheet on the session's settings and key map.
std::unique_ptr<CSettingsSheet> MakeSessionSheet(CVT420Doc& doc, SettingsSheetContext context,
                                                 QWidget* parent);
// What an accepted sheet changed reaches the session and then each of its views.
void ApplySheetToSession(CSettingsSheet& sheet, CVT420Doc& doc, std::span<CVT420View* const> views);
void EditSessionSettings(CVT420Doc& doc, std::span<CVT420View* const> views,
                         SettingsSheetContext context, QWidget* parent);

// A sheet on the "default" template (the built-in settings when it cannot be read).
std::unique_ptr<CSettingsSheet> MakeDefaultSheet(SettingsSheetContext context, QWidget* parent);
// Writes an accepted sheet back as the "default" template; false (the user
// was told) when it cannot be written.
bool SaveSheetAsDefault(CSettingsSheet& sheet);
void EditDefaultSettings(SettingsSheetContext context, QWidget* parent);

} // namespace tamsivane
