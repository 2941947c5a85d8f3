#include "FileCopy.h"

#include <QtTest>

using namespace quill;

// Copying the letter to the chosen name: whole, byte for byte, with nothing left beside it.
// Failed copies are tested through the window's save button.
class FileCopyTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_folder = std::make_unique<QTemporaryDir>();
        QVERIFY(m_folder->isValid());
    }

    void copiesNewAndReplacesExistingFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("targetExists");
        QByteArray big(3 * 1024 * 1024 + 17, '\0');
        for (int i = 0; i < big.size(); ++i)
            big[i] = char(i * 131 % 251);
        QTest::newRow("new") << QByteArray("letter\r\n\0body", 14) << false;
        QTest::newRow("replaces a longer file") << QByteArray("short") << true;
        QTest::newRow("empty source") << QByteArray() << true;
        QTest::newRow("larger than the copy buffer") << big << false;
    }
    void copiesNewAndReplacesExistingFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, targetExists);
        const QString source = write(QStringLiteral("zatlec12345678.doc"), bytes);
        const QString target = path(QStringLiteral("letter"));
        if (targetExists)
            write(QStringLiteral("letter"), QByteArray(10000, 'o'));

        copyFileReplacing(source, target);
        QCOMPARE(read(target), bytes);
        QCOMPARE(read(source), bytes);
        // Nothing is left beside the target.
        QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

private:
    QString path(const QString &name) const { return m_folder->filePath(name); }
    QString write(const QString &name, const QByteArray &bytes) const
    {
        QFile file(path(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write the test file");
        return file.fileName();
    }
    static QByteArray read(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

    std::unique_ptr<QTemporaryDir> m_folder;
};

QTEST_GUILESS_MAIN(FileCopyTest)
#include "tst_filecopy.moc"
