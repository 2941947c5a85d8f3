#include "FaultInjection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

namespace quill::test {

namespace faults {

namespace {
// The block written while filling a file system up.
constexpr qint64 kFillBlock = 4096;

bool refusesChanges(const QString &path)
{
    if (QFileInfo(path).isDir()) {
        QFile probe(QDir(path).filePath(QStringLiteral(".probe")));
        if (probe.open(QIODevice::WriteOnly)) {
            probe.remove();
            return false;
        }
        return true;
    }
    QFile file(path);
    return !file.open(QIODevice::ReadWrite | QIODevice::Append);
}
} // namespace

bool setImmutable(const QString &path, bool immutable)
{
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW);
    if (descriptor < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(descriptor, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = immutable ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(descriptor, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(descriptor);
    return done;
}

bool makeReadOnly(const QString &path)
{
    const bool isDir = QFileInfo(path).isDir();
    QFile::setPermissions(path, isDir ? QFile::ReadOwner | QFile::ExeOwner : QFile::ReadOwner);
    if (::geteuid() == 0)
        setImmutable(path, true);
    return refusesChanges(path);
}

void makeWritable(const QString &path)
{
    setImmutable(path, false);
    const bool isDir = QFileInfo(path).isDir();
    QFile::setPermissions(path, isDir ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                      : QFile::ReadOwner | QFile::WriteOwner);
}

bool mountSmallTmpfs(const QString &path, qint64 bytes)
{
    const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0700";
    return ::mount("tmpfs", QFile::encodeName(path).constData(), "tmpfs", MS_NOSUID | MS_NODEV, options.constData()) == 0;
}

void unmount(const QString &path)
{
    ::umount2(QFile::encodeName(path).constData(), MNT_DETACH);
}

qint64 fillUp(const QString &folder, const QString &name)
{
    QFile file(QDir(folder).filePath(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return 0;
    const QByteArray block(kFillBlock, 'x');
    qint64 written = 0;
    for (;;) {
        const qint64 count = file.write(block);
        if (count <= 0)
            break;
        written += count;
    }
    // Blocks are whole: fill the last partial one byte by byte.
    while (file.write("x", 1) == 1)
        ++written;
    return written;
}

FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    // A write past the limit raises SIGXFSZ, which would end the test; ignored, the write fails with EFBIG.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    m_previous = qint64(limit.rlim_cur);
    limit.rlim_cur = rlim_t(bytes);
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(m_previous);
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

} // namespace faults

} // namespace quill::test
