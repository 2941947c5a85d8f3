#include "Files.h"
#include "Packages.h"
#include "ProgramFixture.h"

#include "Error.h"
#include "MergeRun.h"

#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

using namespace quill;
using namespace quill::test;

namespace {

// Makes the letters of `options`; the report of the run.
MergeReport merge(const MergeOptions &options)
{
    std::atomic<bool> stop{false};
    return MergeRun(options).run(stop);
}

// The files of `folder`, hidden ones included, by name with their bytes.
QMap<QString, QByteArray> folderFiles(const QString &folder)
{
    QMap<QString, QByteArray> files;
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        files.insert(name, readAll(dir.filePath(name)));
    return files;
}

} // namespace

// A merge beside the window: the same fill as "Start Creating Template", the stored form values for
// columns the list lacks, the same files whatever the number of workers.
class MergeRunTest : public QObject
{
    Q_OBJECT

private:
    // Writes `bytes` as the list and returns options that make its letters into a fresh folder.
    MergeOptions optionsFor(const QByteArray &bytes, const QString &outName = QStringLiteral("out"))
    {
        const QDir scratch(m_folders->scratchPath());
        scratch.mkdir(outName);
        MergeOptions options;
        options.listPath = scratch.filePath(QStringLiteral("list.csv"));
        options.outputFolder = scratch.filePath(outName);
        writeFile(options.listPath, bytes);
        return options;
    }

    std::unique_ptr<ProgramFixture> m_folders;

private slots:
    void init()
    {
        m_folders = std::make_unique<ProgramFixture>();
        QVERIFY(m_folders->isValid());
    }
    void cleanup() { m_folders.reset(); }

