#include "ProgramFixture.h"

#include "LetterGeneration.h"

using namespace quill;
using namespace quill::test;

namespace {

// What breaks the temporary folder T before "Start Creating Template" is pressed.
enum class Breakage { Missing, BelowAFile, ReadOnly, FullFileSystem, FileSizeLimit };

// The size of the small file system that is filled up (bytes).
constexpr qint64 kSmallFileSystem = 256 * 1024;
// A file size limit well below the template's size (bytes).
constexpr qint64 kTinyFileLimit = 1024;

const QString kErrorTitle = QStringLiteral("Application Error");
const QString kGenerateTag = QStringLiteral("in QuillfernEpistle2021/08/31.Form1.PushButton6_Click at line ");

// What a leftover work file named template.dot is.
enum class Leftover { NotADocument, Folder, LinkToAFile, LinkToADevice, DanglingLink, LinkToADocument };

} // namespace

Q_DECLARE_METATYPE(Breakage)
Q_DECLARE_METATYPE(Leftover)

// A broken temporary folder and stale work files in it: generation reports the failure once and
// changes nothing it should not; the program works again once the folder is sound.
class TempFolderFaultsTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void brokenFolderIsReportedOnceAndHealed_data();
    void brokenFolderIsReportedOnceAndHealed();
    void leftoverTemplateIsReportedAndNothingOutsideIsWritten_data();
    void leftoverTemplateIsReportedAndNothingOutsideIsWritten();
    void leftoverSnapshotLinkIsNotFollowed();

private:
    // The helpers below check with QVERIFY and QCOMPARE, which leave only the helper: after each
    // call the test returns when QTest::currentTestFailed().

    // Loads example data and types a value, so that there is something to lose.
    void fillForm();
    // Checks the fields and the settings against what fillForm left.
    void verifyFormAndSettingsIntact();
    // Presses the button and checks that a preview of a sound letter came up without a box.
    void verifyGenerationWorks();

    std::unique_ptr<ProgramFixture> m_fixture;
    QStringList m_fieldTexts;
    QByteArray m_settingsBytes;
    QString m_mountPoint;
    QString m_readOnly;
};

void TempFolderFaultsTest::init()
{
    m_fixture = std::make_unique<ProgramFixture>();
    QVERIFY(m_fixture->start());
}

void TempFolderFaultsTest::cleanup()
{
    if (!m_readOnly.isEmpty())
        faults::makeWritable(m_readOnly);
    // Unmounted before the fixture removes the folders that hold the mount point.
    if (!m_mountPoint.isEmpty())
        faults::unmount(m_mountPoint);
    m_fixture.reset();
    m_mountPoint.clear();
    m_readOnly.clear();
}

void TempFolderFaultsTest::fillForm()
{
    QTest::mouseClick(m_fixture->form().PushButton4, Qt::LeftButton);
    m_fixture->typeInto(0, QStringLiteral("Zoë Trelawny"));
    m_fieldTexts.clear();
    for (int index = 0; index < kTypedFieldCount; ++index)
        m_fieldTexts << m_fixture->form().field(index)->text();
    m_settingsBytes = readAll(m_fixture->settingsFile());
    QVERIFY(m_settingsBytes.contains("Zo"));
}

void TempFolderFaultsTest::verifyFormAndSettingsIntact()
{
    QVERIFY(m_fixture->form().isVisible());
    QVERIFY(!m_fixture->previewShown());
    QCOMPARE(m_fixture->form().pointer().value(), int(WindowPointer::Default));
    for (int index = 0; index < kTypedFieldCount; ++index) {
        QCOMPARE(m_fixture->form().field(index)->text(), m_fieldTexts[index]);
        QCOMPARE(ProgramFixture::storedField(index), m_fieldTexts[index]);
    }
    QCOMPARE(readAll(m_fixture->settingsFile()), m_settingsBytes);
}

void TempFolderFaultsTest::verifyGenerationWorks()
{
    m_fixture->clearBoxes();
    m_fixture->clickGenerate();
    QVERIFY2(m_fixture->boxes().isEmpty(), qPrintable(m_fixture->boxTexts()));
    QVERIFY(m_fixture->previewShown());
    const QString document = m_fixture->form().preview().mWordFile;
    QVERIFY(QFileInfo(document).isFile());
    QVERIFY(readAll(document).startsWith("PK"));
}

