#include "DialogRecorder.h"
#include "Files.h"
#include "GenerationSteps.h"
#include "Packages.h"

#include "Automation.h"
#include "ErrorTrap.h"
#include "FileHelpers.h"
#include "LetterFields.h"
#include "LetterTemplate.h"
#include "PageSnapshot.h"

#include <QtTest>
#include <QClipboard>
#include <QRegularExpression>

using namespace quill;
using namespace quill::test;

class LetterGenerationTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_dialogs = std::make_unique<DialogRecorder>();
    }
    void cleanup()
    {
        m_dialogs.reset();
        ServerRegistry::restoreDefaults();
    }

    void everyTagOfTheTemplateIsFilled()
    {
        const QString result = fill(sampleFields());
        QVERIFY(m_dialogs->boxes().isEmpty());

        const QStringList stories = storyTexts(result);
        const QString body = stories.value(0);
        QVERIFY(!body.contains(QLatin1Char('[')));
        for (const SampleValue &sample : kSampleValues)
            QVERIFY2(body.contains(QString::fromUtf8(sample.value)), sample.value);
        // The capitals tags of the schedule take the same texts as their mixed-case twins.
        QCOMPARE(body.count(QStringLiteral("Ridizaz Arevudud Inc.")), 2);
        QCOMPARE(body.count(QStringLiteral("123 Garage St")), 2);
        QCOMPARE(body.count(QStringLiteral("Hawthorne")), 2);
        QCOMPARE(body.count(QStringLiteral("John Smith")), 3);
        QCOMPARE(body.count(QStringLiteral("12/7/26")), 2);
        // "[City]" never matched inside "[City2]": Boise appears once, Hawthorne only where [City2] stood.
        QCOMPARE(body.count(QStringLiteral("Boise")), 1);
        // The header's prompt is no tag and stays.
        bool promptKept = false;
        const QMap<QString, QByteArray> parts = readPackage(result).parts;
        for (auto part = parts.begin(); part != parts.end(); ++part)
            promptKept |= part.key().startsWith(QStringLiteral("word/header")) && part.value().contains("[Recipient Name]");
        QVERIFY(promptKept);
    }

    void replacementOrderFollowsFieldIndexes()
    {
        std::vector<FieldReplacement> fields = sampleFields();
        fields[0].text = QStringLiteral("Ann of [City]");      // a later field's tag: replaced in its turn
        fields[2].text = QStringLiteral("zip [YourName]");     // an earlier field's tag: stays as typed
        fields[10].text = QString();                           // an empty field removes its tag
        const QString body = storyTexts(fill(fields)).value(0);
        QVERIFY(body.contains(QStringLiteral("Ann of Boise")));
        QVERIFY(body.contains(QStringLiteral("zip [YourName]")));
        QVERIFY(!body.contains(QStringLiteral("[Title]"), Qt::CaseInsensitive));
    }

    void specialCharactersSurviveTheRoundTrip()
    {
        std::vector<FieldReplacement> fields = sampleFields();
        const QString tricky = QStringLiteral("R&D <Zoë> \"quoted\" 'single' — Łódź ]]> &amp;");
        fields[11].text = tricky;
        fields[0].text = QStringLiteral("  spaced  ");
        const QString body = storyTexts(fill(fields)).value(0);
        QCOMPARE(body.count(tricky), 2);
        QVERIFY(body.contains(QStringLiteral("  spaced  ")));
    }

    void resultNamesAreFreshAndWellFormed()
    {
        ErrorTrap trap(QStringLiteral("test "));
        const QRegularExpression pattern(QStringLiteral("^zatlec[1-9]{8}\\.doc$"));
        QSet<QString> names;
        for (int draw = 0; draw < 20; ++draw) {
            const QString path = drawResultDocumentPath(trap, m_dir->path());
            QCOMPARE(QFileInfo(path).absolutePath(), QFileInfo(m_dir->path()).absoluteFilePath());
            QVERIFY2(pattern.match(QFileInfo(path).fileName()).hasMatch(), qPrintable(path));
            names.insert(path);
        }
        QVERIFY(names.size() > 15);
    }

    void snapshotRendersTheBodyAndLeavesTheDocument()
    {
        const QString result = fill(sampleFields());
        const QByteArray before = readAll(result);
        const QString snapshot = m_dir->filePath(kSnapshotWorkFile);
        SaveDocAsJPG(result, snapshot);
        QVERIFY(m_dialogs->boxes().isEmpty());

        const Picture picture = Picture::load(snapshot);
        QVERIFY(picture.isVector());
        QCOMPARE(picture.size().width(), 816);
        QVERIFY(picture.size().height() >= 2 * 1056);
        QCOMPARE(readAll(result), before);
        // The clipboard keeps the picture of the letter's body.
        QCOMPARE(GetClipboardPicture(kAnyPictureFormat).size(), picture.size());
    }

    void emptyClipboardGivesNoPicture()
    {
        QGuiApplication::clipboard()->clear();
        QVERIFY(GetClipboardPicture(kAnyPictureFormat).isNull());
    }

    void snapshotWithoutWordProcessorReportsOnce()
    {
        ServerRegistry::registerServer(QStringLiteral("Word.Application"), []() -> AutomationObjectPtr {
            throw Error(Status::ServerUnavailable, QStringLiteral("The word processor could not be started."));
        });
        const QString snapshot = m_dir->filePath(kSnapshotWorkFile);
        SaveDocAsJPG(m_dir->filePath(QStringLiteral("zatlec11111111.doc")), snapshot);
        QCOMPARE(m_dialogs->boxes().size(), 1);
        QVERIFY(m_dialogs->boxes()[0].text.startsWith(QStringLiteral("The word processor could not be started.\r\n"
                                                          "in QuillfernEpistle2021/08/31.Form1.SaveDocAsJPG at line 116\r\r")));
        QVERIFY(!QFileInfo::exists(snapshot));
    }

    void snapshotOfAMissingDocumentReportsTheOpenOnly()
    {
        QGuiApplication::clipboard()->setText(QStringLiteral("someone else's clipboard"));
        const QString snapshot = m_dir->filePath(kSnapshotWorkFile);
        // A snapshot left by an interrupted earlier run goes, so that it cannot pass for this letter's.
        QImage leftover(8, 8, QImage::Format_RGB32);
        leftover.fill(Qt::red);
        QVERIFY(leftover.save(snapshot, "BMP"));
        SaveDocAsJPG(m_dir->filePath(QStringLiteral("missing.doc")), snapshot);
        QCOMPARE(m_dialogs->boxes().size(), 1);
        QVERIFY(m_dialogs->boxes()[0].text.contains(QStringLiteral("SaveDocAsJPG at line 118")));
        QVERIFY(!QFileInfo::exists(snapshot));
    }

private:
    QString fill(const std::vector<FieldReplacement> &fields) { return fillTemplate(m_dir->path(), fields); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<DialogRecorder> m_dialogs;
};

QTEST_MAIN(LetterGenerationTest)
#include "tst_lettergeneration.moc"
