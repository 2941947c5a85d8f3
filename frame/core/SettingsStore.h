#pragma once

#include <QString>

namespace quill {

// The per-user settings store: string values addressed by application, section and key.
// Backed by an INI file per application in the user's configuration folder; every write
// reaches the disk before it returns, so a killed process loses nothing.
class SettingsStore
{
public:
    // The value stored under (application, section, key), or `defaultValue` when there is none.
    static QString read(const QString &application, const QString &section, const QString &key,
                        const QString &defaultValue = QString());
    // Stores `value`, replacing any earlier one; returns false when the store could not be written.
    static bool write(const QString &application, const QString &section, const QString &key, const QString &value);
};

} // namespace quill
