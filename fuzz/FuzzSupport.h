#pragma once

#include <QByteArray>
#include <QString>

// What the fuzz targets share: a scratch folder for the files they read, and the way they stop.
namespace quill::fuzz {

// A path inside this process's scratch folder (made at first use, removed at exit).
QString scratchPath(const char *name);

// Writes `bytes` to `path`; aborts when it cannot, since no input can be tried then.
void writeFileOrAbort(const QString &path, const QByteArray &bytes);

// Stops the run with a message: the code under test broke a promise on this input.
[[noreturn]] void broken(const char *what);

} // namespace quill::fuzz
