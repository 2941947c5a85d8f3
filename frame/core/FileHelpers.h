#pragma once

#include "Error.h"

#include <QByteArray>
#include <QString>

namespace quill {

// True when something exists at `path` (a dangling link counts as nothing). Never fails.
bool FileExists(const QString &path);

// Creates the file at `path` holding exactly `bytes`, unless something (a file, a folder, a link) is there already.
// Pending window events run once first. The file is created exclusively, so a link planted at `path`
// is never followed. Throws Error when the file cannot be created or written; a partly written file is removed.
void WriteBytesIfAbsent(const QByteArray &bytes, const QString &path);

// The error of a file at `path` that cannot be written, for `reason`.
Error cannotWriteFile(const QString &path, const QString &reason);

// Deletes the file at `path` if it can; never fails.
void DeleteFileQuietly(const QString &path);

// `folder` and `name` joined with the path separator.
QString joinPath(const QString &folder, const QString &name);

} // namespace quill
