#include "Automation.h"
#include "Form1.h"
#include "Form2.h"
#include "LetterFields.h"
#include "LetterGeneration.h"
#include "MessageBoxes.h"
#include "PageSnapshot.h"
#include "PictureBox.h"
#include "ProgramEnd.h"
#include "SaveDialog.h"
#include "TestPackages.h"

#include <QtTest>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>

using namespace quill;

// The road of one letter through the real windows, the real engine and real files:
// typed values, "Start Creating Template", the preview, saving, going back, generating again.
class LetterRoadTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_temp = std::make_unique<QTemporaryDir>();
        m_settings = std::make_unique<QTemporaryDir>();
        qputenv("TEMP", QFile::encodeName(m_temp->path()));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings->path());
        m_boxes.clear();
        m_ends = 0;
        MessageBoxes::setHandler([this](const MessageBoxes::Request &request) {
            m_boxes << request;
            return m_answer;
        });
        SaveDialog::setHandler([this](const SaveDialog::Request &) { return m_savePath; });
        setProgramEndHandler([this] { ++m_ends; });
        m_form = std::make_unique<Form1>();
        m_form->Form_Load();
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }
    void cleanup()
    {
        m_form.reset();
        MessageBoxes::setHandler({});
        SaveDialog::setHandler({});
        setProgramEndHandler({});
        ServerRegistry::restoreDefaults();
    }

    void generationShowsThePreviewOfTheTypedLetter()
    {
        QTest::mouseClick(m_form->PushButton4, Qt::LeftButton);
        m_form->field(11)->setText(QStringLiteral("Smith & Söhne <GmbH>"));
        generate();

        Form2 &preview = m_form->preview();
        QVERIFY(preview.isVisible());
        QVERIFY(!m_form->isVisible());
        QCOMPARE(preview.zoom(), 1.0f);
        QCOMPARE(preview.Picture1->pos(), QPoint(0, 0));
        QVERIFY(preview.Picture1->width() >= 800);
        QCOMPARE(m_form->pointer().value(), int(WindowPointer::Default));
        QVERIFY(!m_form->field(kDateField)->text().isEmpty());

        const QString document = preview.mWordFile;
        QCOMPARE(QFileInfo(document).absolutePath(), QFileInfo(m_temp->path()).absoluteFilePath());
        QVERIFY(QRegularExpression(QStringLiteral("^zatlec[1-9]{8}\\.doc$")).match(QFileInfo(document).fileName()).hasMatch());
        const QByteArray body = test::readZip(document).value(QStringLiteral("word/document.xml"));
        QVERIFY(body.contains("Smith &amp; Söhne &lt;GmbH&gt;"));
        QVERIFY(body.contains("Orla Penhallow"));
        QVERIFY(!QFileInfo::exists(m_temp->filePath(kTemplateWorkFile)));
        QVERIFY(!QFileInfo::exists(m_temp->filePath(kSnapshotWorkFile)));
        QVERIFY(!GetClipboardPicture(kAnyPictureFormat).isNull());
        QCOMPARE(workFiles(), QStringList{QFileInfo(document).fileName()});
    }

    void savingCopiesTheLetter()
    {
        generate();
        Form2 &preview = m_form->preview();
        const QByteArray letter = readAll(preview.mWordFile);

        m_savePath = m_temp->filePath(QStringLiteral("saved/My Letter é.doc"));
        QDir(m_temp->path()).mkdir(QStringLiteral("saved"));
        QTest::mouseClick(preview.PushButton6, Qt::LeftButton);
        QCOMPARE(readAll(m_savePath), letter);
        QCOMPARE(lastBox(), QStringLiteral("Done."));

        // Overwrite: "No" keeps the old file and says nothing; "Yes" replaces it.
        writeFile(m_savePath, "older letter");
        m_boxes.clear();
        m_answer = MessageBoxes::No;
        QTest::mouseClick(preview.PushButton6, Qt::LeftButton);
        QCOMPARE(readAll(m_savePath), QByteArray("older letter"));
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes[0].text, QStringLiteral("Are you sure you wish to overwrite ") + m_savePath + QStringLiteral(" ?"));
        m_answer = MessageBoxes::Yes;
        QTest::mouseClick(preview.PushButton6, Qt::LeftButton);
        QCOMPARE(readAll(m_savePath), letter);
        QCOMPARE(lastBox(), QStringLiteral("Done."));
    }

    void backAndGenerateAgainShowsTheNewLetter()
    {
        generate();
        Form2 &preview = m_form->preview();
        const QString first = preview.mWordFile;
        QTest::mouseClick(preview.PushButton1, Qt::LeftButton);
        QCOMPARE(preview.zoom(), 1.25f);

        QTest::mouseClick(preview.PushButton8, Qt::LeftButton);
        QVERIFY(!QFileInfo::exists(first));
        QVERIFY(m_form->isVisible());
        QVERIFY(!preview.isVisible());

        m_form->field(0)->setText(QStringLiteral("Second Sender"));
        generate();
        QVERIFY(preview.mWordFile != first);
        QCOMPARE(preview.zoom(), 1.0f);
        QCOMPARE(preview.Picture1->pos(), QPoint(0, 0));
        QVERIFY(test::readZip(preview.mWordFile).value(QStringLiteral("word/document.xml")).contains("Second Sender"));

        // Closing the preview deletes its document and ends the program.
        preview.close();
        QCOMPARE(m_ends, 1);
        QVERIFY(workFiles().isEmpty());
    }

    void missingWordProcessorIsReportedOnceAndCleansUp()
    {
        ServerRegistry::registerServer(QStringLiteral("Word.Application"), []() -> AutomationObjectPtr {
            throw AutomationError(QStringLiteral("The word processor could not be started."));
        });
        QTest::mouseClick(m_form->PushButton6, Qt::LeftButton);
        QCOMPARE(m_boxes.size(), 1);
        QVERIFY(m_boxes[0].text.startsWith(QStringLiteral("The word processor could not be started.\r\n"
                                                          "in QuillfernEpistle2021/08/31.Form1.PushButton6_Click at line 110\r\r")));
        QVERIFY(m_form->isVisible());
        QVERIFY(!m_form->existingPreview());
        QCOMPARE(m_form->pointer().value(), int(WindowPointer::Default));
        QVERIFY(workFiles().isEmpty());

        // The flag is cleared: the button works again once the word processor is back.
        ServerRegistry::restoreDefaults();
        m_boxes.clear();
        generate();
        QVERIFY(m_boxes.isEmpty());
    }

    void brokenTemplateWorkFileIsReportedOnce()
    {
        writeFile(m_temp->filePath(kTemplateWorkFile), "left over from a crash, not a document");
        QTest::mouseClick(m_form->PushButton6, Qt::LeftButton);
        QCOMPARE(m_boxes.size(), 1);
        QVERIFY(m_boxes[0].text.contains(QStringLiteral("PushButton6_Click at line 114")));
        // The stale file is removed, so the next run writes a sound one.
        QVERIFY(workFiles().isEmpty());
        m_boxes.clear();
        generate();
        QVERIFY(m_boxes.isEmpty());
    }

    void linkedTemplateWorkFileIsRefused()
    {
        QTemporaryDir elsewhere;
        const QString outside = elsewhere.filePath(QStringLiteral("someone's letter.docx"));
        writeFile(outside, "precious");
        QVERIFY(QFile::link(outside, m_temp->filePath(kTemplateWorkFile)));

        QTest::mouseClick(m_form->PushButton6, Qt::LeftButton);
        QCOMPARE(m_boxes.size(), 1);
        QVERIFY(m_boxes[0].text.contains(QStringLiteral("is a link")));
        QVERIFY(m_boxes[0].text.contains(QStringLiteral("PushButton6_Click at line 108\r\r")));
        QVERIFY(!m_form->existingPreview());
        QCOMPARE(readAll(outside), QByteArray("precious"));
        QVERIFY(workFiles().isEmpty());
        QVERIFY(!QFileInfo(m_temp->filePath(kTemplateWorkFile)).isSymLink());
    }

private:
    void generate()
    {
        QTest::mouseClick(m_form->PushButton6, Qt::LeftButton);
        QVERIFY2(m_boxes.isEmpty(), m_boxes.isEmpty() ? "" : qPrintable(m_boxes[0].text));
        QVERIFY(QTest::qWaitForWindowExposed(&m_form->preview()));
    }
    QString lastBox() const { return m_boxes.isEmpty() ? QString() : m_boxes.last().text; }
    QStringList workFiles() const { return QDir(m_temp->path()).entryList(QDir::Files | QDir::System | QDir::Hidden); }
    static QByteArray readAll(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static void writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    std::unique_ptr<QTemporaryDir> m_temp;
    std::unique_ptr<QTemporaryDir> m_settings;
    std::unique_ptr<Form1> m_form;
    QList<MessageBoxes::Request> m_boxes;
    int m_answer = MessageBoxes::Ok;
    QString m_savePath;
    int m_ends = 0;
};

QTEST_MAIN(LetterRoadTest)
#include "tst_letterroad.moc"
