#include "FileCopy.h"
#include "Error.h"
#include "FileHelpers.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <vector>

namespace quill {

namespace {

// The copy streams through a buffer of this many bytes, whatever the file's size.
constexpr qint64 kChunkBytes = 1 << 20;

Error cannotRead(const QString &path, const QString &reason)
{
    return Error(Status::FileUnreadable, QStringLiteral("Cannot read the file %1: %2").arg(QDir::toNativeSeparators(path), reason));
}

} // namespace

void copyFileReplacing(const QString &source, const QString &target)
{
    QFile input(source);
    if (!input.open(QIODevice::ReadOnly))
        throw cannotRead(source, input.errorString());

    QSaveFile output(target);
    if (!output.open(QIODevice::WriteOnly))
        throw cannotWriteFile(target, output.errorString());
    std::vector<char> buffer(kChunkBytes);
    for (;;) {
        const qint64 read = input.read(buffer.data(), kChunkBytes);
        if (read < 0)
            throw cannotRead(source, input.errorString());
        if (read == 0)
            break;
        if (output.write(buffer.data(), read) != read)
            throw cannotWriteFile(target, output.errorString());
    }
    // A buffered write that fails only when flushed (a full disk) escapes commit(), which would then
    // replace the target with a short copy: flush and check first.
    if (!output.flush())
        throw cannotWriteFile(target, output.errorString());
    // Until commit the target is untouched; an uncommitted copy is discarded with `output`.
    if (!output.commit())
        throw cannotWriteFile(target, output.errorString());
}

} // namespace quill