void TempFolderFaultsTest::brokenFolderIsReportedOnceAndHealed_data()
{
    QTest::addColumn<Breakage>("breakage");
    QTest::newRow("missing") << Breakage::Missing;
    QTest::newRow("below a regular file") << Breakage::BelowAFile;
    QTest::newRow("read-only") << Breakage::ReadOnly;
    QTest::newRow("full file system") << Breakage::FullFileSystem;
    QTest::newRow("file size limit") << Breakage::FileSizeLimit;
}

void TempFolderFaultsTest::brokenFolderIsReportedOnceAndHealed()
{
    QFETCH(Breakage, breakage);
    fillForm();
    if (QTest::currentTestFailed())
        return;

    const QString scratch = m_fixture->scratchPath();
    QString folder = m_fixture->tempPath();
    std::unique_ptr<faults::FileSizeLimit> limit;
    switch (breakage) {
    case Breakage::Missing:
        folder = QDir(scratch).filePath(QStringLiteral("gone"));
        break;
    case Breakage::BelowAFile:
        QVERIFY(writeFile(QDir(scratch).filePath(QStringLiteral("plain")), "a file, not a folder"));
        folder = QDir(scratch).filePath(QStringLiteral("plain/T"));
        break;
    case Breakage::ReadOnly:
        m_readOnly = folder;
        if (!faults::makeReadOnly(folder))
            QSKIP("This process can make no folder read-only (no permission bits and no immutable attribute apply).");
        break;
    case Breakage::FullFileSystem:
        folder = QDir(scratch).filePath(QStringLiteral("small"));
        QVERIFY(QDir().mkpath(folder));
        if (!faults::mountSmallTmpfs(folder, kSmallFileSystem))
            QSKIP("This process may not mount a file system; the file size limit row injects the same failure.");
        m_mountPoint = folder;
        QVERIFY(faults::fillUp(folder, QStringLiteral("filler")) > 0);
        break;
    case Breakage::FileSizeLimit:
        limit = std::make_unique<faults::FileSizeLimit>(kTinyFileLimit);
        break;
    }
    ProgramFixture::setTemp(folder);
    const QStringList before = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);

    m_fixture->clickGenerate();
    limit.reset();
    QCOMPARE(m_fixture->boxes().size(), 1);
    const MessageBoxes::Request &box = m_fixture->boxes().first();
    QCOMPARE(box.title, kErrorTitle);
    QCOMPARE(box.style, int(MessageBoxes::Exclamation));
    QVERIFY2(box.text.contains(kGenerateTag + QStringLiteral("108")), qPrintable(box.text));
    QVERIFY2(box.text.contains(QDir::toNativeSeparators(QDir(folder).filePath(kTemplateWorkFile))), qPrintable(box.text));
    verifyFormAndSettingsIntact();
    if (QTest::currentTestFailed())
        return;
    // No work file is left half written.
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot), before);

    // The folder is fixed: the same window generates at the next press.
    switch (breakage) {
    case Breakage::Missing:
        QVERIFY(QDir().mkpath(folder));
        break;
    case Breakage::BelowAFile:
        QVERIFY(QFile::remove(QDir(scratch).filePath(QStringLiteral("plain"))));
        QVERIFY(QDir().mkpath(folder));
        break;
    case Breakage::ReadOnly:
        faults::makeWritable(folder);
        break;
    case Breakage::FullFileSystem:
        QVERIFY(QFile::remove(QDir(folder).filePath(QStringLiteral("filler"))));
        break;
    case Breakage::FileSizeLimit:
        break;
    }
    verifyGenerationWorks();
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(QFileInfo(m_fixture->form().preview().mWordFile).absolutePath(), QFileInfo(folder).absoluteFilePath());
}

void TempFolderFaultsTest::leftoverTemplateIsReportedAndNothingOutsideIsWritten_data()
{
    QTest::addColumn<Leftover>("leftover");
    QTest::newRow("not a document") << Leftover::NotADocument;
    QTest::newRow("a folder") << Leftover::Folder;
    QTest::newRow("link to a file elsewhere") << Leftover::LinkToAFile;
    QTest::newRow("link to a device") << Leftover::LinkToADevice;
    QTest::newRow("dangling link") << Leftover::DanglingLink;
    QTest::newRow("link to a document elsewhere") << Leftover::LinkToADocument;
}

