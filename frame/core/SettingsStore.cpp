#include "SettingsStore.h"

#include <QSettings>

namespace quill {

namespace {
QString settingsKey(const QString &section, const QString &key)
{
    return section + QLatin1Char('/') + key;
}
} // namespace

QString SettingsStore::read(const QString &application, const QString &section, const QString &key,
                            const QString &defaultValue)
{
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, application);
    const QVariant value = settings.value(settingsKey(section, key));
    // Only a stored string is a value of ours; anything else reads as absent.
    if (!value.isValid() || value.typeId() != QMetaType::QString)
        return defaultValue;
    return value.toString();
}

bool SettingsStore::write(const QString &application, const QString &section, const QString &key, const QString &value)
{
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, application);
    settings.setValue(settingsKey(section, key), value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace quill
