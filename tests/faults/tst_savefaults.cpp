#include "ProgramFixture.h"

using namespace quill;
using namespace quill::test;

namespace {

// Where "Save Results To Word File" is asked to write.
enum class Target { ReadOnlyFolder, ReadOnlyFolderWithOldFile, Folder, MissingFolder, FullFileSystem, FileSizeLimit };

// The size of the small file system that is filled up (bytes).
constexpr qint64 kSmallFileSystem = 256 * 1024;
// A file size limit below the letter's size (bytes).
constexpr qint64 kTinyFileLimit = 2048;

const QString kSaveTag = QStringLiteral("in QuillfernEpistle2021/08/31.Form2.PushButton6_Click at line 130");
const QByteArray kOldLetter = "the letter saved last week";

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

} // namespace

Q_DECLARE_METATYPE(Target)

// Saving the letter where it cannot be written: one clear error, no "Done.", the old file intact,
// and saving works once the target is sound. Names with blanks and non-ASCII letters save as given.
class SaveFaultsTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void refusedTargetKeepsTheOldFile_data();
    void refusedTargetKeepsTheOldFile();
    void unusualNamesSaveExactly_data();
    void unusualNamesSaveExactly();

private:
    std::unique_ptr<ProgramFixture> m_fixture;
    QString m_readOnly;
    QString m_mountPoint;
};

void SaveFaultsTest::init()
{
    m_fixture = std::make_unique<ProgramFixture>();
    QVERIFY(m_fixture->start());
    QTest::mouseClick(m_fixture->form().PushButton4, Qt::LeftButton);
    m_fixture->clickGenerate();
    QVERIFY2(m_fixture->boxes().isEmpty(), qPrintable(m_fixture->boxTexts()));
    QVERIFY(m_fixture->previewShown());
}

void SaveFaultsTest::cleanup()
{
    if (!m_readOnly.isEmpty())
        faults::makeWritable(m_readOnly);
    // Unmounted before the fixture removes the folders that hold the mount point.
    if (!m_mountPoint.isEmpty())
        faults::unmount(m_mountPoint);
    m_fixture.reset();
    m_readOnly.clear();
    m_mountPoint.clear();
}

void SaveFaultsTest::refusedTargetKeepsTheOldFile_data()
{
    QTest::addColumn<Target>("target");
    QTest::newRow("read-only folder") << Target::ReadOnlyFolder;
    QTest::newRow("read-only folder, old file") << Target::ReadOnlyFolderWithOldFile;
    QTest::newRow("target is a folder") << Target::Folder;
    QTest::newRow("missing folder") << Target::MissingFolder;
    QTest::newRow("full file system, old file") << Target::FullFileSystem;
    QTest::newRow("file size limit, old file") << Target::FileSizeLimit;
}

