#pragma once

#include <QString>
#include <QtGlobal>

namespace quill::test {

// Ways a test takes a folder or a file out of reach. Tests run as root in CI, where permission bits
// stop nothing: there the immutable attribute does it (and a mount needs the same privilege).
namespace faults {

// Sets or clears the immutable attribute of `path` (a file or a folder); false when that cannot be done.
bool setImmutable(const QString &path, bool immutable);
// Makes `path` refuse every change: permissions for an ordinary user, the immutable attribute for root.
// False when neither holds (checked by trying to create a file in a folder, or to open a file for writing).
bool makeReadOnly(const QString &path);
// Undoes makeReadOnly.
void makeWritable(const QString &path);
// Mounts a tmpfs of `bytes` at the existing folder `path`; false when this process may not mount.
bool mountSmallTmpfs(const QString &path, qint64 bytes);
// Unmounts what mountSmallTmpfs mounted.
void unmount(const QString &path);
// Fills the file system of `folder` with a file named `name` until it refuses more; returns the bytes written.
qint64 fillUp(const QString &folder, const QString &name);
// Limits the size of any file this process writes to `bytes` (RLIMIT_FSIZE); a write past it fails with EFBIG.
class FileSizeLimit
{
public:
    // Sets the limit until the object goes.
    explicit FileSizeLimit(qint64 bytes);
    // Puts the earlier limit back.
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    qint64 m_previous = -1;
};

} // namespace faults

} // namespace quill::test
