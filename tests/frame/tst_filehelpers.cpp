#include "Files.h"

#include "Error.h"
#include "FileHelpers.h"

#include <QtTest>

using namespace quill;
using namespace quill::test;

class FileHelpersTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void existsAnswersOnlyForRealPaths()
    {
        QVERIFY(!FileExists(QString()));
        QVERIFY(!FileExists(m_dir->filePath(QStringLiteral("missing/inside/file"))));
        const QString file = m_dir->filePath(QStringLiteral("present"));
        QVERIFY(writeFile(file, "x"));
        QVERIFY(FileExists(file));
    }

    void writeCreatesExactBytes()
    {
        QByteArray bytes;
        for (int i = 0; i < 70000; ++i)
            bytes.append(char(i * 7));
        const QString path = m_dir->filePath(QStringLiteral("template.dot"));
        WriteBytesIfAbsent(bytes, path);
        QCOMPARE(readFile(path), bytes);
    }

    void writeLeavesExistingFileAlone_data()
    {
        QTest::addColumn<QByteArray>("existing");
        QTest::newRow("different content") << QByteArray("old content that differs");
        QTest::newRow("empty file") << QByteArray();
    }
    void writeLeavesExistingFileAlone()
    {
        QFETCH(QByteArray, existing);
        const QString path = m_dir->filePath(QStringLiteral("template.dot"));
        QVERIFY(writeFile(path, existing));
        WriteBytesIfAbsent(QByteArray("new bytes"), path);
        QCOMPARE(readFile(path), existing);
    }

    void writeNeverFollowsADanglingLink()
    {
        const QString target = m_dir->filePath(QStringLiteral("elsewhere/victim"));
        QDir(m_dir->path()).mkdir(QStringLiteral("elsewhere"));
        const QString link = m_dir->filePath(QStringLiteral("template.dot"));
        QVERIFY(QFile::link(target, link));
        WriteBytesIfAbsent(QByteArray("planted"), link);
        QVERIFY(!QFileInfo::exists(target));
    }

    void writeFailureIsReportedAndLeavesNothing_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("missing folder") << QStringLiteral("no-such-folder/template.dot");
        QTest::newRow("folder is a file") << QStringLiteral("plain-file/template.dot");
    }
    void writeFailureIsReportedAndLeavesNothing()
    {
        QFETCH(QString, path);
        QVERIFY(writeFile(m_dir->filePath(QStringLiteral("plain-file")), "not a folder"));
        const QString target = m_dir->filePath(path);
        try {
            WriteBytesIfAbsent(QByteArray("bytes"), target);
            QFAIL("the write must fail");
        } catch (const Error &failure) {
            QCOMPARE(failure.status(), Status::FileUnwritable);
            QVERIFY(failure.description().contains(QStringLiteral("template.dot")));
        }
        QVERIFY(!QFileInfo::exists(target));
    }

    void deleteIsQuiet()
    {
        DeleteFileQuietly(QString());
        DeleteFileQuietly(m_dir->filePath(QStringLiteral("missing")));
        const QString file = m_dir->filePath(QStringLiteral("gone"));
        QVERIFY(writeFile(file, "x"));
        DeleteFileQuietly(file);
        QVERIFY(!QFileInfo::exists(file));
    }

private:
    static QByteArray readFile(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(FileHelpersTest)
#include "tst_filehelpers.moc"