    void columnsAreMatchedByTagName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("field");
        QTest::newRow("as the tag") << "RecipientName" << 7;
        QTest::newRow("with brackets") << "[City2]" << 5;
        QTest::newRow("any case") << "zipcode2" << 2;
        QTest::newRow("blanks around") << " [ST] " << 8;
        QTest::newRow("the date") << "currentdate" << int(kDateField);
        QTest::newRow("no tag") << "Phone" << -1;
        QTest::newRow("half a bracket") << "[City2" << -1;
    }
    void columnsAreMatchedByTagName()
    {
        QFETCH(QString, name);
        QFETCH(int, field);
        QCOMPARE(fieldNamed(name), field);
    }

    void missingColumnsTakeTheStoredValuesAndTheStoreIsNotTouched()
    {
        SettingsStore::write(kSettingsApplication, kProductName, fieldSettingsKey(0), QStringLiteral("Stored Sender"));
        SettingsStore::write(kSettingsApplication, kProductName, fieldSettingsKey(7), QStringLiteral("Stored Recipient"));
        const QByteArray settings = readAll(m_folders->settingsFile());
        MergeOptions options = optionsFor("RecipientName,CurrentDate\n=Typed+1,12 May 2031\n");
        const MergeReport report = merge(options);
        QCOMPARE(report.written, qint64(1));
        const QByteArray body = readPackage(QDir(options.outputFolder).filePath(QStringLiteral("=Typed+1.doc"))).parts.value(QStringLiteral("word/document.xml"));
        QVERIFY(body.contains("Stored Sender"));
        QVERIFY(body.contains("=Typed+1"));
        QVERIFY(!body.contains("Stored Recipient"));
        QVERIFY(body.contains("12 May 2031"));
        QCOMPARE(readAll(m_folders->settingsFile()), settings);
        QCOMPARE(m_folders->tempEntries(), QStringList());
    }

    void aMergedLetterEqualsTheWindowsLetterPartForPart()
    {
        QVERIFY(m_folders->start());
        Form1 &form = m_folders->form();
        QTest::mouseClick(form.PushButton4, Qt::LeftButton);
        form.field(11)->setText(QStringLiteral("Smith & Söhne, \"Ltd\""));
        QByteArray header;
        QByteArray row;
        for (int index = 0; index < kTypedFieldCount; ++index) {
            header += (index ? "," : "") + QString::fromLatin1(letterField(index).tag).toUtf8();
            row += (index ? ",\"" : "\"") + form.field(index)->text().replace(QLatin1Char('"'), QStringLiteral("\"\"")).toUtf8() + "\"";
        }
        const QString windowLetter = QDir(m_folders->scratchPath()).filePath(QStringLiteral("window.doc"));
        m_folders->clickGenerate();
        QVERIFY(m_folders->previewShown());
        m_folders->clickSave(windowLetter);

        MergeOptions options = optionsFor(header + "\r\n" + row + "\r\n");
        QCOMPARE(merge(options).written, qint64(1));
        const PackageContents merged = readPackage(QDir(options.outputFolder).filePath(QStringLiteral("Smith & Söhne, \"Ltd\" - John Smith.doc")));
        const PackageContents window = readPackage(windowLetter);
        QVERIFY(window.error.isEmpty() && merged.error.isEmpty());
        QCOMPARE(merged.names, window.names);
        for (const QString &name : window.names)
            QVERIFY2(merged.parts.value(name) == window.parts.value(name), qPrintable(name));
    }

    void oneAndFourWorkersWriteTheSameFiles()
    {
        QByteArray list("CompanyName;RecipientName;City2\n");
        for (int i = 0; i < 24; ++i)
            list += "Co " + QByteArray::number(i % 3) + ";Name " + QByteArray::number(i % 4) + ";City " + QByteArray::number(i) + "\n";
        MergeOptions one = optionsFor(list, QStringLiteral("one"));
        one.jobs = 1;
        MergeOptions four = optionsFor(list, QStringLiteral("four"));
        four.jobs = 4;
        QCOMPARE(merge(one).written, qint64(24));
        QCOMPARE(merge(four).written, qint64(24));
        const QMap<QString, QByteArray> oneFiles = folderFiles(one.outputFolder);
        QCOMPARE(oneFiles.size(), 24);
        QVERIFY(oneFiles.contains(QStringLiteral("Co 0 - Name 0 (2).doc")));
        QVERIFY(oneFiles == folderFiles(four.outputFolder));
    }

    void aUserTemplateIsFilledInSplitRunsAndTextBoxes()
    {
        const QByteArray box = "<w:p><w:r><w:drawing><wp:anchor behindDoc=\"0\"><wp:docPr id=\"1\" name=\"Box\"/><a:graphic><a:graphicData "
                               "uri=\"http://schemas.microsoft.com/office/word/2010/wordprocessingShape\"><wps:wsp><wps:txbx><w:txbxContent>"
                               + paragraph(run("Box: [companyNAME]"))
                               + "</w:txbxContent></wps:txbx></wps:wsp></a:graphicData></a:graphic></wp:anchor></w:drawing></w:r></w:p>";
        DocumentRecipe recipe;
        recipe.body = paragraph(run("Dear [Recipient", "<w:b/>") + run("Name],")) + box;
        const QString userTemplate = QDir(m_folders->scratchPath()).filePath(QStringLiteral("mine.docx"));
        QVERIFY(writeDocument(userTemplate, recipe));

        MergeOptions options = optionsFor("RecipientName,CompanyName\nAnn,Acme\n");
        options.templatePath = userTemplate;
        options.namePattern = QStringLiteral("{RecipientName}");
        QCOMPARE(merge(options).written, qint64(1));
        const QByteArray body = readPackage(QDir(options.outputFolder).filePath(QStringLiteral("Ann.doc"))).parts.value(QStringLiteral("word/document.xml"));
        QVERIFY2(body.contains("Dear Ann") && body.contains("Box: Acme"), body.constData());
        QVERIFY(!body.contains("[Recipient") && !body.contains("Name]"));
    }

    void existingFilesAndLinksAreKeptUnlessReplaced()
    {
        MergeOptions options = optionsFor("RecipientName\nAnn\nBob\n");
        options.namePattern = QStringLiteral("{RecipientName}");
        const QDir out(options.outputFolder);
        const QString outside = QDir(m_folders->scratchPath()).filePath(QStringLiteral("outside.txt"));
        QVERIFY(writeFile(outside, "not a letter"));
        QVERIFY(QFile::link(outside, out.filePath(QStringLiteral("Ann.doc"))));
        QVERIFY(writeFile(out.filePath(QStringLiteral("Bob.doc")), "older"));

        MergeReport report = merge(options);
        QCOMPARE(report.written, qint64(0));
        QCOMPARE(report.problems.size(), size_t(2));
        QCOMPARE(report.problems[0].line, qint64(2));
        QCOMPARE(mergeExitStatus(report), 1);

        options.replace = true;
        report = merge(options);
        QCOMPARE(report.written, qint64(2));
        QCOMPARE(readAll(outside), QByteArray("not a letter"));
        QVERIFY(!QFileInfo(out.filePath(QStringLiteral("Ann.doc"))).isSymLink());
        QCOMPARE(folderFiles(options.outputFolder).keys(), QStringList({"Ann.doc", "Bob.doc"}));
    }

    // Both formats: the letter and its PDF side by side, the PDF holding the row's values as text.
    void bothFormatsWriteTheLetterAndItsPdf()
    {
        MergeOptions options = optionsFor("RecipientName\nAnn Quilliam\n");
        options.formats = {LetterFormat::Doc, LetterFormat::Pdf};
        options.namePattern = QStringLiteral("{RecipientName}");
        const MergeReport report = merge(options);
        QCOMPARE(report.skipped, qint64(0));
        QCOMPARE(folderFiles(options.outputFolder).keys(), QStringList({"Ann Quilliam.doc", "Ann Quilliam.pdf"}));
        const QString pdf = QDir(options.outputFolder).filePath(QStringLiteral("Ann Quilliam.pdf"));
        QVERIFY(readAll(pdf).startsWith("%PDF-"));
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished());
        QVERIFY(QString::fromUtf8(text.readAllStandardOutput()).contains(QStringLiteral("Ann Quilliam")));
    }
};

QTEST_MAIN(MergeRunTest)
#include "tst_mergerun.moc"
