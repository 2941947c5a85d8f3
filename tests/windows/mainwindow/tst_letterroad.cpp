#include "Packages.h"
#include "ProgramFixture.h"

#include "Automation.h"
#include "Form1.h"
#include "Form2.h"
#include "LetterFields.h"
#include "LetterGeneration.h"
#include "PageSnapshot.h"
#include "PictureBox.h"

#include <QtTest>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>

using namespace quill;
using namespace quill::test;

// The road of one letter through the real windows, the real engine and real files:
// typed values, "Start Creating Template", the preview, saving, going back, generating again.
class LetterRoadTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_fixture = std::make_unique<ProgramFixture>();
        QVERIFY(m_fixture->isValid());
        QVERIFY(m_fixture->start());
        m_form = &m_fixture->form();
    }
    void cleanup() { m_fixture.reset(); }

    void generationShowsThePreviewOfTheTypedLetter()
    {
        QTest::mouseClick(m_form->PushButton4, Qt::LeftButton);
        m_form->field(11)->setText(QStringLiteral("Smith & Söhne <GmbH>"));
        QVERIFY(generate());

        Form2 &preview = m_form->preview();
        QVERIFY(preview.isVisible());
        QVERIFY(!m_form->isVisible());
        QCOMPARE(preview.zoom(), 1.0f);
        QCOMPARE(preview.Picture1->pos(), QPoint(0, 0));
        QVERIFY(preview.Picture1->width() >= 800);
        QCOMPARE(m_form->pointer().value(), int(WindowPointer::Default));
        QVERIFY(!m_form->field(kDateField)->text().isEmpty());

        const QString document = preview.mWordFile;
        QCOMPARE(QFileInfo(document).absolutePath(), QFileInfo(m_fixture->tempPath()).absoluteFilePath());
        QVERIFY(QRegularExpression(QStringLiteral("^zatlec[1-9]{8}\\.doc$")).match(QFileInfo(document).fileName()).hasMatch());
        const QByteArray body = readPackage(document).parts.value(QStringLiteral("word/document.xml"));
        QVERIFY(body.contains("Smith &amp; Söhne &lt;GmbH&gt;"));
        QVERIFY(body.contains("Orla Penhallow"));
        QVERIFY(!QFileInfo::exists(QDir(m_fixture->tempPath()).filePath(kTemplateWorkFile)));
        QVERIFY(!QFileInfo::exists(QDir(m_fixture->tempPath()).filePath(kSnapshotWorkFile)));
        QVERIFY(!GetClipboardPicture(kAnyPictureFormat).isNull());
        QCOMPARE(workFiles(), QStringList{QFileInfo(document).fileName()});
    }

    void savingCopiesTheLetter()
    {
        QVERIFY(generate());
        Form2 &preview = m_form->preview();
        const QByteArray letter = readAll(preview.mWordFile);

        const QString savePath = QDir(m_fixture->tempPath()).filePath(QStringLiteral("saved/My Letter é.doc"));
        m_fixture->setSavePath(savePath);
        QDir(m_fixture->tempPath()).mkdir(QStringLiteral("saved"));
        QTest::mouseClick(preview.PushButton6, Qt::LeftButton);
        QCOMPARE(readAll(savePath), letter);
        QCOMPARE(m_fixture->lastBox(), QStringLiteral("Done."));

        // Overwrite: "No" keeps the old file and says nothing; "Yes" replaces it.
        QVERIFY(writeFile(savePath, "older letter"));
        m_fixture->clearBoxes();
        m_fixture->setAnswer(MessageBoxes::No);
        QTest::mouseClick(preview.PushButton6, Qt::LeftButton);
        QCOMPARE(readAll(savePath), QByteArray("older letter"));
        QCOMPARE(m_fixture->boxes().size(), 1);
        QCOMPARE(m_fixture->boxes()[0].text, QStringLiteral("Are you sure you wish to overwrite ") + savePath + QStringLiteral(" ?"));
        m_fixture->setAnswer(MessageBoxes::Yes);
        QTest::mouseClick(preview.PushButton6, Qt::LeftButton);
        QCOMPARE(readAll(savePath), letter);
        QCOMPARE(m_fixture->lastBox(), QStringLiteral("Done."));
    }

    void backAndGenerateAgainShowsTheNewLetter()
    {
        QVERIFY(generate());
        Form2 &preview = m_form->preview();
        const QString first = preview.mWordFile;
        QTest::mouseClick(preview.PushButton1, Qt::LeftButton);
        QCOMPARE(preview.zoom(), 1.25f);

        QTest::mouseClick(preview.PushButton8, Qt::LeftButton);
        QVERIFY(!QFileInfo::exists(first));
        QVERIFY(m_form->isVisible());
        QVERIFY(!preview.isVisible());

        m_form->field(0)->setText(QStringLiteral("Second Sender"));
        QVERIFY(generate());
        QVERIFY(preview.mWordFile != first);
        QCOMPARE(preview.zoom(), 1.0f);
        QCOMPARE(preview.Picture1->pos(), QPoint(0, 0));
        QVERIFY(readPackage(preview.mWordFile).parts.value(QStringLiteral("word/document.xml")).contains("Second Sender"));

        // Closing the preview deletes its document and ends the program.
        preview.close();
        QCOMPARE(m_fixture->programEnds(), 1);
        QVERIFY(workFiles().isEmpty());
    }

    void missingWordProcessorIsReportedOnceAndCleansUp()
    {
        ServerRegistry::registerServer(QStringLiteral("Word.Application"), []() -> AutomationObjectPtr {
            throw Error(Status::ServerUnavailable, QStringLiteral("The word processor could not be started."));
        });
        QTest::mouseClick(m_form->PushButton6, Qt::LeftButton);
        QCOMPARE(m_fixture->boxes().size(), 1);
        QVERIFY(m_fixture->boxes()[0].text.startsWith(QStringLiteral("The word processor could not be started.\r\n"
                                                          "in QuillfernEpistle2021/08/31.Form1.PushButton6_Click at line 110\r\r")));
        QVERIFY(m_form->isVisible());
        QVERIFY(!m_form->existingPreview());
        QCOMPARE(m_form->pointer().value(), int(WindowPointer::Default));
        QVERIFY(workFiles().isEmpty());

        // The flag is cleared: the button works again once the word processor is back.
        ServerRegistry::restoreDefaults();
        m_fixture->clearBoxes();
        QVERIFY(generate());
        QVERIFY(m_fixture->boxes().isEmpty());
    }

    void brokenTemplateWorkFileIsReportedOnce()
    {
        QVERIFY(writeFile(QDir(m_fixture->tempPath()).filePath(kTemplateWorkFile), "left over from a crash, not a document"));
        QTest::mouseClick(m_form->PushButton6, Qt::LeftButton);
        QCOMPARE(m_fixture->boxes().size(), 1);
        QVERIFY(m_fixture->boxes()[0].text.contains(QStringLiteral("PushButton6_Click at line 114")));
        // The stale file is removed, so the next run writes a sound one.
        QVERIFY(workFiles().isEmpty());
        m_fixture->clearBoxes();
        QVERIFY(generate());
        QVERIFY(m_fixture->boxes().isEmpty());
    }

    void linkedTemplateWorkFileIsRefused()
    {
        QTemporaryDir elsewhere;
        const QString outside = elsewhere.filePath(QStringLiteral("someone's letter.docx"));
        QVERIFY(writeFile(outside, "precious"));
        QVERIFY(QFile::link(outside, QDir(m_fixture->tempPath()).filePath(kTemplateWorkFile)));

        QTest::mouseClick(m_form->PushButton6, Qt::LeftButton);
        QCOMPARE(m_fixture->boxes().size(), 1);
        QVERIFY(m_fixture->boxes()[0].text.contains(QStringLiteral("is a link")));
        QVERIFY(m_fixture->boxes()[0].text.contains(QStringLiteral("PushButton6_Click at line 108\r\r")));
        QVERIFY(!m_form->existingPreview());
        QCOMPARE(readAll(outside), QByteArray("precious"));
        QVERIFY(workFiles().isEmpty());
        QVERIFY(!QFileInfo(QDir(m_fixture->tempPath()).filePath(kTemplateWorkFile)).isSymLink());
    }

private:
    // Presses "Start Creating Template"; true when no box came up and the preview was shown.
    bool generate()
    {
        QTest::mouseClick(m_form->PushButton6, Qt::LeftButton);
        if (!m_fixture->boxes().isEmpty()) {
            qWarning("unexpected box: %s", qPrintable(m_fixture->boxTexts()));
            return false;
        }
        return QTest::qWaitForWindowExposed(&m_form->preview());
    }
    QStringList workFiles() const { return QDir(m_fixture->tempPath()).entryList(QDir::Files | QDir::System | QDir::Hidden); }

    std::unique_ptr<ProgramFixture> m_fixture;
    // The fixture's main window.
    Form1 *m_form = nullptr;
};

QTEST_MAIN(LetterRoadTest)
#include "tst_letterroad.moc"
