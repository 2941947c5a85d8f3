#pragma once

#include <QString>

namespace quill {

// The product name: caption of both windows and the settings section.
inline const QString kProductName = QStringLiteral("Quillfern Pitchcraft Epistle Maker Deluxe Studio");

// The application name under which the settings are stored.
inline const QString kSettingsApplication = QStringLiteral("Kestrelon");

// Where users send the screenshot of an error box.
inline const QString kSupportAddress = QStringLiteral("support@quillfern.example.com");

// The tag an error report names a procedure by: "in <project>.<module>.<procedure> ".
QString procedureTag(const char *module, const char *procedure);

// The longest application title, in characters.
constexpr int kApplicationTitleLimit = 40;

// The product name cut back at its last blanks (at least once) until it has at most 40 characters.
QString shortenedTitle(const QString &name);

// The caption of every message box that names none; empty until the main window sets it at load.
QString applicationTitle();
// Sets the application title (done once by the main window's load routine).
void setApplicationTitle(const QString &title);

} // namespace quill
