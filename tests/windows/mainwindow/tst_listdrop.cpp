#include "ProgramFixture.h"

#include "FolderDialog.h"

#include <QtTest>
#include <QMimeData>

using namespace quill;
using namespace quill::test;

// A recipient list dropped on the main window: the folder asked through its dialog, the letters
// made, one box with the summary; the form, its stored values and the window stay as they were.
class ListDropTest : public QObject
{
    Q_OBJECT

private:
    // Drops the file at `path` on the main window as a file manager does; true when the window took it.
    bool drop(const QString &path)
    {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        Form1 &form = m_fixture->form();
        const QPoint centre = form.rect().center();
        QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&form, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(QPointF(centre), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&form, &dropped);
        return dropped.isAccepted();
    }

    QString scratch(const QString &name) const { return QDir(m_fixture->scratchPath()).filePath(name); }

    std::unique_ptr<ProgramFixture> m_fixture;
    QString m_folderAnswer;
    int m_folderQuestions = 0;

private slots:
    void init()
    {
        m_fixture = std::make_unique<ProgramFixture>();
        QVERIFY(m_fixture->isValid());
        QVERIFY(m_fixture->start());
        m_folderQuestions = 0;
        FolderDialog::setHandler([this](const QString &) {
            ++m_folderQuestions;
            return m_folderAnswer;
        });
    }
    void cleanup()
    {
        FolderDialog::setHandler({});
        m_fixture.reset();
    }

    void droppedListMakesTheLetters_data()
    {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<bool>("answered"); // the folder dialog answers with a folder
        QTest::addColumn<int>("letters");
        QTest::addColumn<QString>("box");   // empty: no box
        QTest::newRow("letters made") << QByteArray("RecipientName;City2\nAnn;Boise\nBob;Hawthorne\nAnn;Boise\n") << true << 3 << "3 letters written to";
        QTest::newRow("a row skipped") << QByteArray("RecipientName,City2\nAnn,Boise\nBob\n") << true << 1 << "list.csv:3: the row has 1 cells";
        QTest::newRow("unusable list") << QByteArray("Phone\n1\n") << true << 0 << "the header names none";
        QTest::newRow("folder dialog cancelled") << QByteArray("RecipientName\nAnn\n") << false << 0 << "";
    }
    void droppedListMakesTheLetters()
    {
        QFETCH(QByteArray, list);
        QFETCH(bool, answered);
        QFETCH(int, letters);
        QFETCH(QString, box);
        Form1 &form = m_fixture->form();
        QTest::mouseClick(form.PushButton4, Qt::LeftButton);
        const QByteArray settings = readAll(m_fixture->settingsFile());
        const QRect geometry = form.geometry();
        QVERIFY(writeFile(scratch(QStringLiteral("list.csv")), list));
        QDir(m_fixture->scratchPath()).mkdir(QStringLiteral("out"));
        m_folderAnswer = answered ? scratch(QStringLiteral("out")) : QString();
        m_fixture->clearBoxes();

        QVERIFY(!drop(scratch(QStringLiteral("notes.txt"))));
        QVERIFY(drop(scratch(QStringLiteral("list.csv"))));
        QTRY_COMPARE(m_folderQuestions, 1);
        if (!box.isEmpty()) {
            QTRY_COMPARE(m_fixture->boxes().size(), 1);
            QVERIFY2(m_fixture->lastBox().contains(box), qPrintable(m_fixture->lastBox()));
        } else {
            QTest::qWait(100);
            QCOMPARE(m_fixture->boxes().size(), 0);
        }
        QCOMPARE(QDir(scratch(QStringLiteral("out"))).entryList(QDir::Files | QDir::Hidden).size(), letters);
        QCOMPARE(readAll(m_fixture->settingsFile()), settings);
        QCOMPARE(form.field(0)->text(), QStringLiteral("Orla Penhallow"));
        QCOMPARE(form.geometry(), geometry);
        QVERIFY(form.isVisible());
    }
};

QTEST_MAIN(ListDropTest)
#include "tst_listdrop.moc"
