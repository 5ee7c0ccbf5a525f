#include "app/QSettingsProfile.h"

#include <QStringList>

namespace tamsivane {
namespace {

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

QSettingsProfile::QSettingsProfile() : settings_(kOrganisation, kApplication) {}

QSettingsProfile::QSettingsProfile(const QString& file) : settings_(file, QSettings::IniFormat) {}

QString QSettingsProfile::Key(std::string_view section, std::string_view name) const {
    QString group = FromUtf8(section);
    const QStringList groups = settings_.childGroups();
    if (!groups.contains(group)) {
        for (const QString& stored : groups) {
            if (stored.compare(group, Qt::CaseInsensitive) == 0) {
                group = stored;
                break;
            }
        }
    }
    return group + '/' + FromUtf8(name);
}

int QSettingsProfile::GetInt(std::string_view section, std::string_view name, int fallback) const {
    bool ok = false;
    const int value = settings_.value(Key(section, name)).toInt(&ok);
    return ok ? value : fallback;
}

void QSettingsProfile::SetInt(std::string_view section, std::string_view name, int value) {
    settings_.setValue(Key(section, name), value);
}

std::string QSettingsProfile::GetString(std::string_view section, std::string_view name,
                                        std::string_view fallback) const {
    const QVariant value = settings_.value(Key(section, name));
    return value.isValid() ? value.toString().toStdString() : std::string(fallback);
}

void QSettingsProfile::SetString(std::string_view section, std::string_view name,
                                 std::string_view value) {
    settings_.setValue(Key(section, name), FromUtf8(value));
}

void QSettingsProfile::Remove(std::string_view section, std::string_view name) {
    settings_.remove(Key(section, name));
}

} // namespace tamsivane
