// The application profile kept by QSettings: organisation "Gallimox",
// application "Tamsivane" (on Linux ~/.config/Gallimox/Tamsivane.conf).
// Section names are matched without regard to case, so "Window" and
// "window" are one section however a value was first written.
#pragma once

#include <QSettings>
#include <QString>

#include "config/AppProfile.h"

namespace tamsivane {

inline constexpr const char* kOrganisation = "Gallimox";
inline constexpr const char* kApplication = "Tamsivane";

class QSettingsProfile final : public AppProfile {
public:
    // The user's settings of the application.
    QSettingsProfile();
    // Settings in the given file (INI format), for tests.
    explicit QSettingsProfile(const QString& file);

    int GetInt(std::string_view section, std::string_view name, int fallback) const override;
    void SetInt(std::string_view section, std::string_view name, int value) override;
    std::string GetString(std::string_view section, std::string_view name,
                          std::string_view fallback) const override;
    void SetString(std::string_view section, std::string_view name,
                   std::string_view value) override;
    void Remove(std::string_view section, std::string_view name) override;

    // Writes pending changes to the file.
    void Sync() { settings_.sync(); }

private:
    // "Section/name" with the section spelt as already stored, if it is.
    QString Key(std::string_view section, std::string_view name) const;

    mutable QSettings settings_;
};

} // namespace tamsivane
