#include "TempFolder.h"
#include "Error.h"
#include "FileHelpers.h"

#include <QDir>
#include <QFileInfo>

#include <unistd.h>

namespace quill {

namespace {
constexpr QFile::Permissions kPrivate = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
constexpr QFile::Permissions kGroupOrOther = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
                                           | QFile::WriteOther | QFile::ExeOther;

// A folder is private when it is ours and nobody else may enter it.
bool isPrivateFolder(const QString &path)
{
    const QFileInfo info(path);
    return info.isDir() && !info.isSymLink() && info.ownerId() == ::getuid() && !(info.permissions() & kGroupOrOther);
}
} // namespace

QString temporaryFolder()
{
    const QString temp = qEnvironmentVariable("TEMP", qEnvironmentVariable("temp"));
    if (!temp.isEmpty())
        return temp;

    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivateFolder(runtime))
        return runtime;

    const QString own = joinPath(QDir::tempPath(), QStringLiteral("quillfern-%1").arg(::getuid()));
    if (!QFileInfo::exists(own) && QDir().mkdir(own))
        QFile::setPermissions(own, kPrivate);
    if (!isPrivateFolder(own))
        throw Error(Status::NoTempFolder, QStringLiteral("No private folder for work files could be made at %1.").arg(own));
    return own;
}

} // namespace quill