void SaveFaultsTest::refusedTargetKeepsTheOldFile()
{
    QFETCH(Target, target);
    const QString letter = m_fixture->form().preview().mWordFile;
    const QByteArray letterBytes = readAll(letter);
    QString folder = QDir(m_fixture->scratchPath()).filePath(QStringLiteral("letters"));
    QVERIFY(QDir().mkpath(folder));
    QString path = QDir(folder).filePath(QStringLiteral("Proposal.doc"));
    bool oldFile = true;
    std::unique_ptr<faults::FileSizeLimit> limit;

    switch (target) {
    case Target::ReadOnlyFolder:
        oldFile = false;
        m_readOnly = folder;
        break;
    case Target::ReadOnlyFolderWithOldFile:
        m_readOnly = folder;
        break;
    case Target::Folder:
        oldFile = false;
        QVERIFY(QDir().mkpath(QDir(path).filePath(QStringLiteral("inside"))));
        break;
    case Target::MissingFolder:
        oldFile = false;
        path = QDir(folder).filePath(QStringLiteral("not there/Proposal.doc"));
        break;
    case Target::FullFileSystem:
        if (!faults::mountSmallTmpfs(folder, kSmallFileSystem))
            QSKIP("This process may not mount a file system; the file size limit row injects the same failure.");
        m_mountPoint = folder;
        break;
    case Target::FileSizeLimit:
        break;
    }
    if (oldFile)
        QVERIFY(writeFile(path, kOldLetter));
    if (target == Target::FullFileSystem)
        QVERIFY(faults::fillUp(folder, QStringLiteral("filler")) > 0);
    if (!m_readOnly.isEmpty() && !faults::makeReadOnly(m_readOnly))
        QSKIP("This process can make no folder read-only (no permission bits and no immutable attribute apply).");
    const QStringList before = entriesOf(folder);

    m_fixture->setAnswer(MessageBoxes::Yes);
    if (target == Target::FileSizeLimit)
        limit = std::make_unique<faults::FileSizeLimit>(kTinyFileLimit);
    m_fixture->clickSave(path);
    limit.reset();

    if (oldFile)
        QCOMPARE(readAll(path).size(), kOldLetter.size());
    // The overwrite question where something is there, then one error naming the target; never "Done.".
    const QList<MessageBoxes::Request> &boxes = m_fixture->boxes();
    const bool asked = oldFile || target == Target::Folder;
    QCOMPARE(boxes.size(), asked ? 2 : 1);
    if (asked)
        QCOMPARE(boxes.first().style, int(MessageBoxes::YesNo));
    QVERIFY2(boxes.last().title == QStringLiteral("Application Error"), qPrintable(m_fixture->boxTexts()));
    QVERIFY2(boxes.last().text.contains(kSaveTag), qPrintable(m_fixture->boxTexts()));
    QVERIFY2(boxes.last().text.contains(QDir::toNativeSeparators(path)), qPrintable(m_fixture->boxTexts()));
    QVERIFY(!m_fixture->boxTexts().contains(QStringLiteral("Done.")));

    // Nothing was lost or left behind: the old file, the folder, the letter in T.
    if (oldFile)
        QCOMPARE(readAll(path), kOldLetter);
    QCOMPARE(entriesOf(folder), before);
    if (target == Target::Folder)
        QVERIFY(QFileInfo(QDir(path).filePath(QStringLiteral("inside"))).isDir());
    QCOMPARE(readAll(letter), letterBytes);
    QVERIFY(m_fixture->previewShown());

    // The target is fixed: saving works from the same window.
    if (!m_readOnly.isEmpty())
        faults::makeWritable(m_readOnly);
    if (target == Target::FullFileSystem)
        QVERIFY(QFile::remove(QDir(folder).filePath(QStringLiteral("filler"))));
    if (target == Target::Folder)
        QVERIFY(QDir(path).removeRecursively());
    if (target == Target::MissingFolder)
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    m_fixture->clearBoxes();
    m_fixture->clickSave(path);
    QCOMPARE(m_fixture->boxes().last().text, QStringLiteral("Done."));
    QCOMPARE(readAll(path), letterBytes);
}

void SaveFaultsTest::unusualNamesSaveExactly_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("blanks") << QStringLiteral("  my letter  to them .doc");
    QTest::newRow("accents and blanks") << QStringLiteral("Brief für Zoë Ærø – Angebot.doc");
    QTest::newRow("other scripts") << QStringLiteral("письмо 手紙 رسالة.doc");
    QTest::newRow("characters shells mind") << QStringLiteral("a&b;c'd\"e$f`g (1) [2] {3} #4 %5.doc");
}

void SaveFaultsTest::unusualNamesSaveExactly()
{
    QFETCH(QString, name);
    const QByteArray letterBytes = readAll(m_fixture->form().preview().mWordFile);
    const QString folder = QDir(m_fixture->scratchPath()).filePath(QStringLiteral("Meine Briefe – ünterordner"));
    QVERIFY(QDir().mkpath(folder));
    const QString path = QDir(folder).filePath(name);

    m_fixture->clickSave(path);
    QCOMPARE(m_fixture->boxes().size(), 1);
    QCOMPARE(m_fixture->boxes().last().text, QStringLiteral("Done."));
    QCOMPARE(entriesOf(folder), QStringList{name});
    QCOMPARE(readAll(path), letterBytes);

    // Saving again over it asks first; "Yes" replaces it exactly.
    QVERIFY(writeFile(path, kOldLetter));
    m_fixture->clearBoxes();
    m_fixture->setAnswer(MessageBoxes::Yes);
    m_fixture->clickSave(path);
    QCOMPARE(m_fixture->boxes().size(), 2);
    QVERIFY(m_fixture->boxes().first().text.contains(path));
    QCOMPARE(readAll(path), letterBytes);
    QCOMPARE(entriesOf(folder), QStringList{name});
}

QTEST_MAIN(SaveFaultsTest)
#include "tst_savefaults.moc"