void TempFolderFaultsTest::leftoverTemplateIsReportedAndNothingOutsideIsWritten()
{
    QFETCH(Leftover, leftover);
    fillForm();
    if (QTest::currentTestFailed())
        return;
    const QString workFile = QDir(m_fixture->tempPath()).filePath(kTemplateWorkFile);
    const QString outside = QDir(m_fixture->scratchPath()).filePath(QStringLiteral("outside.dot"));
    const QByteArray outsideBytes = "the user's own file, which must stay as it is";

    switch (leftover) {
    case Leftover::NotADocument:
        QVERIFY(writeFile(workFile, "left over from a crash, not a document"));
        break;
    case Leftover::Folder:
        QVERIFY(QDir().mkdir(workFile));
        break;
    case Leftover::LinkToAFile:
        QVERIFY(writeFile(outside, outsideBytes));
        QVERIFY(QFile::link(outside, workFile));
        break;
    case Leftover::LinkToADevice:
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), workFile));
        break;
    case Leftover::DanglingLink:
        QVERIFY(QFile::link(outside, workFile));
        break;
    case Leftover::LinkToADocument: {
        // A letter saved elsewhere by the user: readable as a document, and not ours to use or change.
        m_fixture->clickGenerate();
        QVERIFY(m_fixture->previewShown());
        QVERIFY(QFile::copy(m_fixture->form().preview().mWordFile, outside));
        QTest::mouseClick(m_fixture->form().preview().PushButton8, Qt::LeftButton);
        QVERIFY(QFile::link(outside, workFile));
        // That generation stored its date: the settings to keep are the ones after it.
        m_settingsBytes = readAll(m_fixture->settingsFile());
        break;
    }
    }
    const QByteArray outsideBefore = readAll(outside);
    const QDateTime outsideTime = QFileInfo(outside).lastModified();
    const QStringList scratchBefore = QDir(m_fixture->scratchPath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);

    // A link is refused before it is opened; anything else fails when the word processor opens it.
    const bool isLink = QFileInfo(workFile).isSymLink();
    m_fixture->clearBoxes();
    m_fixture->clickGenerate();
    QCOMPARE(m_fixture->boxes().size(), 1);
    QVERIFY2(m_fixture->boxes().first().text.contains(kGenerateTag + QString::number(isLink ? 108 : 114)),
             qPrintable(m_fixture->boxTexts()));
    verifyFormAndSettingsIntact();
    if (QTest::currentTestFailed())
        return;

    QCOMPARE(QDir(m_fixture->scratchPath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), scratchBefore);
    QCOMPARE(readAll(outside), outsideBefore);
    QCOMPARE(QFileInfo(outside).lastModified(), outsideTime);

    // A file or link is removed with the failed run; a folder stays until the user removes it.
    if (leftover == Leftover::Folder) {
        QVERIFY(QFileInfo(workFile).isDir());
        QVERIFY(QDir(workFile).removeRecursively());
    }
    QVERIFY(!QFileInfo(workFile).exists() && !QFileInfo(workFile).isSymLink());
    verifyGenerationWorks();
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(readAll(outside), outsideBefore);
}

void TempFolderFaultsTest::leftoverSnapshotLinkIsNotFollowed()
{
    fillForm();
    if (QTest::currentTestFailed())
        return;
    const QString outside = QDir(m_fixture->scratchPath()).filePath(QStringLiteral("picture.bmp"));
    const QByteArray outsideBytes = "the user's own picture";
    QVERIFY(writeFile(outside, outsideBytes));
    QVERIFY(QFile::link(outside, QDir(m_fixture->tempPath()).filePath(kSnapshotWorkFile)));

    m_fixture->clickGenerate();
    QCOMPARE(readAll(outside), outsideBytes);
    QVERIFY(!QFileInfo(QDir(m_fixture->tempPath()).filePath(kSnapshotWorkFile)).isSymLink());
}

QTEST_MAIN(TempFolderFaultsTest)
#include "tst_tempfolder.moc"
