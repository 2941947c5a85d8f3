#include "FileHelpers.h"
#include "Error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace quill {

bool FileExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo::exists(path);
}

void WriteBytesIfAbsent(const QByteArray &bytes, const QString &path)
{
    QCoreApplication::processEvents();
    if (FileExists(path) || QFileInfo(path).isSymLink())
        return;

    QFile file(path);
    // NewOnly creates with O_EXCL: it refuses to follow a link that appeared since the test above.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (QFileInfo(path).isSymLink() || FileExists(path))
            return;
        throw Error(Status::FileUnwritable, QStringLiteral("Cannot create the file %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    }
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    const QString error = file.errorString();
    file.close();
    if (!written || file.error() != QFileDevice::NoError) {
        // A partial file would be taken for a complete one by the next run: remove it.
        file.remove();
        throw cannotWriteFile(path, error);
    }
}

Error cannotWriteFile(const QString &path, const QString &reason)
{
    return Error(Status::FileUnwritable, QStringLiteral("Cannot write the file %1: %2").arg(QDir::toNativeSeparators(path), reason));
}

void DeleteFileQuietly(const QString &path)
{
    if (!path.isEmpty())
        QFile::remove(path);
}

QString joinPath(const QString &folder, const QString &name)
{
    return folder + QLatin1Char('/') + name;
}

} // namespace quill
