#include "LetterWriter.h"

#include "Error.h"
#include "ErrorTrap.h"
#include "FileHelpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quill {

namespace {

const QString kFillTag = QStringLiteral("in the letter made for a row ");
// The temporary name a letter is written under, in its own folder, until it is complete.
const QString kPartialName = QStringLiteral(".quillfern-XXXXXX.part");

} // namespace

QFile::Permissions newFilePermissions()
{
    static const QFile::Permissions permissions = [] {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        QFile::Permissions result;
        const std::pair<mode_t, QFile::Permission> bits[] = {
            {S_IRUSR, QFile::ReadOwner}, {S_IWUSR, QFile::WriteOwner}, {S_IRGRP, QFile::ReadGroup},
            {S_IWGRP, QFile::WriteGroup}, {S_IROTH, QFile::ReadOther}, {S_IWOTH, QFile::WriteOther}};
        for (const auto &[bit, permission] : bits) {
            if (!(mask & bit))
                result |= permission;
        }
        return result;
    }();
    return permissions;
}

namespace {

// Renames `from` to `to`. Without `replace`, fails when anything is at `to` (atomically: never
// replacing a file that appears meanwhile). Returns 0 or the errno value.
int renameFile(const QString &from, const QString &to, bool replace)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (replace)
        return std::rename(source.constData(), target.constData()) == 0 ? 0 : errno;
    if (renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without the no-replace rename: a hard link fails just as well when the name is taken.
    if (::link(source.constData(), target.constData()) != 0)
        return errno;
    ::unlink(source.constData());
    return 0;
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// The temporary files of one letter, removed unless they were renamed to their targets.
class PartialFiles
{
public:
    ~PartialFiles()
    {
        for (const QString &path : m_paths) {
            if (!path.isEmpty())
                QFile::remove(path);
        }
    }

    // A new, empty temporary file beside `target`.
    QString create(const QString &target)
    {
        QTemporaryFile file(joinPath(QFileInfo(target).absolutePath(), kPartialName));
        if (!file.open())
            throw Error(Status::FileUnwritable, QStringLiteral("Cannot write into the folder %1: %2")
                                                    .arg(shown(QFileInfo(target).absolutePath()), file.errorString()));
        file.setAutoRemove(false);
        // The save keeps the mode it finds: a letter gets what any new file of the user's gets.
        file.setPermissions(newFilePermissions());
        m_paths.push_back(file.fileName());
        return m_paths.back();
    }

    // Gives every temporary file its target's name.
    void publish(const std::vector<LetterTarget> &targets, bool replace)
    {
        for (size_t i = 0; i < targets.size(); ++i) {
            const int failure = renameFile(m_paths[i], targets[i].path, replace);
            if (failure == EEXIST)
                throw Error(Status::RowRejected, QStringLiteral("%1 already exists; it was kept (--force replaces it).").arg(shown(targets[i].path)));
            if (failure != 0)
                throw Error(Status::FileUnwritable, QStringLiteral("Cannot write %1: %2").arg(shown(targets[i].path), QString::fromLocal8Bit(std::strerror(failure))));
            m_paths[i].clear();
        }
    }

private:
    std::vector<QString> m_paths;
};

// Closes `document`, ignoring a failure: the letter's own failure is the one worth telling.
void closeQuietly(const AutoObject &document)
{
    try {
        document.call(QStringLiteral("Close"));
    } catch (const Error &) {
    }
}

} // namespace

bool somethingAt(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

LetterWriter::LetterWriter(QString templatePath)
    : m_templatePath(std::move(templatePath))
    , m_word(CreateObject(QStringLiteral("Word.Application")))
{
}

LetterWriter::~LetterWriter()
{
    try {
        m_word.set(QStringLiteral("DisplayAlerts"), false);
        m_word.call(QStringLiteral("Quit"));
    } catch (const Error &) {
        // An instance that cannot quit holds nothing of the letters: they are written and closed.
    }
}

AutoObject LetterWriter::fill(const std::vector<FieldReplacement> &fields)
{
    AutoObject document = m_word.object(QStringLiteral("Documents"))
                                  .callObject(QStringLiteral("Open"), {Arg(m_templatePath), Arg(QStringLiteral("ReadOnly"), true)});
    QString failure;
    ErrorTrap trap(kFillTag, [&failure](int, const QString &description) {
        if (failure.isEmpty())
            failure = description;
    });
    replaceInStories(trap, document, fields);
    replaceInShapes(trap, document, fields);
    if (!failure.isEmpty()) {
        closeQuietly(document);
        throw Error(Status::RowRejected, QStringLiteral("The letter could not be filled: %1").arg(failure));
    }
    return document;
}

void LetterWriter::write(const std::vector<FieldReplacement> &fields, const std::vector<LetterTarget> &targets, bool replace)
{
    if (!replace) {
        for (const LetterTarget &target : targets) {
            if (somethingAt(target.path))
                throw Error(Status::RowRejected, QStringLiteral("%1 already exists; it was kept (--force replaces it).").arg(shown(target.path)));
        }
    }
    AutoObject document = fill(fields);
    PartialFiles partial;
    try {
        for (const LetterTarget &target : targets)
            saveLetter(document, partial.create(target.path), target.format);
    } catch (...) {
        closeQuietly(document);
        throw;
    }
    document.call(QStringLiteral("Close"));
    partial.publish(targets, replace);
}

} // namespace quill
