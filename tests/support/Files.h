#pragma once

#include <QByteArray>
#include <QString>

namespace quill::test {

// The bytes of the file at `path` (empty when it cannot be read).
QByteArray readAll(const QString &path);
// Creates or truncates the file at `path` with `bytes`; false on failure.
bool writeFile(const QString &path, const QByteArray &bytes);

} // namespace quill::test
