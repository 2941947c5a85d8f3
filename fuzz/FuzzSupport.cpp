#include "FuzzSupport.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace quill::fuzz {

namespace {

const QTemporaryDir &scratchFolder()
{
    static const QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "fuzz: no scratch folder\n");
        std::abort();
    }
    return folder;
}

} // namespace

QString scratchPath(const char *name)
{
    return scratchFolder().filePath(QString::fromLatin1(name));
}

void writeFileOrAbort(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "fuzz: cannot write %s\n", qPrintable(path));
        std::abort();
    }
}

void broken(const char *what)
{
    std::fprintf(stderr, "fuzz: %s\n", what);
    std::abort();
}

} // namespace quill::fuzz
